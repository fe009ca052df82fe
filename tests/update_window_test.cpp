#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <set>

#include "core/registry.h"
#include "lang/text_table.h"
#include "skin/message_boxes.h"
#include "support/db_files.h"
#include "core/program_folder.h"
#include "support/http_server.h"
#include "support/program_folder_run.h"
#include "support/skin_files.h"
#include "support/test_env.h"
#include "support/update_batch.h"
#include "update/update_window.h"
#include "update/update_paths.h"
#include "support/spin.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

// Answers every alert box as a user would, keeping its text.
class AlertAnswerer {
public:
    AlertAnswerer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            AlertBox* box = shownAlertBox();
            if (!box) return;
            texts.push_back(box->messageLabel->text().toStdString());
            if (onAlert) onAlert(texts.back());
            emit box->okButton->clicked();
        });
        timer_.start();
    }
    std::vector<std::string> texts;
    std::function<void(const std::string&)> onAlert;

private:
    QTimer timer_;
};

struct UpdateWindowTest : ::testing::Test {
    test::TestEnvironment env;
    std::unique_ptr<test::HttpServer> server;
    AlertAnswerer alerts;
    test::UpdateWindowOwner windows;
    std::vector<std::string>& handOverSteps = windows.handOvers;

    UpdateWindowTest() {
        test::copySkin(env);
        test::installShippedDatabase(env.folder());
        Texts = {};
        for (auto [member, key] : std::initializer_list<std::pair<std::string TextTable::*, const char*>>{
                 {&TextTable::Check, "Check"},
                 {&TextTable::Update, "Update"},
                 {&TextTable::Cancel, "Cancel"},
                 {&TextTable::Ok, "Ok"},
                 {&TextTable::Finished, "Finished"},
                 {&TextTable::UpToDate, "UpToDate"},
                 {&TextTable::Restart, "Restart"},
                 {&TextTable::CantConnect, "CantConnect"},
                 {&TextTable::Downloading, "Downloading"},
                 {&TextTable::ChangesRestart, "ChangesRestart"},
                 {&TextTable::DownloadCancelled, "DownloadCancelled"},
                 {&TextTable::NewUpdatesAvalible, "NewUpdatesAvalible"},
                 {&TextTable::NoNewUpdatesAvalible, "NoNewUpdatesAvalible"}})
            Texts.*member = key;
    }
    ~UpdateWindowTest() override {
        windows.drop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Texts = {};
    }

    // The release on the test server, under the update server's path.
    void publish(const std::string& file, const std::string& content) {
        env.writeFile("server/VarnelUpdate/Zize/Update/" + file, content);
    }
    void startServer() {
        server = std::make_unique<test::HttpServer>(env.path("server"));
        setValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer",
                 (server->baseUrl() + "VarnelUpdate/Zize/Update/").toStdString());
    }
    void installed(const std::string& file, const std::string& version) {
        test::sqliteExec(env.path("Db/varnel.db"), "insert into tbl_Update values ('" + file + "','" + version + "');");
    }
    std::string versionOf(const std::string& file) {
        auto rows = test::sqliteRows(env.path("Db/varnel.db"),
                                     "select colVersion from tbl_Update where colFile = '" + file + "'");
        return rows.empty() ? "<none>" : rows[0][0];
    }
    std::set<std::string> tempFiles() {
        std::set<std::string> names;
        if (fs::exists(env.path("Temp")))
            for (const auto& e : fs::directory_iterator(env.path("Temp"))) names.insert(e.path().filename().string());
        return names;
    }

    // Opens the window and presses Check; true once the manifest was read.
    bool check() {
        UpdateWindow& w = windows.window();
        w.show();
        emit w.checkButton->clicked();
        return test::spinUntil([&] { return windows.open() && w.statusLabel->isVisible(); });
    }
    // Presses Update; returns when the batch has ended.
    void update() {
        EXPECT_TRUE(test::pressUpdateAndWait(windows.window()));
    }
};

// Three ordinary files at "2" over installed "1", in folders.
struct ThreeFiles : UpdateWindowTest {
    const std::vector<std::string> files{"Data\\a.txt", "Data\\Sub\\b.txt", "Language\\Extra.lang"};
    const std::vector<std::string> paths{"Data/a.txt", "Data/Sub/b.txt", "Language/Extra.lang"};
    ThreeFiles() {
        std::string manifest;
        for (size_t i = 0; i < files.size(); ++i) {
            installed(files[i], "1");
            env.writeFile(paths[i], "old " + std::to_string(i));
            publish(paths[i], "new " + std::to_string(i));
            manifest += files[i] + "\t|\t2\r\n";
        }
        publish("Update.upd", manifest);
    }
};

}  // namespace

