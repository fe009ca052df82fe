// Signed releases end to end: a release built and signed by the real release
// builder, published on a local HTTP server, checked and downloaded by the
// update window holding the suite's release key, and finished by an updater
// built with that key.
#include <gtest/gtest.h>

#include <QApplication>

#include <QProcess>
#include <QTimer>
#include <fstream>
#include <random>
#include <sstream>

#include "core/program_folder.h"
#include "core/registry.h"
#include "lang/text_table.h"
#include "platform/platform.h"
#include "skin/message_boxes.h"
#include "support/db_files.h"
#include "support/http_server.h"
#include "support/program_folder_run.h"
#include "support/spin.h"
#include "support/test_env.h"
#include "support/update_batch.h"
#include "update/compiled_release_key.h"
#include "update/update_window.h"
#include "update/release_signature.h"
#include "update/update_paths.h"
#include "update/verified_release.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

const fs::path kSuiteKeys = VARNEL_TEST_KEY_DIR;
const std::string kPublished = "server/VarnelUpdate/Zize/Update/";
const std::string kRefused = "verifyRelease\t0\tUpdate could not be verified\t";

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Answers every alert box as a user would, keeping its text.
class AlertAnswerer {
public:
    AlertAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            AlertBox* box = shownAlertBox();
            if (!box) return;
            texts.push_back(box->messageLabel->text().toStdString());
            // After a download that failed, the user cancels the batch.
            if (texts.back() == "CantConnect")
                for (QWidget* widget : QApplication::topLevelWidgets())
                    if (auto* w = qobject_cast<UpdateWindow*>(widget); w && !w->isUnloaded()) emit w->cancelButton->clicked();
            emit box->okButton->clicked();
        });
        timer_.start(10);
    }
    std::vector<std::string> texts;

private:
    QTimer timer_;
};

// The installed program folder (the stand-in as main program, the updater
// with the suite's key) and a release of newer files on the test server.
struct SignedUpdate : ::testing::Test {
    test::TestEnvironment env;
    test::ProgramFolderRun run{env, VARNEL_TEST_KEY_UPDATER};
    std::unique_ptr<test::HttpServer> server;
    AlertAnswerer alerts;
    test::UpdateWindowOwner windows;
    std::vector<std::pair<const char*, QByteArray>> savedVariables;
    std::string newProgram;
    std::uint64_t releaseNumber = 0;  // the one makeversion1 gave the release

