#include <gtest/gtest.h>

#include "core/db.h"
#include "core/registry.h"
#include "lang/text_table.h"
#include "support/db_files.h"
#include "support/test_env.h"
#include "update/manifest_steps.h"
#include "update/update_batch.h"
#include "update/update_paths.h"

using namespace varnel;

namespace {

// The update window as the engine sees it, keeping what it was told.
struct RecordedWindow final : UpdateWindowView {
    std::string message, status;
    bool messageVisible = false, statusVisible = false;
    bool check = true, update = false, cancel = false;
    std::vector<std::string> alerts;
    int unloads = 0;
    std::function<void()> onAlert;

    void showMessage(const std::string& text) override {
        message = text;
        messageVisible = true;
    }
    void hideMessage() override { messageVisible = false; }
    void showStatus(const std::string& text) override {
        status = text;
        statusVisible = true;
    }
    void setCheckEnabled(bool on) override { check = on; }
    void setUpdateEnabled(bool on) override { update = on; }
    void setCancelEnabled(bool on) override { cancel = on; }
    void showAlert(const std::string& text) override {
        alerts.push_back(text);
        if (onAlert) onAlert();
    }
    void unload() override { ++unloads; }
};

struct UpdateFixture : ::testing::Test {
    test::TestEnvironment env;
    RecordedWindow window;

    UpdateFixture() {
        test::installShippedDatabase(env.folder());
        Texts.NewUpdatesAvalible = "New updates";
        Texts.NoNewUpdatesAvalible = "Nothing new";
        Texts.DownloadCancelled = "Cancelled";
    }
    ~UpdateFixture() override {
        Texts = {};
    }

    // Reads Update.upd as the update window does: a list that selects nothing keeps the one before.
    DownloadList list;
    void readManifest() {
        if (std::optional<DownloadList> selected = readManifestFile(window)) list = *selected;
    }

    void installed(const std::string& file, const std::string& version) {
        test::sqliteExec(env.path("Db/varnel.db"),
                         "insert into tbl_Update values ('" + file + "','" + version + "');");
    }
    std::string versionOf(const std::string& file) {
        auto rows = test::sqliteRows(env.path("Db/varnel.db"),
                                     "select colVersion from tbl_Update where colFile = '" + file + "'");
        return rows.empty() ? "<none>" : rows[0][0];
    }
};

}  // namespace

