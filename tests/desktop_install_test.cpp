// The program as a Linux user installs it: into a prefix of its own, checked
// by the desktop's validators, started from a read-only program folder and
// driven by its command line while it runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include <QCoreApplication>
#include <QEvent>
#include <QProcess>
#include <QTimer>

#include "core/program_folder.h"
#include "core/registry.h"
#include "lang/text_table.h"
#include "shell/close_channel.h"
#include "skin/message_boxes.h"
#include "support/db_files.h"
#include "support/http_server.h"
#include "support/program_folder_copy.h"
#include "update/update_window.h"
#include "update/update_paths.h"

using namespace varnel;
using test::ProgramFolderCopy;

namespace {

namespace fs = std::filesystem;

const std::string kW = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";

struct Outcome {
    int status = -1;
    QString out;
};

Outcome run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {}) {
    QProcess p;
    if (!environment.isEmpty()) p.setProcessEnvironment(environment);
    p.start(program, arguments);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

// Installs the build into `prefix`, as `make install PREFIX=...` does, without
// touching the manifest of the user's own install.
bool install(const fs::path& prefix) {
    const Outcome r = run("cmake", {"--install", VARNEL_BUILD_DIR, "--prefix", QString::fromStdString(prefix.string()),
                                "--component", "Unspecified"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    return r.status == 0;
}

QString placesBar0() { return QString::fromStdString(regText(queryValue(HKEY_CURRENT_USER, kW, "place0"))); }

}  // namespace

TEST(DesktopInstall, InstallsTheProgramFolderLauncherAndDesktopFilesThatPassTheirValidators) {
    ProgramFolderCopy folder;
    const fs::path prefix = folder.env().path("prefix");
    ASSERT_TRUE(install(prefix));

    EXPECT_TRUE(fs::is_symlink(prefix / "bin/Varnel_Zize"));
    EXPECT_EQ(fs::canonical(prefix / "bin/Varnel_Zize"), fs::canonical(prefix / "lib/varnel-zize/Varnel_Zize"));
    for (const char* file : {"Varnel_Zize_Update", "Db/Varnel.db", "Language/English.lang", "Language/Deutsch.lang",
                             "Build/splash.gif", "Build/Icon/Tray.ico"})
        EXPECT_TRUE(fs::exists(prefix / "lib/varnel-zize" / file)) << file;
    for (const char* size : {"16x16", "32x32", "48x48", "128x128", "256x256"})
        EXPECT_TRUE(fs::exists(prefix / "share/icons/hicolor" / size / "apps/se.varnelzize.VarnelZize.png")) << size;
    EXPECT_TRUE(fs::exists(prefix / "share/icons/hicolor/scalable/apps/se.varnelzize.VarnelZize.svg"));

    const fs::path desktop = prefix / "share/applications/se.varnelzize.VarnelZize.desktop";
    const Outcome entry = run("desktop-file-validate", {QString::fromStdString(desktop.string())});
    EXPECT_EQ(entry.status, 0) << entry.out.toStdString();
    // The menu starts the installed launcher, wherever the prefix is.
    std::ifstream in(desktop);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_NE(content.str().find("Exec=\"" + (prefix / "bin/Varnel_Zize").string() + "\"\n"), std::string::npos);
    const Outcome meta =
        run("appstreamcli", {"validate", "--no-net",
                             QString::fromStdString((prefix / "share/metainfo/se.varnelzize.VarnelZize.metainfo.xml").string())});
    EXPECT_EQ(meta.status, 0) << meta.out.toStdString();

    // Installing again keeps the groups the user made in a per-user install;
    // the version rows are the installed files' again, not an update's.
    const fs::path database = prefix / "lib/varnel-zize/Db/Varnel.db";
    test::sqliteExec(database, "insert into tbl_Groups values ('Work', '/a', '/b', '/c', '/d', '/e');"
                               "update tbl_Update set colVersion = '2' where colFile = 'Language\\Deutsch.lang';");
    folder.env().writeFile("prefix/lib/varnel-zize/Language/Deutsch.lang", "an update's texts");
    ASSERT_TRUE(install(prefix));
    EXPECT_EQ(test::sqliteRows(database, "select colName from tbl_Groups"), std::vector<std::vector<std::string>>{{"Work"}});
    EXPECT_EQ(test::sqliteRows(database, "select colVersion from tbl_Update where colFile = 'Language\\Deutsch.lang'"),
              std::vector<std::vector<std::string>>{{"1"}});
    EXPECT_NE(folder.env().readFile("prefix/lib/varnel-zize/Language/Deutsch.lang"), "an update's texts");
}

// A per-user install is a release: no groups, and for every installed file the
// version row "makeversion1" writes, so that the update check offers the file
// the server raised. (Without the rows it found "No new updates".)
TEST(DesktopInstall, TheInstalledCopyIsAReleaseThatTakesAnUpdate) {
    ProgramFolderCopy folder;
    test::TestEnvironment& env = folder.env();
    ASSERT_TRUE(install(env.path("prefix")));
    const fs::path installed = env.path("prefix/lib/varnel-zize");
    const fs::path database = installed / "Db/Varnel.db";
    const std::string allRows = "select * from tbl_Update order by rowid";
    const auto shipped = test::sqliteRows(database, allRows);
    EXPECT_TRUE(test::sqliteRows(database, "select * from tbl_Groups").empty());

    // The rows the real release builder writes for the installed files.
    fs::copy(installed, env.path("rebuilt"), fs::copy_options::recursive);
    QProcess builder;
    builder.setProcessEnvironment(folder.processEnvironment());
    builder.setWorkingDirectory(QString::fromStdString(env.path("rebuilt").string()));
    builder.start(QString::fromStdString(env.path("rebuilt/Varnel_Zize_Update").string()), {"makeversion1"});
    ASSERT_TRUE(builder.waitForFinished(60000));
    EXPECT_EQ(shipped, test::sqliteRows(env.path("rebuilt/Db/Varnel.db"), allRows));
    EXPECT_NE(std::find(shipped.begin(), shipped.end(), std::vector<std::string>{"Language\\Deutsch.lang", "1"}),
              shipped.end());

    // The update server raises one file.
    const std::string published = "server/VarnelUpdate/Zize/Update/";
    env.writeFile(published + "Update.upd", "Language\\Deutsch.lang\t|\t2\r\n");
    env.writeFile(published + "Language/Deutsch.lang", "neue Texte");
    test::HttpServer server(env.path("server"));
    setProgramFolder(installed);
    setValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer",
             (server.baseUrl() + "VarnelUpdate/Zize/Update/").toStdString());
    Texts = {};
    Texts.NewUpdatesAvalible = "NewUpdatesAvalible";
    Texts.NoNewUpdatesAvalible = "NoNewUpdatesAvalible";
    Texts.UpToDate = "UpToDate";
    std::vector<std::string> alerts;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        AlertBox* box = shownAlertBox();
        if (!box) return;
        alerts.push_back(box->messageLabel->text().toStdString());
        emit box->okButton->clicked();
    });
    answer.start(10);

    UpdateWindow& window = *new UpdateWindow();
    window.show();
    emit window.checkButton->clicked();
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return window.statusLabel->isVisible(); }));
    EXPECT_EQ(window.statusLabel->text().toStdString(), "NewUpdatesAvalible");
    EXPECT_EQ(window.downloadList().files, std::vector<std::string>{"Language\\Deutsch.lang"});
    emit window.updateButton->clicked();
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return !alerts.empty(); }));
    EXPECT_EQ(alerts, std::vector<std::string>{"UpToDate"});
    EXPECT_EQ(env.readFile("prefix/lib/varnel-zize/Language/Deutsch.lang"), "neue Texte");
    EXPECT_EQ(test::sqliteRows(database, "select colVersion from tbl_Update where colFile = 'Language\\Deutsch.lang'"),
              std::vector<std::vector<std::string>>{{"2"}});

    delete &window;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Texts = {};
    setProgramFolder(env.folder());
}