    SignedUpdate() {
        setProgramFolder(run.folder());
        setReleaseKey(compiledReleaseKey());
        Texts = {};
        for (auto [member, key] : std::initializer_list<std::pair<std::string TextTable::*, const char*>>{
                 {&TextTable::Check, "Check"}, {&TextTable::Update, "Update"}, {&TextTable::Cancel, "Cancel"},
                 {&TextTable::Ok, "Ok"}, {&TextTable::Finished, "Finished"}, {&TextTable::UpToDate, "UpToDate"},
                 {&TextTable::Restart, "Restart"}, {&TextTable::CantConnect, "CantConnect"},
                 {&TextTable::Downloading, "Downloading"}, {&TextTable::DownloadCancelled, "DownloadCancelled"},
                 {&TextTable::NewUpdatesAvalible, "NewUpdatesAvalible"},
                 {&TextTable::NoNewUpdatesAvalible, "NoNewUpdatesAvalible"},
                 {&TextTable::UpdateNotVerified, "UpdateNotVerified"}})
            Texts.*member = key;
        // The updater this window starts reads the folder's settings and records its boxes.
        for (const char* name : {"XDG_CONFIG_HOME", "VARNEL_MESSAGE_LOG"}) {
            savedVariables.emplace_back(name, qgetenv(name));
            qputenv(name, run.environment().value(name).toUtf8());
        }
        // One settings store, as for an installed copy: the number the updater keeps is the window's.
        setRegistryBackend(platform::createRegistryBackend());
        makeRelease();
        server = std::make_unique<test::HttpServer>(env.path("server"));
        setValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer",
                 (server->baseUrl() + "VarnelUpdate/Zize/Update/").toStdString());
    }
    ~SignedUpdate() override {
        windows.drop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setReleaseKey(std::nullopt);
        Texts = {};
        for (const auto& [name, value] : savedVariables)
            if (value.isEmpty()) qunsetenv(name);
            else qputenv(name, value);
        setProgramFolder(env.folder());
    }

    fs::path release(const std::string& relative = "") const { return env.path("release") / relative; }
    fs::path published(const std::string& relative) const { return env.path(kPublished + relative); }

    int runUpdaterIn(const fs::path& folder, const QStringList& arguments) const {
        QProcess updater;
        updater.setProcessEnvironment(run.environment());
        updater.setWorkingDirectory(QString::fromStdString(folder.string()));
        updater.start(QString::fromStdString((folder / updaterFileName()).string()), arguments);
        if (!updater.waitForFinished(30000)) updater.kill();
        return updater.exitCode();
    }
    void publish() {
        fs::remove_all(env.path(kPublished));
        fs::create_directories(env.path(kPublished));
        fs::copy(release(), env.path(kPublished), fs::copy_options::recursive);
    }

    // Builds the release with the real makeversion1 and the suite's secret
    // key: a newer main program, a data file, the database and the updater.
    // The installed copy is the release before, its version rows at "1".
    void makeRelease() {
        newProgram = readAll(run.path(mainProgramEntry())) + "\nversion 2\n";
        writeAll(release(mainProgramEntry()), newProgram);
        fs::copy_file(run.path(updaterFileName()), release(updaterFileName()));
        fs::permissions(release(updaterFileName()), fs::perms::owner_all);
        fs::create_directories(release("Db"));
        fs::copy_file(run.path("Db/varnel.db"), release("Db/Varnel.db"));
        writeAll(release("Data/a.txt"), "new a");
        writeAll(release("Data/empty.txt"), "");
        ASSERT_EQ(runUpdaterIn(release(), {"makeversion1", QString::fromStdString((kSuiteKeys / "secret.key").string())}),
                  0);
        ASSERT_FALSE(run.boxes().empty());
        EXPECT_EQ(run.boxes().back().rfind("Varnel_Zize_Update|Upd file created\\n\\nSigned with the key ", 0), 0u)
            << run.boxes().back();
        std::string why;
        const std::optional<SignedSums> sums = parseReleaseSums(readAll(release("Update.sums")), why);
        ASSERT_TRUE(sums && sums->stamp) << why;
        releaseNumber = sums->stamp->number;
        EXPECT_EQ(sums->stamp->platform, platform::releasePlatform());
        EXPECT_GE(sums->stamp->validUntil, todayUtc() + std::chrono::days(89));
        EXPECT_TRUE(fs::exists(release("Update.sig")));
        publish();
        fs::copy_file(release("Db/Varnel.db"), run.path("Db/varnel.db"), fs::copy_options::overwrite_existing);
        writeAll(run.path("Data/a.txt"), std::string("old a\x00\xff", 7));
    }

    // Makes the installed copy of these files older than the release's.
    void offer(const std::vector<std::string>& files) {
        for (const std::string& file : files)
            test::sqliteExec(run.path("Db/varnel.db"),
                             "update tbl_Update set colVersion = '0' where colFile = '" + file + "';");
    }
    std::vector<std::string> errorLog() const { return test::crlfLines(readAll(run.path("Error.log"))); }

    // Presses Check on the (loaded or new) window; true once the alert or the status came.
    bool check() {
        alerts.texts.clear();
        UpdateWindow& w = windows.window();
        w.show();
        emit w.checkButton->clicked();
        return test::spinUntil([&] { return !alerts.texts.empty() || (windows.open() && w.statusLabel->isVisible()); });
    }
    // Presses Update; returns when the batch has ended.
    void update() {
        alerts.texts.clear();
        EXPECT_TRUE(test::pressUpdateAndWait(windows.window()));
    }

    // Publishes the release with Data\a.txt raised to version 2, signed with
    // the suite's key under `stamp` (none: as signed before releases had numbers).
    void publishRaised(const std::optional<ReleaseStamp>& stamp) {
        std::string manifest = readAll(release("Update.upd"));
        const std::string line = "Data\\a.txt\t|\t1";
        manifest.replace(manifest.find(line), line.size(), "Data\\a.txt\t|\t2");
        std::string digests = readAll(release("Update.sums"));
        digests.erase(0, digests.find("\r\n", digests.find("Valid-Until: ")) + 2);
        const std::string sums = (stamp ? stampLines(*stamp) : "") + digests;
        std::string why;
        const SecretKey secret = readSecretKey(kSuiteKeys / "secret.key", why).value();
        writeAll(published("Update.upd"), manifest);
        writeAll(published("Update.sums"), sums);
        writeAll(published("Update.sig"), signRelease(manifest, sums, secret));
    }
    std::string installedReleaseValue() const {
        return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "InstalledRelease"));
    }
};

}  // namespace