TEST_F(UpdateFixture, NewerFilesAreSelectedInTextOrder) {
    installed(mainProgramEntry(), "1");
    installed("Db\\Varnel.db", "9");
    installed("Build\\UpdateWindow.gif", "10");
    installed("Language\\English.lang", "2");
    env.writeFile("Update.upd",
                  mainProgramEntry() + "\t|\t2\r\n"
                  "\r\n"
                  "Db\\Varnel.db\t|\t10\r\n"              // "10" comes before "9": not newer
                  "Message\t|\tVersion 2 is out\r\n"
                  "Build\\UpdateWindow.gif\t|\t9\r\n"     // newer than "10"
                  "Language\\English.lang\t|\t2\r\n"      // same version
                  "Language\\Deutsch.lang\t|\t5\r\n"      // not installed: never offered
                  "Varnel_Zize.exe\t|\t7\r\n"             // another platform's program, not listed here
                  "Message |\r\n"                         // empty: keeps the text
                  "Build\\UpdateWindow.gif\t|\t9\r\n"     // listed twice: fetched twice
                  "\r\n");
    readManifest();
    EXPECT_EQ(list.files, (std::vector<std::string>{mainProgramEntry(), "Build\\UpdateWindow.gif",
                                                     "Build\\UpdateWindow.gif"}));
    EXPECT_EQ(list.versions, (std::vector<std::string>{"2", "9", "9"}));
    EXPECT_TRUE(window.update);
    EXPECT_TRUE(window.statusVisible);
    EXPECT_EQ(window.status, "New updates");
    EXPECT_TRUE(window.messageVisible);
    EXPECT_EQ(window.message, "Version 2 is out");
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(UpdateFixture, NothingNewerKeepsTheOldListButDisablesUpdate) {
    installed("Db\\Varnel.db", "3");
    env.writeFile("Update.upd", "Db\\Varnel.db\t|\t4\r\n");
    readManifest();
    ASSERT_EQ(list.files.size(), 1u);

    env.writeFile("Update.upd", "Message|Nothing this time\r\nDb\\Varnel.db\t|\t3\r\nDb\\Varnel.db\t|\t\r\n");
    readManifest();
    EXPECT_EQ(list.files, std::vector<std::string>{"Db\\Varnel.db"});
    EXPECT_EQ(list.versions, std::vector<std::string>{"4"});
    EXPECT_FALSE(window.update);
    EXPECT_EQ(window.status, "Nothing new");
    EXPECT_FALSE(window.messageVisible);
}

TEST_F(UpdateFixture, CheckVersionWithoutDatabaseOrWithABrokenOne) {
    installed("a.txt", "1");
    EXPECT_TRUE(checkVersion("a.txt", "2"));
    EXPECT_FALSE(checkVersion("a.txt", "1"));
    EXPECT_FALSE(checkVersion("it's.txt", "2"));  // a quote in a path is a value, not SQL

    test::sqliteExec(env.path("Db/varnel.db"), "drop table tbl_Update;");
    EXPECT_FALSE(checkVersion("a.txt", "2"));
    EXPECT_EQ(env.readFile("Error.log"), "getDbData\t0\t\tno such table: tbl_Update\r\n");

    std::filesystem::remove(env.path("Db/varnel.db"));
    EXPECT_FALSE(checkVersion("a.txt", "2"));
}

TEST_F(UpdateFixture, ManifestPathsOutsideTheProgramFolderAreRefused) {
    for (const char* evil : {"..\\evil.txt", "\\etc\\evil.txt", "C:\\evil.txt", "Build\\..\\..\\evil.txt"})
        installed(evil, "1");
    env.writeFile("Update.upd",
                  "..\\evil.txt\t|\t2\r\n\\etc\\evil.txt\t|\t2\r\nC:\\evil.txt\t|\t2\r\nBuild\\..\\..\\evil.txt\t|\t2\r\n");
    readManifest();
    EXPECT_TRUE(list.files.empty());
    EXPECT_FALSE(window.update);
    EXPECT_EQ(test::crlfLines(env.readFile("Error.log")),
              (std::vector<std::string>{"readUpdateFile\t75\tPath/File access error\t..\\evil.txt",
                                        "readUpdateFile\t75\tPath/File access error\t\\etc\\evil.txt",
                                        "readUpdateFile\t75\tPath/File access error\tC:\\evil.txt",
                                        "readUpdateFile\t75\tPath/File access error\tBuild\\..\\..\\evil.txt"}));

    // The download loop refuses such a path too, and touches nothing.
    std::filesystem::remove(env.path("Error.log"));
    env.writeFile("outside/evil.txt", "keep");
    bool restart = false;
    EXPECT_FALSE(prepareDestination("..\\outside\\evil.txt", restart));
    EXPECT_FALSE(restart);
    EXPECT_EQ(env.readFile("outside/evil.txt"), "keep");
    EXPECT_EQ(env.readFile("Error.log"), "downloadFiles\t75\tPath/File access error\t..\\outside\\evil.txt\r\n");
}

TEST_F(UpdateFixture, DestinationsAndBackupsOfABatch) {
    env.writeFile("Build/UpdateWindow.gif", "old picture");
    env.writeFile("Temp/Build&UpdateWindow.gif", "stale backup");
    env.writeFile("Varnel_Zize_Update", "old updater");
    bool restart = false;

    EXPECT_EQ(prepareDestination("Build\\UpdateWindow.gif", restart), "Build\\UpdateWindow.gif");
    EXPECT_FALSE(env.exists("Build/UpdateWindow.gif"));
    EXPECT_EQ(env.readFile("Temp/Build&UpdateWindow.gif"), "old picture");
    EXPECT_FALSE(restart);
    // A file of the program folder itself keeps its old copy in place.
    EXPECT_EQ(prepareDestination("Varnel_Zize_Update", restart), "Varnel_Zize_Update");
    EXPECT_EQ(env.readFile("Varnel_Zize_Update"), "old updater");
    // A file new to the installation: nothing to keep, its folder is made.
    EXPECT_EQ(prepareDestination("Skins\\Blue\\new.gif", restart), "Skins\\Blue\\new.gif");
    EXPECT_TRUE(std::filesystem::is_directory(env.path("Skins/Blue")));
    EXPECT_FALSE(restart);

    EXPECT_EQ(prepareDestination("Db\\Varnel.db", restart), "Temp\\Varnel.db");
    EXPECT_TRUE(restart);
    EXPECT_EQ(prepareDestination(mainProgramEntry(), restart), "Temp\\" + mainProgramEntry());

    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    dropBackup("Build\\UpdateWindow.gif");
    dropBackup(mainProgramEntry());
    EXPECT_FALSE(env.exists("Temp/Build&UpdateWindow.gif"));
    EXPECT_EQ(env.readFile("Temp/" + mainProgramEntry()), "new program");
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(UpdateFixture, RollBackRestoresEveryBackupAndClosesTheWindow) {
    installed("Build\\UpdateWindow.gif", "4");
    installed("Language\\English.lang", "4");
    env.writeFile("Temp/Build&UpdateWindow.gif", "old picture");
    env.writeFile("Build/UpdateWindow.gif", "half a pic");
    env.writeFile("Temp/Language&English.lang", "old texts");
    env.writeFile("Temp/Varnel.db", "downloaded db");
    env.writeFile("Temp/" + mainProgramEntry(), "downloaded program");
    env.writeFile("Temp/notes.txt", "left alone");
    env.writeFile("Temp/..&escape.txt", "refused");
    window.update = true;
    window.cancel = true;
    window.check = false;
    // The files are still in Temp while the alert is open.
    bool backupsWaitedForTheAlert = false;
    window.onAlert = [&] { backupsWaitedForTheAlert = env.exists("Temp/Build&UpdateWindow.gif"); };

    cancelUpdate(window);
    EXPECT_EQ(window.alerts, std::vector<std::string>{"Cancelled"});
    EXPECT_TRUE(backupsWaitedForTheAlert);
    EXPECT_FALSE(window.update);
    EXPECT_FALSE(window.cancel);
    EXPECT_TRUE(window.check);
    EXPECT_EQ(window.unloads, 1);
    EXPECT_EQ(env.readFile("Build/UpdateWindow.gif"), "old picture");
    EXPECT_EQ(env.readFile("Language/English.lang"), "old texts");
    EXPECT_EQ(versionOf("Build\\UpdateWindow.gif"), "1");
    EXPECT_EQ(versionOf("Language\\English.lang"), "1");
    EXPECT_FALSE(env.exists("Temp/Build&UpdateWindow.gif"));
    EXPECT_FALSE(env.exists("Temp/Language&English.lang"));
    EXPECT_FALSE(env.exists("Temp/Varnel.db"));
    EXPECT_FALSE(env.exists("Temp/" + mainProgramEntry()));
    EXPECT_EQ(env.readFile("Temp/notes.txt"), "left alone");
    EXPECT_EQ(env.readFile("Temp/..&escape.txt"), "refused");
    EXPECT_FALSE(env.exists("../escape.txt"));
    EXPECT_EQ(env.readFile("Error.log"), "cancelUpdate\t75\tPath/File access error\t..&escape.txt\r\n");
}

TEST_F(UpdateFixture, TheServerAddressComesFromTheSettingsWhenSet) {
    EXPECT_EQ(updateServerBase(), "https://www.varnelzize.se/VarnelUpdate/Zize/Update/");
    setValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer",
             std::string("http://mirror.example/VarnelUpdate/Zize/Update"));
    EXPECT_EQ(updateServerBase(), "http://mirror.example/VarnelUpdate/Zize/Update/");
    EXPECT_EQ(updateFileUrl(updateServerBase(), "Build\\Buttons\\Exit.gif"),
              "http://mirror.example/VarnelUpdate/Zize/Update/Build/Buttons/Exit.gif");
}
