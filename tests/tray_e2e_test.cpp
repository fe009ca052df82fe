// The whole program on a real X server with a notification area: a person
// switches the active group from the tray menu, and the command line drives
// the copy that runs.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/registry.h"
#include "shell/close_channel.h"
#include "skin/skin_layout.h"
#include "support/db_files.h"
#include "support/http_server.h"
#include "support/program_folder_copy.h"
#include "support/test_env.h"
#include "update/update_paths.h"
#include "support/x_desktop.h"

using namespace varnel;
using namespace varnel::test;

namespace {

const std::string kW = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";

QString run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    return runTool(program, args, env).trimmed();
}

// The display's viewable windows of the program, by size: the editor and
// the update window are 401 x 250, the splash and About box 299 x 147.
QStringList shownWindows(const QProcessEnvironment& env) {
    QStringList sizes;
    const QString ids = run("xdotool", {"search", "--onlyvisible", "--name", "^Varnel Zize"}, env);
    for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
        const QRect g = windowGeometry(id, env);
        sizes << QStringLiteral("%1x%2").arg(g.width()).arg(g.height());
    }
    sizes.sort();
    return sizes;
}

const QString kEditor = "401x250", kAbout = "299x147", kAlert = "250x100";

// The first viewable window of the program with that size.
QRect shownWindow(const QProcessEnvironment& env, const QString& size) {
    const QString ids = run("xdotool", {"search", "--onlyvisible", "--name", "^Varnel Zize"}, env);
    for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
        const QRect g = windowGeometry(id, env);
        if (QStringLiteral("%1x%2").arg(g.width()).arg(g.height()) == size) return g;
    }
    return {};
}

void click(const QProcessEnvironment& env, QPoint at, int times) {
    run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat",
                    QString::number(times), "--delay", "60", "1"},
        env);
}

// Opens the icon's menu and chooses its item `item` (0 = Groups, 5 = About,
// 6 = Update; from the foot -1 = Exit, -2 = Start at login) with the
// keyboard, until `opened` holds.
bool chooseFromMenu(const QProcessEnvironment& env, QPoint icon, int item, const std::function<bool()>& opened) {
    return ProgramFolderCopy::waitFor([&] {
        run("xdotool", {"mousemove", QString::number(icon.x()), QString::number(icon.y()), "click", "3"}, env);
        QThread::msleep(700);
        QStringList keys{"key"};
        for (int i = 0; i <= item; ++i) keys << "Down";
        for (int i = 0; i > item; --i) keys << "Up";
        run("xdotool", keys << "Return", env);
        QThread::msleep(700);
        return opened();
    }, 20000);
}

}  // namespace

TEST(TrayEndToEnd, SwitchingTheGroupFromTheTrayMenuAppliesItAndRenamesTheTooltip) {
    ProgramFolderCopy folder;
    createKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\12.0\\Common\\Open Find\\Places\\StandardPlaces\\Desktop");
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    folder.addGroup("Work", {"/home/work/a", "/home/work/b", "/srv/c", "/srv/d", "/tmp"}, true);
    folder.addGroup("Music", {"/music/rock", "/music/jazz", "/music/folk", "/music/new", "/music/old"}, false);

    QProcessEnvironment env = folder.processEnvironment();
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());

    auto program = folder.start("Varnel_Zize", {}, env);
    ASSERT_EQ(program->state(), QProcess::Running);

    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return regText(queryValue(HKEY_CURRENT_USER, kW, "place0")) == "/home/work/a"; }));
    QString tip;
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] {
        tip = queryProgram("Varnel_Zize", "tooltip");
        return tip == "Varnel - Current group : Work ";
    })) << tip.toStdString();

    // The icon sits in the notification area; its menu opens with the right button.
    ASSERT_TRUE(switchGroupFromTrayMenu(env, display.trayWindow(), [] {
        return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")) == "Music";
    }, 20000));

    EXPECT_TRUE(ProgramFolderCopy::waitFor([] { return regText(queryValue(HKEY_CURRENT_USER, kW, "place0")) == "/music/rock"; }));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER,
                                 "Software\\Microsoft\\Office\\12.0\\Common\\Open Find\\Places\\UserDefinedPlaces\\Place4",
                                 "Name")),
              "old");
    EXPECT_EQ(queryProgram("Varnel_Zize", "tooltip"), "Varnel - Current group : Music ");

    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(10000));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_FALSE(folder.env().exists("Error.log")) << folder.env().readFile("Error.log");
}