TEST_F(SignedUpdate, AGenuineReleaseInstallsThroughTheUpdaterAndNoOlderOneAfterIt) {
    offer({"Data\\a.txt", "Data\\empty.txt", "Db\\Varnel.db", mainProgramEntry()});
    windows.startUpdater = true;
    ASSERT_TRUE(check());
    UpdateWindow& w = windows.window();
    EXPECT_EQ(w.statusLabel->text(), "NewUpdatesAvalible");
    EXPECT_EQ(windows.window().downloadList().files,
              (std::vector<std::string>{"Data\\a.txt", "Data\\empty.txt", "Db\\Varnel.db", mainProgramEntry()}));
    EXPECT_EQ(server->requests(),
              "/VarnelUpdate/Zize/Update/Update.upd\n/VarnelUpdate/Zize/Update/Update.sums\n"
              "/VarnelUpdate/Zize/Update/Update.sig\n");
    update();
    EXPECT_EQ(alerts.texts, (std::vector<std::string>{"UpToDate", "Restart"}));

    // The updater checks what waits in Temp against the release, moves it and starts the new program.
    ASSERT_TRUE(run.waitForStandinLog(1, 20000));
    EXPECT_EQ(run.standinLog(), std::vector<std::string>{"started"});
    EXPECT_EQ(readAll(run.path(mainProgramEntry())), newProgram);
    EXPECT_EQ(readAll(run.path("Db/varnel.db")), readAll(release("Db/Varnel.db")));
    EXPECT_EQ(readAll(run.path("Data/a.txt")), "new a");
    // A file the release lists as empty is a whole download, not a failed one.
    EXPECT_TRUE(fs::exists(run.path("Data/empty.txt")) && fs::file_size(run.path("Data/empty.txt")) == 0);
    EXPECT_TRUE(fs::is_empty(run.path("Temp")));
    EXPECT_FALSE(fs::exists(run.path("Error.log"))) << readAll(run.path("Error.log"));
    // With every file in place the updater keeps the release's number.
    EXPECT_EQ(installedReleaseValue(), std::to_string(releaseNumber));
    run.closeStandin();
    windows.drop();  // the program that handed over is gone

    // The swapped database holds version 1 for every file, so each of these
    // would offer Data\a.txt again: an older release, another platform's, an
    // expired one, and one signed before releases had numbers.
    const std::string here = platform::releasePlatform(), other = here == "Linux" ? "Windows" : "Linux";
    const auto valid = todayUtc() + std::chrono::days(90);
    const std::vector<std::pair<std::optional<ReleaseStamp>, std::string>> refused{
        {ReleaseStamp{releaseNumber - 1, here, valid},
         "release " + std::to_string(releaseNumber - 1) + " is older than release " + std::to_string(releaseNumber)},
        {ReleaseStamp{releaseNumber + 1, other, valid}, " is for " + other + ", not " + here},
        {ReleaseStamp{releaseNumber + 1, here, todayUtc() - std::chrono::days(1)},
         " was valid until " + dateText(todayUtc() - std::chrono::days(1)) + " and has expired"},
        {std::nullopt, "Update.sums has no release number"},
    };
    for (const auto& [stamp, reason] : refused) {
        SCOPED_TRACE(reason);
        publishRaised(stamp);
        fs::remove(run.path("Error.log"));
        ASSERT_TRUE(check());
        EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpdateNotVerified"});
        EXPECT_FALSE(fs::exists(run.path("Update.upd")));
        const std::vector<std::string> log = errorLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].rfind(kRefused, 0), 0u) << log[0];
        EXPECT_NE(log[0].find(reason), std::string::npos) << log[0];
    }
    EXPECT_EQ(installedReleaseValue(), std::to_string(releaseNumber));

    // A newer one installs, and its number is kept.
    publishRaised(ReleaseStamp{releaseNumber + 1, here, valid});
    ASSERT_TRUE(check());
    EXPECT_TRUE(alerts.texts.empty());
    EXPECT_EQ(windows.window().downloadList().files, std::vector<std::string>{"Data\\a.txt"});
    update();
    EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpToDate"});
    EXPECT_EQ(installedReleaseValue(), std::to_string(releaseNumber + 1));
}