TEST_F(UpdateWindowTest, CheckWithTheServerDown) {
    startServer();
    server.reset();  // nobody answers at that address any more
    UpdateWindow& w = windows.window();
    EXPECT_EQ(w.titleLabel->text(), "Varnel Zize Update");
    EXPECT_TRUE(w.checkButton->enabledState());
    EXPECT_FALSE(w.updateButton->enabledState());
    EXPECT_FALSE(w.cancelButton->enabledState());
    w.show();
    emit w.checkButton->clicked();
    ASSERT_TRUE(test::spinUntil([&] { return !alerts.texts.empty(); }));
    EXPECT_EQ(alerts.texts, std::vector<std::string>{"CantConnect"});
    test::spinUntil([] { return false; }, 600);  // a timer tick or more
    EXPECT_FALSE(w.updateButton->enabledState());
    EXPECT_TRUE(w.checkButton->enabledState());  // still fetching: Check can ask again
    EXPECT_FALSE(w.statusLabel->isVisible());
    EXPECT_FALSE(env.exists("Update.upd"));
}

TEST_F(UpdateWindowTest, AManifestWithMessagesAndVersionsAroundNineAndTen) {
    installed("Build\\UpdateWindow.gif", "9");
    installed("Language\\English.lang", "10");
    publish("Update.upd",
            "Message\t|\tA new look\r\n"
            "Build\\UpdateWindow.gif\t|\t10\r\n"
            "Language\\English.lang\t|\t9\r\n"
            "Message |  \r\n");
    startServer();
    ASSERT_TRUE(check());
    UpdateWindow& w = windows.window();
    EXPECT_EQ(w.statusLabel->text(), "NewUpdatesAvalible");
    EXPECT_TRUE(w.messageLabel->isVisible());
    EXPECT_EQ(w.messageLabel->text(), "A new look");
    EXPECT_TRUE(w.updateButton->enabledState());
    EXPECT_EQ(w.downloadList().files, std::vector<std::string>{"Language\\English.lang"});  // "10" comes before "9"
    EXPECT_EQ(w.downloadList().versions, std::vector<std::string>{"9"});
    EXPECT_EQ(server->requests(), "/VarnelUpdate/Zize/Update/Update.upd\n");
    EXPECT_TRUE(alerts.texts.empty());
}

TEST_F(ThreeFiles, ABatchReplacesEachFileKeepingItsBackupMeanwhile) {
    server = nullptr;
    env.writeFile("server/.rules.json", R"({"/VarnelUpdate/Zize/Update/Data/Sub/b.txt": {"delay_ms": 400}})");
    startServer();
    ASSERT_TRUE(check());
    UpdateWindow& w = windows.window();
    // What Temp holds while the second file is on its way.
    std::set<std::string> tempDuringSecond;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (windows.open() && w.fileLabels.size() > 1 && w.fileLabels[1]->isVisible() &&
            w.fileLabels[1]->text() == "Data\\Sub\\b.txt")
            tempDuringSecond = tempFiles();
    });
    watch.start(20);
    update();
    watch.stop();

    EXPECT_EQ(tempDuringSecond, (std::set<std::string>{"Data&Sub&b.txt"}));
    EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpToDate"});
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(env.readFile(paths[i]), "new " + std::to_string(i));
        EXPECT_EQ(versionOf(files[i]), "2");
    }
    EXPECT_TRUE(tempFiles().empty());
    EXPECT_EQ(w.statusLabel->text(), "ChangesRestart");
    EXPECT_TRUE(w.checkButton->enabledState());
    EXPECT_FALSE(w.updateButton->enabledState());
    EXPECT_FALSE(w.cancelButton->enabledState());
    EXPECT_TRUE(handOverSteps.empty());
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(ThreeFiles, CancelBetweenTwoFilesRestoresFromTheBackups) {
    server = nullptr;
    env.writeFile("server/.rules.json", R"({"/VarnelUpdate/Zize/Update/Data/Sub/b.txt": {"delay_ms": 3000}})");
    startServer();
    ASSERT_TRUE(check());
    UpdateWindow& w = windows.window();
    // The user presses Cancel once the first file is in and the second is on its way.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (windows.open() && tempFiles().count("Data&Sub&b.txt") && w.cancelButton->enabledState()) {
            user.stop();
            emit w.cancelButton->clicked();
        }
    });
    user.start(20);
    update();

    EXPECT_EQ(alerts.texts, std::vector<std::string>{"DownloadCancelled"});
    EXPECT_EQ(windows.open(), nullptr);  // the window closed
    EXPECT_EQ(env.readFile("Data/a.txt"), "new 0");
    EXPECT_EQ(versionOf("Data\\a.txt"), "2");
    EXPECT_EQ(env.readFile("Data/Sub/b.txt"), "old 1");  // back from its backup
    EXPECT_EQ(versionOf("Data\\Sub\\b.txt"), "1");
    EXPECT_EQ(env.readFile("Language/Extra.lang"), "old 2");
    EXPECT_TRUE(tempFiles().empty());
    EXPECT_TRUE(handOverSteps.empty());
}