TEST(TrayEndToEnd, TheIconStillAnswersWhileAboutOrTheUpdateWindowIsOpen) {
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    folder.addGroup("Work", {"/w/a", "/w/b", "/w/c", "/w/d", "/w/e"}, true);
    QProcessEnvironment env = folder.processEnvironment();
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());
    auto program = folder.start("Varnel_Zize", {}, env);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env) == QStringList{kEditor}; }));

    const QPoint icon = windowGeometry(display.trayWindow(), env).center();
    ASSERT_FALSE(icon.isNull());
    ASSERT_TRUE(chooseFromMenu(env, icon, 5, [&] { return shownWindows(env).contains(kAbout); }));

    // A double click on the icon closes About and hides the editor.
    click(env, icon, 2);
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env).isEmpty(); }, 5000))
        << shownWindows(env).join(' ').toStdString();
    click(env, icon, 2);
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env) == QStringList{kEditor}; }, 5000));

    // The same for the update window, as large as the editor.
    ASSERT_TRUE(chooseFromMenu(env, icon, 6, [&] { return shownWindows(env) == QStringList{kEditor, kEditor}; }));
    click(env, icon, 2);
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env).isEmpty(); }, 5000))
        << shownWindows(env).join(' ').toStdString();

    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(10000));
}

TEST(TrayEndToEnd, OnAStatusNotifierTrayASingleClickDoesTheDoubleClicksWork) {
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    folder.addGroup("Work", {"/w/a", "/w/b", "/w/c", "/w/d", "/w/e"}, true);
    QProcessEnvironment env = folder.processEnvironment();
    TrayDisplay display(env, /*withTray=*/false);
    ASSERT_TRUE(display.up());

    // A session bus of the test's own, with a StatusNotifierItem host on it.
    SessionBus bus(env);
    ASSERT_TRUE(bus.up());
    env.insert("NO_AT_BRIDGE", "1");  // no accessibility bus for the host
    {
        // The host now and then comes up without its bar on a busy machine:
        // a host that shows nothing within 15 s is started again.
        std::unique_ptr<HelperProcess> host;
        QString hostOutput;
        bool barShown = false;
        for (int attempt = 0; attempt < 3 && !barShown; ++attempt) {
            host.reset();
            host = std::make_unique<HelperProcess>(
                "gtk-sni-tray-standalone", QStringList{"--watcher", "--top", "--beginning", "--size", "30"}, env,
                /*keepOutput=*/true);
            barShown = ProgramFolderCopy::waitFor([&] {
                return !run("xdotool", {"search", "--onlyvisible", "--name", "gtk-sni-tray-standalone"}, env).isEmpty();
            }, 15000);
            if (!barShown) hostOutput += QString::fromUtf8(host->process.readAll());
        }
        // Nothing of ours runs yet: a host that cannot come up here is the
        // machine's matter, reported with its output, not a fault of the program.
        if (!barShown) GTEST_SKIP() << "the StatusNotifier host showed no bar; its output:\n" << hostOutput.toStdString();
        QThread::msleep(500);
        // GTK's bookmarks are a folder: the program tells the desktop's
        // notification service so once, whatever switches follow.
        folder.addGroup("Music", {"/m/a", "/m/b", "/m/c", "/m/d", "/m/e"}, false);
        const QString bookmarks = QString::fromStdString(folder.env().path("config/gtk-3.0/bookmarks").string());
        ASSERT_TRUE(QDir().mkpath(bookmarks));
        HelperProcess notifications(VARNEL_PYTHON, {VARNEL_NOTIFICATION_SERVER}, env, /*keepOutput=*/true);
        QString notified;
        auto shownNotifications = [&] {
            notified += QString::fromUtf8(notifications.process.readAll());
            return notified.split('\n', Qt::SkipEmptyParts);
        };
        ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownNotifications().contains("ready"); }));
        const QStringList toldOnce{"ready", "Varnel Zize|The group did not reach GTK. Check " + bookmarks + " (not readable)."};
        auto program = folder.start("Varnel_Zize", {}, env);
        ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env) == QStringList{kEditor}; }));
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return shownNotifications() == toldOnce; }))
            << notified.toStdString();
        for (const char* group : {"Music", "Work"}) {
            QProcess command;
            command.setProcessEnvironment(env);
            command.start(QString::fromStdString(folder.env().path("Varnel_Zize").string()), {"--group", group});
            ASSERT_TRUE(command.waitForFinished(60000));
            EXPECT_EQ(command.exitCode(), 0);
        }
        QThread::msleep(500);  // a second notice would be on its way by now
        EXPECT_EQ(shownNotifications(), toldOnce) << notified.toStdString();

        // The host reports each click as one activation: one click hides, the next shows.
        const QPoint icon(15, 15);
        ASSERT_TRUE(ProgramFolderCopy::waitFor([&] {
            click(env, icon, 1);
            return ProgramFolderCopy::waitFor([&] { return shownWindows(env).isEmpty(); }, 1500);
        }, 10000));
        QThread::msleep(800);  // past the host's own double-click time
        click(env, icon, 1);
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env) == QStringList{kEditor}; }, 5000))
            << shownWindows(env).join(' ').toStdString();

        // The host draws the program's menu itself: About from there, and a
        // click on the icon closes it again and hides the editor.
        ASSERT_TRUE(chooseFromMenu(env, icon, 5, [&] { return shownWindows(env).contains(kAbout); }));
        click(env, icon, 1);
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env).isEmpty(); }, 5000))
            << shownWindows(env).join(' ').toStdString();

        ASSERT_TRUE(requestClose("Varnel_Zize"));
        ASSERT_TRUE(program->waitForFinished(10000));
    }
}