TEST_F(SignedUpdate, AFileChangedAfterSigningOrCutShortReplacesNothing) {
    const std::string genuine = readAll(published("Data/a.txt"));
    const std::string installed = readAll(run.path("Data/a.txt"));
    std::string oneByteChanged = genuine;
    oneByteChanged[2] ^= 0x20;
    for (const std::string& served : {oneByteChanged, genuine.substr(0, 2)}) {
        SCOPED_TRACE(served);
        offer({"Data\\a.txt"});
        fs::remove(run.path("Error.log"));
        writeAll(published("Data/a.txt"), served);
        ASSERT_TRUE(check());
        EXPECT_EQ(windows.window().downloadList().files, std::vector<std::string>{"Data\\a.txt"});
        update();
        // As a Cancel: the old file back from its backup, the window closed.
        EXPECT_EQ(alerts.texts, (std::vector<std::string>{"UpdateNotVerified", "DownloadCancelled"}));
        EXPECT_EQ(windows.open(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(readAll(run.path("Data/a.txt")), installed);
        EXPECT_TRUE(fs::is_empty(run.path("Temp")));
        EXPECT_EQ(errorLog(), std::vector<std::string>{"verifyDownload\t0\tUpdate could not be verified\t"
                                                       "Data\\a.txt: SHA-256 differs from Update.sums"});
    }
}

TEST_F(SignedUpdate, NothingIsOfferedFromAReleaseThatDoesNotVerify) {
    // The maker raises a version in the published manifest...
    const std::string raised = [&] {
        std::string manifest = readAll(release("Update.upd"));
        const std::string line = "Data\\a.txt\t|\t1";
        manifest.replace(manifest.find(line), line.size(), "Data\\a.txt\t|\t2");
        return manifest;
    }();
    // ...and another key pair, made by the real genkey.
    ASSERT_EQ(runUpdaterIn(run.folder(), {"genkey", QString::fromStdString(env.path("other").string())}), 0);
    EXPECT_EQ(run.boxes().back().rfind("Varnel_Zize_Update|Key pair created:", 0), 0u) << run.boxes().back();
    std::mt19937 random(14);
    auto noise = [&](size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        return bytes;
    };

    const std::vector<std::pair<std::string, std::function<void()>>> releases{
        {"does not match", [&] { writeAll(published("Update.upd"), raised); }},
        {"Update.sig: HTTP 404", [&] { fs::remove(published("Update.sig")); }},
        {"not a signature", [&] { writeAll(published("Update.sig"), noise(1000)); }},
        {"does not match", [&] { writeAll(published("Update.sig"), noise(kSignatureSize)); }},
        {"does not match", [&] { writeAll(published("Update.sums"), noise(5000)); }},
        {"does not match",
         [&] {
             writeAll(release("Update.upd"), raised);
             const QString otherKey = QString::fromStdString(env.path("other/secret.key").string());
             ASSERT_EQ(runUpdaterIn(release(), {"signrelease", otherKey}), 0);
             publish();
         }},
    };
    UpdateWindow& w = windows.window();
    for (const auto& [reason, tamper] : releases) {
        SCOPED_TRACE(reason);
        publish();
        tamper();
        fs::remove(run.path("Error.log"));
        ASSERT_TRUE(check());
        EXPECT_EQ(alerts.texts, std::vector<std::string>{"UpdateNotVerified"});
        EXPECT_FALSE(fs::exists(run.path("Update.upd")));
        EXPECT_FALSE(w.statusLabel->isVisible());
        EXPECT_FALSE(w.updateButton->enabledState());
        const std::vector<std::string> log = errorLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].rfind(kRefused, 0), 0u) << log[0];
        EXPECT_NE(log[0].find(reason), std::string::npos) << log[0];
    }

    // Signed again with the suite's key, the raised version is offered.
    writeAll(release("Update.upd"), raised);
    ASSERT_EQ(runUpdaterIn(release(), {"signrelease", QString::fromStdString((kSuiteKeys / "secret.key").string())}), 0);
    publish();
    ASSERT_TRUE(check());
    EXPECT_TRUE(alerts.texts.empty());
    EXPECT_EQ(w.statusLabel->text(), "NewUpdatesAvalible");
    EXPECT_EQ(windows.window().downloadList().files, std::vector<std::string>{"Data\\a.txt"});
    EXPECT_EQ(windows.window().downloadList().versions, std::vector<std::string>{"2"});
}