TEST(DesktopInstall, ReadOnlyProgramFolderRunsFromTheUserDataFolderAndObeysTheCommandLine) {
    ProgramFolderCopy folder;
    const fs::path prefix = folder.env().path("prefix");
    ASSERT_TRUE(install(prefix));
    const QString programFolder = QString::fromStdString((prefix / "lib/varnel-zize").string());
    const QString launcher = QString::fromStdString((prefix / "bin/Varnel_Zize").string());
    const fs::path data = folder.env().path("data");
    QProcessEnvironment environment = folder.processEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(data.string()));

    // Root writes anywhere: a read-only mount is what makes the folder read-only for it.
    QStringList readOnly;
    if (::geteuid() == 0) {
        if (run("unshare", {"--mount", "true"}).status != 0) GTEST_SKIP() << "no mount namespace for a read-only folder";
        readOnly = {"--mount", "sh", "-c",
                    "mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" \"$0\" && exec \"$1\"",
                    programFolder, launcher};
    } else {
        ASSERT_EQ(run("chmod", {"-R", "a-w", programFolder}).status, 0);
    }
    auto start = [&] {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment);
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        if (readOnly.isEmpty()) p->start(launcher, {});
        else p->start("unshare", readOnly);
        EXPECT_TRUE(ProgramFolderCopy::waitFor([] { return !queryProgram("Varnel_Zize", "tooltip", 200).isEmpty(); }));
        return p;
    };
    auto command = [&](const QStringList& arguments) { return run(launcher, arguments, environment); };

    // First start: the shipped, empty database is copied into the user's folder.
    auto program = start();
    EXPECT_TRUE(fs::exists(data / "Varnel/Db/Varnel.db"));
    EXPECT_EQ(command({"--list"}).status, 0);
    EXPECT_EQ(command({"--quit"}).status, 0);
    ASSERT_TRUE(program->waitForFinished(10000));

    // The user's groups live there from now on.
    folder.addGroup("Work", {"/srv/work", "/srv/b", "/srv/c", "/srv/d", "/srv/e"}, true);
    folder.addGroup("Home", {"/home/h", "/home/i", "/home/j", "/home/k", "/home/l"}, false);
    fs::copy_file(folder.env().path("Db/Varnel.db"), data / "Varnel/Db/Varnel.db",
                  fs::copy_options::overwrite_existing);
    program = start();
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBar0() == "/srv/work"; }));
    EXPECT_EQ(command({"--list"}).out, "* Work\n  Home\n");

    // As choosing Home in the tray menu: the store, the Places Bar and the greyed item follow.
    EXPECT_EQ(command({"--group", "Home"}).status, 0);
    EXPECT_EQ(placesBar0(), "/home/h");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")), "Home");
    EXPECT_EQ(command({"--list"}).out, "  Work\n* Home\n");
    EXPECT_EQ(queryProgram("Varnel_Zize", "tooltip"), "Varnel - Current group : Home ");

    const Outcome unknown = command({"--group", "Nowhere"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.contains("no group named \"Nowhere\"")) << unknown.out.toStdString();
    EXPECT_EQ(command({"--frobnicate"}).status, 2);
    EXPECT_EQ(placesBar0(), "/home/h");

    // What a system-wide install writes stays out of its program folder.
    EXPECT_FALSE(fs::exists(prefix / "lib/varnel-zize/Error.log"));

    EXPECT_EQ(command({"--quit"}).status, 0);
    EXPECT_TRUE(program->waitForFinished(10000));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    const Outcome gone = command({"--list"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.out, "Varnel_Zize is not running.\n");
    EXPECT_TRUE(folder.messages().isEmpty()) << folder.messages().join('\n').toStdString();

    if (readOnly.isEmpty()) run("chmod", {"-R", "u+w", programFolder});
}