TEST(TrayEndToEnd, TheCommandLineAndStartAtLoginTellTheTruthAboutTheRunningCopy) {
    namespace fs = std::filesystem;
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    QProcessEnvironment env = folder.processEnvironment();
    // Where an organisation's configuration tools drop the policy.
    const fs::path policy = folder.env().path("xdg/Varnel/policy.conf");
    env.insert("XDG_CONFIG_DIRS", QString::fromStdString(folder.env().path("xdg").string()) + ":/etc/xdg");
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());
    // No group yet: the editor opens ready to add one.
    auto program = folder.start("Varnel_Zize", {}, env);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env) == QStringList{kEditor}; }));

    auto command = [&](const QStringList& arguments) { return folder.command(arguments, env); };
    auto currentGroup = [] { return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")); };

    // Another program adds groups to the database while the copy runs.
    folder.addGroup("Music", {"/music/rock", "/music/jazz", "/music/folk", "/music/new", "/music/old"}, false);
    folder.addGroup("Work", {"/w/a", "/w/b", "/w/c", "/w/d", "/w/e"}, false);
    EXPECT_EQ(command({"--list"}).out, "  Music\n  Work\n");
    EXPECT_EQ(command({"--group", "Music"}).status, 0);
    EXPECT_EQ(currentGroup(), "Music");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/music/rock");

    // Qt's own options are Qt's, before the command as before a start.
    const CommandOutcome withQtOptions = command({"-platform", "xcb", "-style", "Fusion", "--list"});
    EXPECT_EQ(withQtOptions.status, 0) << withQtOptions.err;
    EXPECT_EQ(withQtOptions.out, "* Music\n  Work\n");

    // The organisation's policy arrives while the copy runs: its groups come
    // after the user's, marked, and its Work takes the place of the user's,
    // which comes back when the policy goes. A line that makes no sense is
    // logged with its number; the rest is used.
    fs::create_directories(policy.parent_path());
    folder.env().writeFile("xdg/Varnel/policy.conf", "# Nordlicht\r\n[Policy]\r\nDisableOnlineUpdate = 1\r\n\r\n[groups]\r\n"
                      "Finance = /srv/finance|/srv/finance/reports\r\nWork=/team/a|/team/b|/team/c|/team/d|/team/e\r\n"
                      "no equals sign\r\n");
    EXPECT_EQ(command({"--list"}).out, "* Music\n  Finance (managed)\n  Work (managed)\n");
    EXPECT_EQ(command({"--group", "Work"}).status, 0);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/team/a");
    EXPECT_NE(folder.env().readFile("Error.log").find(policy.string() + " line 8: no \"=\" in no equals sign"),
              std::string::npos)
        << folder.env().readFile("Error.log");
    fs::remove(folder.env().path("Error.log"));
    fs::remove(policy);
    EXPECT_EQ(command({"--list"}).out, "  Music\n* Work\n");
    EXPECT_EQ(command({"--group", "Music"}).status, 0);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/music/rock");

    // A package upgrade replaces the program file under the running copy:
    // the session is to start the installed file.
    const fs::path programFile = folder.env().path("Varnel_Zize");
    fs::copy_file(programFile, folder.env().path("Varnel_Zize.new"));
    fs::rename(folder.env().path("Varnel_Zize.new"), programFile);
    const fs::path entry = folder.env().path("config/autostart/varnel-zize.desktop");
    const QPoint icon = windowGeometry(display.trayWindow(), env).center();
    ASSERT_TRUE(chooseFromMenu(env, icon, -2, [&] { return fs::exists(entry); }));
    const std::string entryText = folder.env().readFile("config/autostart/varnel-zize.desktop");
    EXPECT_NE(entryText.find("\nExec=\"" + programFile.string() + "\"\n"), std::string::npos) << entryText;

    // Save without a name: the alert waits for its OK, and the group stays.
    const QPoint save(layout::editor::mainButtonsLeft + 40, layout::editor::mainButtonsTop[2] + 12);
    click(env, shownWindow(env, kEditor).topLeft() + save, 1);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env).contains(kAlert); }));
    const CommandOutcome busy = command({"--group", "Work"});
    EXPECT_EQ(busy.status, 3) << busy.err;
    EXPECT_EQ(currentGroup(), "Music");
    click(env, shownWindow(env, kAlert).topLeft() + QPoint(124, 79), 1);  // its OK button
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return !shownWindows(env).contains(kAlert); }));

    // A copy held up in its shut-down (here by the settings store's lock,
    // which its Exit needs) has not ended, whatever the wait.
    const int storeLock = ::open(folder.env().path("config/Varnel/HKEY_CURRENT_USER.reg.lock").c_str(),
                                 O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(storeLock, 0);
    ASSERT_EQ(::flock(storeLock, LOCK_EX), 0);
    const CommandOutcome stillRunning = command({"--quit"});
    ::close(storeLock);
    EXPECT_EQ(stillRunning.status, 4);
    EXPECT_EQ(stillRunning.err, "Varnel_Zize was asked to end but still runs.\n");
    ASSERT_TRUE(program->waitForFinished(30000));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_EQ(command({"--list"}).status, 1);
}

