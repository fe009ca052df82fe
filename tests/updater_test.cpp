#include <gtest/gtest.h>

#include "core/events.h"
#include "support/db_files.h"
#include "support/test_env.h"
#include "update/manifest.h"
#include "update/update_paths.h"
#include "updater/make_version.h"
#include "updater/move_files.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

std::vector<std::vector<std::string>> versionRows(const test::TestEnvironment& env) {
    return test::sqliteRows(env.path("Db/varnel.db"), "select colFile, colVersion from tbl_Update order by rowid");
}

struct UpdaterFixture : ::testing::Test {
    test::TestEnvironment env;
    std::vector<std::string> boxes;
    int windowRestores = 0;
    int eventRuns = 0;
    std::function<void()> onEvents;

    UpdaterFixture() {
        test::installShippedDatabase(env.folder());
        updater::moveAttempts = 0;
        processPendingEvents = [this] {
            ++eventRuns;
            if (onEvents) onEvents();
        };
    }
    ~UpdaterFixture() override { processPendingEvents = nullptr; }

    updater::Hooks hooks() {
        return {[] { return false; }, [this](const std::string& text) { boxes.push_back(text); },
                [this] { ++windowRestores; }};
    }
    // A non-empty folder where a file should go: neither a delete nor a
    // rename gets past it, as with a file the main program still holds.
    void obstruct(const std::string& relative) { env.writeFile(relative + "/held", "x"); }
};

}  // namespace

TEST_F(UpdaterFixture, MakeVersionListsThreeLevelsAndGivesTheSameResultTwice) {
    for (const char* f : {"Varnel_Zize", "Varnel_Zize_Update", "Build/UpdateWindow.gif", "Build/Icon/Update.ico",
                          "Build/a/b/third.txt", "Build/a/b/c/fourth.txt", "Language/English.lang", "it's.txt",
                          "Error.log"})
        env.writeFile(f, "x");
    const std::string expected =
        "Build\\UpdateWindow.gif\t|\t1\r\n"
        "Build\\a\\b\\third.txt\t|\t1\r\n"
        "Build\\Icon\\Update.ico\t|\t1\r\n"
        "Db\\varnel.db\t|\t1\r\n"
        "Language\\English.lang\t|\t1\r\n"
        "it's.txt\t|\t1\r\n"
        "Varnel_Zize\t|\t1\r\n"
        "Varnel_Zize_Update\t|\t1\r\n"
        "\r\n";
    EXPECT_EQ(makeVersion(), expected);
    EXPECT_EQ(env.readFile("Update.upd"), expected);
    const auto rows = versionRows(env);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Build\\a\\b\\third.txt", "1"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"it's.txt", "1"}));
    for (const auto& entry : parseManifest(expected).entries) EXPECT_EQ(entry.version, "1");
    EXPECT_EQ(env.readFile("Error.log"), "x");  // nothing logged

    // The updater empties the table and deletes the manifest before each run.
    fs::remove(env.path("Update.upd"));
    test::sqliteExec(env.path("Db/varnel.db"), "delete from tbl_update");
    EXPECT_EQ(makeVersion(), expected);
    EXPECT_EQ(versionRows(env), rows);
    EXPECT_GE(eventRuns, 16);  // the window stays alive during a long run
}

TEST_F(UpdaterFixture, MakeVersionWithoutDatabaseWritesAnEmptyManifest) {
    fs::remove(env.path("Db/varnel.db"));
    env.writeFile("Build/x.gif", "x");
    EXPECT_EQ(makeVersion(), "\r\n");
    EXPECT_EQ(env.readFile("Update.upd"), "\r\n");
    EXPECT_EQ(env.readFile("Error.log").rfind("Varnel_Zize_Update.exe - Cant open database\t53\tFile not found\t", 0),
              0u);
}

TEST_F(UpdaterFixture, WaitingFilesReplaceTheOldOnes) {
    env.writeFile(mainProgramEntry(), "old program");
    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    env.writeFile("Temp/Varnel.db", "new database");
    EXPECT_EQ(updater::moveFiles(hooks()), updater::MoveOutcome::Moved);
    EXPECT_EQ(env.readFile(mainProgramEntry()), "new program");
    // The folder's own spelling of the database's name is kept.
    EXPECT_EQ(env.readFile("Db/varnel.db"), "new database");
    EXPECT_EQ(std::distance(fs::directory_iterator(env.path("Db")), fs::directory_iterator()), 1);
    EXPECT_FALSE(env.exists("Temp/Varnel.db"));
    EXPECT_FALSE(env.exists("Temp/" + mainProgramEntry()));
    EXPECT_FALSE(env.exists("Error.log"));

    // A main program file that had gone missing does not stop the new one.
    fs::remove(env.path(mainProgramEntry()));
    env.writeFile("Temp/" + mainProgramEntry(), "newer program");
    EXPECT_EQ(updater::moveFiles(hooks()), updater::MoveOutcome::Moved);
    EXPECT_EQ(env.readFile(mainProgramEntry()), "newer program");
    EXPECT_EQ(updater::moveAttempts, 0);
}

TEST_F(UpdaterFixture, ALockThatClearsOnTheThirdRepetition) {
    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    env.writeFile("Temp/Varnel.db", "new database");
    fs::remove(env.path("Db/varnel.db"));
    obstruct("Db/varnel.db");
    onEvents = [this] {
        if (updater::moveAttempts == 3) fs::remove_all(env.path("Db/varnel.db"));
    };
    EXPECT_EQ(updater::moveFiles(hooks()), updater::MoveOutcome::Moved);
    EXPECT_EQ(updater::moveAttempts, 3);
    EXPECT_EQ(env.readFile(mainProgramEntry()), "new program");
    EXPECT_EQ(env.readFile("Db/Varnel.db"), "new database");  // the name as the updater writes it
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(env.readFile("Error.log"), "Varnel_Zize_Update.exe - moveFiles\t75\tPath/File access error\t\r\n");
}

TEST_F(UpdaterFixture, ALockThatStaysGivesUpAfter199Repetitions) {
    test::sqliteExec(env.path("Db/varnel.db"), "insert into tbl_Update values ('" + mainProgramEntry() +
                                                   "','5'); insert into tbl_Update values ('Db\\Varnel.db','5');");
    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    env.writeFile("Temp/Varnel.db", "new database");
    obstruct(mainProgramEntry());
    EXPECT_EQ(updater::moveFiles(hooks()), updater::MoveOutcome::GaveUp);
    EXPECT_EQ(updater::moveAttempts, 200);
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Cant move files, Windows has them locked. try restart Varnel and run update again."});
    EXPECT_EQ(windowRestores, 1);
    EXPECT_EQ(versionRows(env), (std::vector<std::vector<std::string>>{{mainProgramEntry(), "1"},
                                                                      {"Db\\Varnel.db", "1"}}));
    EXPECT_FALSE(env.exists("Temp/" + mainProgramEntry()));
    EXPECT_FALSE(env.exists("Temp/Varnel.db"));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(UpdaterFixture, OtherFailuresAreLoggedOnce) {
    env.writeFile("Temp/Varnel.db", "new database");
    fs::remove_all(env.path("Db"));  // nowhere to put it
    EXPECT_EQ(updater::moveFiles(hooks()), updater::MoveOutcome::Moved);
    EXPECT_EQ(updater::moveAttempts, 0);
    EXPECT_EQ(env.readFile("Error.log"), "Varnel_Zize_Update.exe - moveFiles\t53\tFile not found\t\r\n");
    EXPECT_EQ(env.readFile("Temp/Varnel.db"), "new database");
}