TEST_F(ThreeFiles, AnHttpErrorIsAFailedReadAndCancelRestoresTheFile) {
    server = nullptr;
    env.writeFile("server/.rules.json", R"({"/VarnelUpdate/Zize/Update/Data/Sub/b.txt": {"status": 404}})");
    startServer();
    ASSERT_TRUE(check());
    UpdateWindow& w = windows.window();
    bool errorPageWritten = true;
    alerts.onAlert = [&](const std::string& text) {
        if (text != "CantConnect") return;
        // The error page never becomes the file; the user gives up.
        errorPageWritten = env.exists("Data/Sub/b.txt");
        QTimer::singleShot(0, [&] { emit w.cancelButton->clicked(); });
    };
    update();
    EXPECT_EQ(alerts.texts, (std::vector<std::string>{"CantConnect", "DownloadCancelled"}));
    EXPECT_FALSE(errorPageWritten);
    EXPECT_EQ(env.readFile("Data/Sub/b.txt"), "old 1");
    EXPECT_EQ(versionOf("Data\\Sub\\b.txt"), "1");
    EXPECT_EQ(env.readFile("Data/a.txt"), "new 0");
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(UpdateWindowTest, AManifestThatTriesToLeaveTheProgramFolder) {
    installed("..\\evil.txt", "1");
    installed("Data\\..\\..\\evil.txt", "1");
    installed("Data\\good.txt", "1");
    env.writeFile("../evil.txt", "keep me");
    env.writeFile("Data/good.txt", "old");
    publish("Update.upd", "..\\evil.txt\t|\t2\r\nData\\..\\..\\evil.txt\t|\t2\r\nData\\good.txt\t|\t2\r\n");
    publish("Data/good.txt", "new");
    startServer();
    ASSERT_TRUE(check());
    EXPECT_EQ(windows.window().downloadList().files, std::vector<std::string>{"Data\\good.txt"});
    update();
    EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpToDate"});
    EXPECT_EQ(env.readFile("Data/good.txt"), "new");
    EXPECT_EQ(env.readFile("../evil.txt"), "keep me");
    fs::remove(env.path("../evil.txt"));
    EXPECT_EQ(server->requests().find("evil"), std::string::npos);
    EXPECT_EQ(test::crlfLines(env.readFile("Error.log")),
              (std::vector<std::string>{"readUpdateFile\t75\tPath/File access error\t..\\evil.txt",
                                        "readUpdateFile\t75\tPath/File access error\tData\\..\\..\\evil.txt"}));
}

TEST_F(UpdateWindowTest, TheMainProgramAndDatabaseWaitInTempForTheUpdater) {
    installed(mainProgramEntry(), "1");
    installed("Db\\Varnel.db", "1");
    env.writeFile(mainProgramEntry(), "running program");
    publish(mainProgramEntry(), "new program");
    publish("Db/Varnel.db", "new database");
    publish("Update.upd", mainProgramEntry() + "\t|\t2\r\nDb\\Varnel.db\t|\t2\r\n");
    startServer();
    ASSERT_TRUE(check());
    update();
    EXPECT_EQ(alerts.texts, (std::vector<std::string>{"UpToDate", "Restart"}));
    EXPECT_EQ(env.readFile(mainProgramEntry()), "running program");
    EXPECT_EQ(env.readFile("Temp/" + mainProgramEntry()), "new program");
    EXPECT_EQ(env.readFile("Temp/Varnel.db"), "new database");
    EXPECT_EQ(versionOf(mainProgramEntry()), "2");
    EXPECT_EQ(versionOf("Db\\Varnel.db"), "2");  // recorded in the old database, which the updater replaces
    EXPECT_EQ(handOverSteps, (std::vector<std::string>{"start moveexedb"}));
}

TEST_F(UpdateWindowTest, ANewMainProgramIsMovedIntoPlaceAndStartedByTheUpdater) {
    // A program folder with the real updater; the main program is a stand-in
    // that records its starts. This test process plays the running main program.
    test::ProgramFolderRun run(env);
    setProgramFolder(run.folder());
    const QProcessEnvironment programs = run.environment();
    std::vector<std::pair<const char*, QByteArray>> saved;
    for (const char* name : {"XDG_CONFIG_HOME", "VARNEL_MESSAGE_LOG"}) {
        saved.emplace_back(name, qgetenv(name));
        qputenv(name, programs.value(name).toUtf8());
    }
    windows.startUpdater = true;

    test::sqliteExec(run.path("Db/varnel.db"), "insert into tbl_Update values ('" + mainProgramEntry() + "','1');");
    std::string newProgram = env.readFile("Varnel/" + mainProgramEntry()) + "\nversion 2\n";
    publish(mainProgramEntry(), newProgram);
    publish("Update.upd", mainProgramEntry() + "\t|\t2\r\n");
    startServer();
    ASSERT_TRUE(check());
    update();
    EXPECT_EQ(alerts.texts, (std::vector<std::string>{"UpToDate", "Restart"}));
    EXPECT_EQ(handOverSteps, (std::vector<std::string>{"start moveexedb"}));

    // The updater waits two seconds, moves the file and starts the new program.
    ASSERT_TRUE(run.waitForStandinLog(1, 20000));
    EXPECT_EQ(run.standinLog(), std::vector<std::string>{"started"});
    EXPECT_EQ(env.readFile("Varnel/" + mainProgramEntry()), newProgram);
    EXPECT_FALSE(fs::exists(run.path("Temp/" + mainProgramEntry())));
    EXPECT_EQ(test::sqliteRows(run.path("Db/varnel.db"), "select colVersion from tbl_Update"),
              (std::vector<std::vector<std::string>>{{"2"}}));
    run.closeStandin();
    EXPECT_TRUE(run.boxes().empty());
    EXPECT_FALSE(fs::exists(run.path("Error.log")));

    for (const auto& [name, value] : saved)
        if (value.isEmpty()) qunsetenv(name);
        else qputenv(name, value);
    setProgramFolder(env.folder());
}

TEST_F(UpdateWindowTest, AFileOfTheProgramFolderItselfIsReplacedInPlaceAndStaysExecutable) {
    installed(updaterFileName(), "1");
    env.writeFile(updaterFileName(), "old updater");
    fs::permissions(env.path(updaterFileName()), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    publish(updaterFileName(), "new updater");
    publish("Update.upd", updaterFileName() + "\t|\t2\r\n");
    env.writeFile("server/.rules.json",
                  "{\"/VarnelUpdate/Zize/Update/" + updaterFileName() + "\": {\"delay_ms\": 300}}");
    startServer();
    ASSERT_TRUE(check());
    // Its old copy stays where it is until the new one is complete: a backup
    // under its plain name could never be brought back.
    bool oldCopyInPlace = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (windows.open() && windows.open()->cancelButton->enabledState())
            oldCopyInPlace = oldCopyInPlace && env.readFile(updaterFileName()) == "old updater";
    });
    watch.start(20);
    update();
    watch.stop();
    EXPECT_TRUE(oldCopyInPlace);
    EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpToDate"});
    EXPECT_EQ(env.readFile(updaterFileName()), "new updater");
    EXPECT_NE(fs::status(env.path(updaterFileName())).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_TRUE(tempFiles().empty());
    EXPECT_EQ(versionOf(updaterFileName()), "2");
}

namespace {

// The ways a user closes the window: its close button, the window system's
// close, the tray icon's double click.
enum class CloseBy { ExitButton, WindowSystem, TrayDoubleClick };

struct ClosingDuringABatch : UpdateWindowTest, ::testing::WithParamInterface<CloseBy> {};

}  // namespace

TEST_P(ClosingDuringABatch, RollsEverythingBackLikeCancel) {
    // The main program and the database reach Temp first; the third file,
    // whose name holds "&", is on its way when the user closes the window.
    installed(mainProgramEntry(), "1");
    installed("Db\\Varnel.db", "1");
    installed("Data\\Tips&Tricks.txt", "1");
    env.writeFile(mainProgramEntry(), "running program");
    env.writeFile("Data/Tips&Tricks.txt", "old tips");
    publish(mainProgramEntry(), "new program");
    publish("Db/Varnel.db", "new database");
    publish("Data/Tips&Tricks.txt", "new tips");
    publish("Update.upd", mainProgramEntry() + "\t|\t2\r\nDb\\Varnel.db\t|\t2\r\nData\\Tips&Tricks.txt\t|\t2\r\n");
    env.writeFile("server/.rules.json", R"({"/VarnelUpdate/Zize/Update/Data/Tips&Tricks.txt": {"delay_ms": 3000}})");
    startServer();
    ASSERT_TRUE(check());
    QPointer<UpdateWindow> window = &windows.window();
    bool sameWindowDuringRollBack = false;
    alerts.onAlert = [&](const std::string&) { sameWindowDuringRollBack = window && windows.open() == window; };
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!window || !env.exists("Temp/Varnel.db") || !env.exists("Data") || env.exists("Data/Tips&Tricks.txt"))
            return;
        user.stop();
        switch (GetParam()) {
            case CloseBy::ExitButton: emit window->closeButton->clicked(); break;
            case CloseBy::WindowSystem: window->close(); break;
            case CloseBy::TrayDoubleClick: if (UpdateWindow* open = windows.open()) open->closeForTray(); break;
        }
    });
    user.start(20);
    update();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(alerts.texts, std::vector<std::string>{"DownloadCancelled"});
    EXPECT_TRUE(sameWindowDuringRollBack);
    EXPECT_EQ(windows.open(), nullptr);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(env.readFile("Data/Tips&Tricks.txt"), "old tips");
    EXPECT_EQ(versionOf("Data\\Tips&Tricks.txt"), "1");
    EXPECT_EQ(env.readFile(mainProgramEntry()), "running program");
    EXPECT_TRUE(tempFiles().empty());
    // The copies in Temp are gone, so their rows must offer them again.
    EXPECT_EQ(versionOf(mainProgramEntry()), "1");
    EXPECT_EQ(versionOf("Db\\Varnel.db"), "1");
    EXPECT_TRUE(handOverSteps.empty());
    EXPECT_FALSE(env.exists("Error.log"));
}