// Asked to end while the update's last box is open (the release holds a new
// main program): the program stays ended. No updater is started, and the new
// program that waited in Temp for it goes back as on Cancel, so that the next
// check offers it again.
TEST(TrayEndToEnd, QuitDuringTheUpdatesLastBoxEndsTheProgramForGood) {
    namespace fs = std::filesystem;
    ProgramFolderCopy folder;
    TestEnvironment& files = folder.env();
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    folder.addGroup("Work", {"/w/a", "/w/b", "/w/c", "/w/d", "/w/e"}, true);
    const std::string entry = mainProgramEntry();
    sqliteExec(files.path("Db/Varnel.db"), "delete from tbl_Update where colFile = '" + entry +
                                               "'; insert into tbl_Update values ('" + entry + "', '1');");
    files.writeFile("server/VarnelUpdate/Zize/Update/Update.upd", entry + "\t|\t2\r\n");
    files.writeFile("server/VarnelUpdate/Zize/Update/" + entry, "a new program");
    HttpServer server(files.path("server"));
    setValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer",
             (server.baseUrl() + "VarnelUpdate/Zize/Update/").toStdString());

    QProcessEnvironment env = folder.processEnvironment();
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());
    auto program = folder.start("Varnel_Zize", {}, env);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env) == QStringList{kEditor}; }));
    const QPoint icon = windowGeometry(display.trayWindow(), env).center();
    ASSERT_TRUE(chooseFromMenu(env, icon, 6, [&] { return shownWindows(env) == QStringList{kEditor, kEditor}; }));
    const QRect window = windowGeometry(run("xdotool", {"search", "--onlyvisible", "--name", "^Varnel Zize Update"}, env)
                                            .section('\n', 0, 0), env);
    ASSERT_FALSE(window.isEmpty());
    click(env, window.topLeft() + layout::update::checkButton + QPoint(20, 8), 1);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return server.requests().find("Update.upd") != std::string::npos; }));
    QThread::msleep(500);
    click(env, window.topLeft() + layout::update::updateButton + QPoint(20, 8), 1);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return shownWindows(env).contains(kAlert); }, 30000));

    QProcess quit;
    quit.setProcessEnvironment(env);
    quit.start(QString::fromStdString(files.path("Varnel_Zize").string()), {"--quit"});
    ASSERT_TRUE(quit.waitForFinished(60000));
    EXPECT_EQ(quit.exitCode(), 0) << quit.readAllStandardError().toStdString();
    ASSERT_TRUE(program->waitForFinished(30000));

    // A hand-over would have started the updater before the program ended.
    bool updaterRuns = false;
    for (const auto& process : fs::directory_iterator("/proc")) {
        std::error_code error;
        const fs::path exe = fs::read_symlink(process.path() / "exe", error);
        updaterRuns = updaterRuns || (!error && exe.filename() == "Varnel_Zize_Update");
    }
    EXPECT_FALSE(updaterRuns);
    EXPECT_FALSE(files.exists("Temp/" + entry));
    EXPECT_EQ(sqliteRows(files.path("Db/Varnel.db"), "select colVersion from tbl_Update where colFile = '" + entry + "'"),
              (std::vector<std::vector<std::string>>{{"1"}}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
}