TEST(SignedUpdater, KeepsTheOldMainProgramWhenTheOneInTempIsNotTheReleases) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env, VARNEL_TEST_KEY_UPDATER);
    const std::string installed = readAll(run.path(mainProgramEntry()));
    std::string why;
    const SecretKey secret = readSecretKey(kSuiteKeys / "secret.key", why).value();
    // What the main program saved beside the download: a release that lists
    // the genuine new program. What lies in Temp is another file.
    const std::string manifest = mainProgramEntry() + "\t|\t2\r\n";
    Sha256Stream genuine;
    genuine.add("genuine program", 15);
    const std::string sums =
        stampLines({1, platform::releasePlatform(), todayUtc() + std::chrono::days(90)}) +
        sumsLine(genuine.finish(), mainProgramEntry());
    writeAll(run.path("Temp/Update.upd"), manifest);
    writeAll(run.path("Temp/Update.sums"), sums);
    writeAll(run.path("Temp/Update.sig"), signRelease(manifest, sums, secret));
    writeAll(run.path("Temp/" + mainProgramEntry()), "swapped program");
    test::sqliteExec(run.path("Db/varnel.db"), "insert into tbl_Update values ('" + mainProgramEntry() + "','2');");

    EXPECT_EQ(run.runUpdater({"moveexedb"}), 0);
    ASSERT_TRUE(run.waitForStandinLog(1));
    EXPECT_EQ(run.standinLog(), std::vector<std::string>{"started"});  // the old program, started again
    EXPECT_EQ(readAll(run.path(mainProgramEntry())), installed);
    EXPECT_TRUE(fs::is_empty(run.path("Temp")));
    EXPECT_EQ(test::sqliteRows(run.path("Db/varnel.db"), "select colVersion from tbl_Update"),
              (std::vector<std::vector<std::string>>{{"1"}}));
    EXPECT_EQ(test::crlfLines(readAll(run.path("Error.log"))),
              std::vector<std::string>{"Varnel_Zize_Update.exe - verifyFiles\t0\tUpdate could not be verified\tTemp\\" +
                                       mainProgramEntry() + ": SHA-256 differs from Update.sums"});
    // The user, last told to restart, learns why the old program is back.
    EXPECT_EQ(run.boxes(), std::vector<std::string>{"Varnel_Zize_Update|The update could not be verified."});
    run.closeStandin();

    // Its usage box names the key it checks with.
    EXPECT_EQ(run.runUpdater({}), 0);
    const std::string key = readAll(kSuiteKeys / "public.key").substr(0, 16);
    EXPECT_NE(run.boxes().back().find("Updates are verified with the release key " + key + "..."), std::string::npos)
        << run.boxes().back();
}