INSTANTIATE_TEST_SUITE_P(Closes, ClosingDuringABatch,
                         ::testing::Values(CloseBy::ExitButton, CloseBy::WindowSystem, CloseBy::TrayDoubleClick),
                         [](const ::testing::TestParamInfo<CloseBy>& info) -> std::string {
                             switch (info.param) {
                                 case CloseBy::ExitButton: return "ExitButt1";
                                 case CloseBy::WindowSystem: return "WindowSystem";
                                 case CloseBy::TrayDoubleClick: return "TrayDoubleClick";
                             }
                             return "";
                         });

TEST_F(UpdateWindowTest, NamesNeedingEncodingAnExecutableInAFolderAndAMarkupMessage) {
    installed("Build\\a#b c%.gif", "1");
    installed("Tools\\run.sh", "1");
    env.writeFile("Build/a#b c%.gif", "old picture");
    env.writeFile("Tools/run.sh", "old script");
    fs::permissions(env.path("Tools/run.sh"), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    publish("Build/a#b c%.gif", "new picture");
    publish("Tools/run.sh", "new script");
    publish("Update.upd", "Message|<b>Read</b> me\r\nTools\\run.sh\t|\t2\r\nBuild\\a#b c%.gif\t|\t2\r\n");
    startServer();
    ASSERT_TRUE(check());
    UpdateWindow& w = windows.window();
    EXPECT_EQ(w.messageLabel->text(), "<b>Read</b> me");
    EXPECT_EQ(w.messageLabel->textFormat(), Qt::PlainText);
    // A file the server does not have: the user gives up.
    alerts.onAlert = [&](const std::string& text) {
        if (text == "CantConnect") QTimer::singleShot(0, [&] { emit w.cancelButton->clicked(); });
    };
    update();
    EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpToDate"});
    EXPECT_NE(server->requests().find("/VarnelUpdate/Zize/Update/Build/a#b c%.gif\n"), std::string::npos);
    EXPECT_EQ(env.readFile("Build/a#b c%.gif"), "new picture");
    EXPECT_EQ(env.readFile("Tools/run.sh"), "new script");
    EXPECT_EQ(fs::status(env.path("Tools/run.sh")).permissions(),
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_TRUE(tempFiles().empty());
}
