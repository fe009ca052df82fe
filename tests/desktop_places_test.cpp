// The group in the sidebars of the desktop's real file dialogs: a GTK 3 file
// chooser, Qt's widget file dialog, KDE's places model (and under Wine the
// Places Bar and the navigation pane of Wine's dialogs) list the five folders
// while the program runs, follow a switch made in the tray menu, and lose them
// again when the program is ended; a killed program leaves nothing twice behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <QUrl>

#include <signal.h>

#include <filesystem>
#include <fstream>

#include "core/registry.h"
#include "targets/wine/wine_places.h"
#include "shell/close_channel.h"
#include "support/program_folder_copy.h"
#include "support/x_desktop.h"

using namespace varnel;
using namespace varnel::test;

namespace {

// How long a start may take on a busy machine (a bound, not a measure).
constexpr int kStarted = 120000;

// The dialogs' probes are real programs: a loaded machine may take its time
// starting them, and a probe ended early would read as a wrong sidebar.
QString run(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs = 180000) {
    return runTool(program, args, env, timeoutMs);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The sidebars as the dialogs show them: "label<TAB>url" lines; Wine's
// places bar as its captions.
struct Sidebars {
    QStringList gtk, qt, kde, wine;
};

// Under scripts/wine-session.sh the test has a Wine prefix of its own, and
// reads Wine's Open dialog too.
bool withWine() {
    return !qEnvironmentVariableIsEmpty("VARNEL_WINE_SESSION") && !qEnvironmentVariableIsEmpty("WINEPREFIX") &&
           !QString(VARNEL_WINE_PROBE).isEmpty();
}

class Desktop {
public:
    explicit Desktop(ProgramFolderCopy& folder) : folder_(folder) {
        home_ = QString::fromStdString(folder.env().path("home").string());
        QDir().mkpath(home_);
        env_ = folder.processEnvironment();
        env_.insert("XDG_CACHE_HOME", home_ + "/.cache");
        env_.insert("QT_QPA_PLATFORM", "xcb");
        env_.insert("NO_AT_BRIDGE", "1");
        env_.insert("GTK_A11Y", "none");
        env_.insert("GSETTINGS_BACKEND", "memory");
        env_.remove("WAYLAND_DISPLAY");
        if (withWine()) env_.insert("WINEPREFIX", qEnvironmentVariable("WINEPREFIX"));
        QDir().mkpath(home_ + "/.local/share");
    }

    QString home() const { return home_; }
    QString config() const { return env_.value("XDG_CONFIG_HOME"); }
    QProcessEnvironment& env() { return env_; }

    Sidebars read() {
        Sidebars s;
        s.gtk = lines(run(VARNEL_PYTHON, {VARNEL_GTK_PROBE}, env_));
        s.qt = lines(run(VARNEL_QT_PROBE, {}, env_));
        if (QString(VARNEL_KDE_PROBE).size()) {
            QProcessEnvironment kde = env_;
            kde.insert("QT_QPA_PLATFORM", "offscreen");
            QProcess p;
            p.setProcessEnvironment(kde);
            p.start(VARNEL_KDE_PROBE, {});
            p.waitForFinished(180000);
            s.kde = lines(QString::fromUtf8(p.readAllStandardOutput()));
        }
        if (withWine()) s.wine = wine();
        return s;
    }

    QStringList wine() {
        // A Windows program's text output ends its lines with CR LF.
        QStringList captions = lines(run("wine", {VARNEL_WINE_PROBE}, env_));
        for (QString& c : captions) c = c.trimmed();
        return captions;
    }

    // Wine's part runs beside the program's events: wait for it.
    bool wineShows(const QStringList& captions) {
        return !withWine() || ProgramFolderCopy::waitFor([&] { return wine() == captions; }, 180000);
    }

    // The group's entries in the desktop root of Wine's shell, which its
    // new-style dialog shows in the navigation pane: "name" each, followed
    // by "name/file" for the content of the folder named `opened`.
    QStringList wineRoot(const QString& opened) {
        QStringList ours;
        bool inOurs = false;
        for (QString line : lines(run("wine", {VARNEL_WINE_ROOT_PROBE, opened}, env_))) {
            if (line.endsWith('\r')) line.chop(1);
            if (line.startsWith('\t')) {
                if (inOurs) ours << opened + '/' + line.mid(1);
                continue;
            }
            inOurs = line.contains("\t::{377c742e-5507-469c-a9ea-0fb0926479b", Qt::CaseInsensitive);
            if (inOurs) ours << line.section('\t', 0, 0);
        }
        return ours;
    }

    bool wineRootShows(const QStringList& entries, const QString& opened) {
        return !withWine() || ProgramFolderCopy::waitFor([&] { return wineRoot(opened) == entries; }, 180000);
    }

private:
    static QStringList lines(const QString& text) { return text.split('\n', Qt::SkipEmptyParts); }
    ProgramFolderCopy& folder_;
    QString home_;
    QProcessEnvironment env_;
};

// The Places Bar key of the test's Wine prefix, as Wine's regedit names it,
// and a place of the user's in it.
const QString kWinePlacesBarKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Comdlg32\\PlacesBar";
const QByteArray kUsersPlace = "\"Place0\"=\"C:\\\\users\"";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// Wine's own regedit imports `sections` (a .reg file's body) through `tools`.
void importIntoWine(const QString& tools, const QByteArray& sections) {
    writeFile(tools + "/import.reg", "REGEDIT4\r\n\r\n" + sections);
    run("wine", {"regedit", "/s", tools + "/import.reg"}, QProcessEnvironment::systemEnvironment());
}

// The Places Bar key as Wine's regedit exports it now; empty when it is not there.
QString exportedWineKey(const QString& tools) {
    QFile::remove(tools + "/now.reg");
    run("wine", {"regedit", "/e", tools + "/now.reg", kWinePlacesBarKey}, QProcessEnvironment::systemEnvironment());
    QFile f(tools + "/now.reg");
    return f.open(QIODevice::ReadOnly) ? QStringDecoder(QStringConverter::Utf16)(f.readAll()) : QString();
}

// How many lines of a sidebar show this folder.
int shown(const QStringList& sidebar, const QString& folder) {
    const QString url = QString::fromLatin1(QUrl::fromLocalFile(folder).toEncoded());
    int n = 0;
    for (const QString& line : sidebar) n += QUrl(line.section('\t', 1)) == QUrl(url) ? 1 : 0;
    return n;
}

std::string text(const QStringList& sidebar) { return sidebar.join('\n').toStdString(); }

// The Wine the Wine target starts its tools with (a wine64 on the PATH, else
// Debian's), for a stand-in put before it on the PATH to hand on to.
QByteArray realWine64() {
    QString wine = QStandardPaths::findExecutable("wine64");
    if (wine.isEmpty()) wine = QFileInfo("/usr/lib/wine/wine64").isExecutable() ? "/usr/lib/wine/wine64" : "wine";
    return QFile::encodeName(wine);
}

// The stand-in, as both names the Wine target may look for.
void putWineStandIn(const QString& folder, const QByteArray& script) {
    for (const char* name : {"/wine", "/wine64"}) {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(script) == script.size());
        f.close();
        QFile::setPermissions(f.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// The sidebar without the lines of these folders.
QStringList without(QStringList sidebar, const QStringList& folders) {
    sidebar.removeIf([&](const QString& line) {
        for (const QString& f : folders)
            if (QUrl(line.section('\t', 1)) == QUrl::fromLocalFile(f)) return true;
        return false;
    });
    return sidebar;
}

}  // namespace

TEST(DesktopPlaces, TheDialogsShowTheGroupFollowASwitchAndForgetItAtTheEnd) {
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    Desktop desktop(folder);
    const QString home = desktop.home();

    QStringList work, music;
    for (const char* name : {"Projekt Åsa", "Mina dokument", "2008", "Ünïcode ☃ #1", "plain"})
        work << home + "/work/" + QString::fromUtf8(name);
    for (const char* name : {"Musik", "Foto album", "Été", "live", "demo"}) music << home + "/music/" + QString::fromUtf8(name);
    for (const QString& f : work + music) ASSERT_TRUE(QDir().mkpath(f));
    {
        QFile notes(work[0] + "/notes.txt");
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    }
    auto places = [](const QStringList& l) {
        std::array<std::string, 5> a;
        for (int i = 0; i < 5; ++i) a[i] = l[i].toStdString();
        return a;
    };
    folder.addGroup("Work", places(work), true);
    folder.addGroup("Music", places(music), false);

    TrayDisplay display(desktop.env());
    ASSERT_TRUE(display.up());

    // The user's own lists before the program ever ran: a bookmark of theirs
    // (one of the group's folders among them), a Qt dialog used once, and
    // KDE's places as KDE writes them the first time.
    const QString gtkFile = desktop.config() + "/gtk-3.0/bookmarks";
    QDir().mkpath(desktop.config() + "/gtk-3.0");
    {
        QFile f(gtkFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("file:///tmp\nfile://" + QUrl::toPercentEncoding(work[4], "/") + " my plain\nsftp://example.org/srv Server\n");
    }
    const Sidebars before = desktop.read();
    const QString qtFile = desktop.config() + "/QtProject.conf";
    const QString kdeFile = home + "/.local/share/user-places.xbel";
    ASSERT_TRUE(QFile::exists(qtFile));
    const QByteArray gtkOriginal = readAll(gtkFile), kdeOriginal = readAll(kdeFile);
    ASSERT_EQ(before.gtk.size() > 0, true);
    if (withWine()) {
        ASSERT_FALSE(before.wine.isEmpty());
    }
    auto captions = [](const QStringList& folders) {
        QStringList names;
        for (const QString& f : folders) names << QFileInfo(f).fileName();
        return names;
    };

    auto program = folder.start("Varnel_Zize", {}, desktop.env());
    ASSERT_EQ(program->state(), QProcess::Running);
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return readAll(gtkFile).contains("/work/2008 2008"); }, kStarted))
        << folder.messages().join('|').toStdString() << folder.env().readFile("Error.log");

    EXPECT_TRUE(desktop.wineShows(captions(work))) << desktop.wine().join('|').toStdString();
    // Wine's new-style dialog: the folders in its navigation pane, the first opened.
    QStringList pane = captions(work);
    pane.insert(1, pane[0] + "/notes.txt");
    EXPECT_TRUE(desktop.wineRootShows(pane, pane[0])) << desktop.wineRoot(pane[0]).join('|').toStdString();

    // Applied: the five folders, after the user's own entries; the one the
    // user had already is there once, with the user's label.
    Sidebars applied = desktop.read();
    for (const QString& f : work) {
        EXPECT_EQ(shown(applied.gtk, f), 1) << f.toStdString();
        EXPECT_EQ(shown(applied.qt, f), 1) << f.toStdString();
        if (!QString(VARNEL_KDE_PROBE).isEmpty()) {
            EXPECT_EQ(shown(applied.kde, f), 1) << f.toStdString();
        }
    }
    EXPECT_TRUE(applied.gtk.contains("my plain\t" + QString::fromLatin1(QUrl::fromLocalFile(work[4]).toEncoded())))
        << applied.gtk.join('|').toStdString();
    EXPECT_TRUE(applied.gtk.contains(QStringLiteral("Projekt Åsa\t") + QString::fromLatin1(QUrl::fromLocalFile(work[0]).toEncoded())))
        << applied.gtk.join('|').toStdString();
    EXPECT_EQ(text(without(applied.gtk, work.mid(0, 4))), text(before.gtk));
    EXPECT_EQ(text(without(applied.qt, work)), text(before.qt));
    EXPECT_EQ(text(without(applied.kde, work)), text(before.kde));
    EXPECT_EQ(text(applied.qt.mid(0, before.qt.size())), text(before.qt));

    // The tray's group menu switches to Music.
    ASSERT_TRUE(switchGroupFromTrayMenu(desktop.env(), display.trayWindow(), [] {
        return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")) == "Music";
    }, 90000));
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return readAll(gtkFile).contains("/music/live live"); }, kStarted))
        << folder.messages().join('|').toStdString() << folder.env().readFile("Error.log");
    EXPECT_TRUE(desktop.wineShows(captions(music))) << desktop.wine().join('|').toStdString();
    EXPECT_TRUE(desktop.wineRootShows(captions(music), {})) << desktop.wineRoot({}).join('|').toStdString();
    Sidebars switched = desktop.read();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(shown(switched.gtk, music[i]), 1) << music[i].toStdString();
        EXPECT_EQ(shown(switched.qt, music[i]), 1) << music[i].toStdString();
        EXPECT_EQ(shown(switched.gtk, work[i]), i == 4 ? 1 : 0) << work[i].toStdString();
        EXPECT_EQ(shown(switched.qt, work[i]), 0) << work[i].toStdString();
        if (!QString(VARNEL_KDE_PROBE).isEmpty()) {
            EXPECT_EQ(shown(switched.kde, music[i]), 1) << music[i].toStdString();
            EXPECT_EQ(shown(switched.kde, work[i]), 0) << work[i].toStdString();
        }
    }

    // Ended by the system: every list as the user had it.
    ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(kStarted));
    EXPECT_EQ(readAll(gtkFile), gtkOriginal);
    EXPECT_EQ(readAll(kdeFile), kdeOriginal);
    Sidebars ended = desktop.read();
    EXPECT_EQ(text(ended.gtk), text(before.gtk));
    EXPECT_EQ(text(ended.qt), text(before.qt));
    EXPECT_EQ(text(ended.kde), text(before.kde));
    EXPECT_TRUE(desktop.wineShows(before.wine)) << desktop.wine().join('|').toStdString();
    EXPECT_TRUE(desktop.wineRootShows({}, {})) << desktop.wineRoot({}).join('|').toStdString();

    // Killed outright, then started again: the group once, in every list.
    program = folder.start("Varnel_Zize", {}, desktop.env());
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return readAll(gtkFile).contains("/music/live live"); }, kStarted))
        << folder.messages().join('|').toStdString() << folder.env().readFile("Error.log");
    ::kill(static_cast<pid_t>(program->processId()), SIGKILL);
    ASSERT_TRUE(program->waitForFinished(kStarted));
    program = folder.start("Varnel_Zize", {}, desktop.env());
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return queryProgram("Varnel_Zize", "tooltip").contains("Music"); }, kStarted));
    EXPECT_TRUE(desktop.wineShows(captions(music))) << desktop.wine().join('|').toStdString();
    EXPECT_TRUE(desktop.wineRootShows(captions(music), {})) << desktop.wineRoot({}).join('|').toStdString();
    Sidebars again = desktop.read();
    for (const QString& f : music) {
        EXPECT_EQ(shown(again.gtk, f), 1) << f.toStdString();
        EXPECT_EQ(shown(again.qt, f), 1) << f.toStdString();
        if (!QString(VARNEL_KDE_PROBE).isEmpty()) {
            EXPECT_EQ(shown(again.kde, f), 1) << f.toStdString();
        }
    }
    // Asked where the group is: in every list (Wine's once its run is done).
    auto status = [&] {
        QProcess p;
        p.setProcessEnvironment(desktop.env());
        p.start(QString::fromStdString(folder.env().path("Varnel_Zize").string()), {"--status"});
        if (!p.waitForFinished(60000)) p.kill(), p.waitForFinished();
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
    };
    const QString installed = "holds the group", absent = "not installed here";
    const QString holding = "Group: Music\nPlaces Bar: holds the group\nOffice: not installed here\nGTK: holds the group\nKDE: " +
                            (QFile::exists(kdeFile) ? installed : absent) + "\nQt: holds the group\nWine: " +
                            (withWine() ? installed : absent) + "\n";
    std::pair<int, QString> asked;
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return (asked = status()).second == holding; }, kStarted))
        << asked.second.toStdString();
    EXPECT_EQ(asked.first, 0);
    ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(kStarted));
    EXPECT_EQ(readAll(gtkFile), gtkOriginal);
    EXPECT_EQ(readAll(kdeFile), kdeOriginal);
    EXPECT_EQ(text(desktop.read().qt), text(before.qt));
    EXPECT_TRUE(desktop.wineShows(before.wine)) << desktop.wine().join('|').toStdString();
    EXPECT_TRUE(desktop.wineRootShows({}, {})) << desktop.wineRoot({}).join('|').toStdString();
    EXPECT_FALSE(folder.env().exists("Error.log")) << folder.env().readFile("Error.log");

    // GTK's bookmarks are a folder now: "--status" names the failure, and
    // says so with its exit status, through a switch too.
    ASSERT_TRUE(QFile::rename(gtkFile, gtkFile + ".mine"));
    ASSERT_TRUE(QDir().mkpath(gtkFile));
    program = folder.start("Varnel_Zize", {}, desktop.env());
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return queryProgram("Varnel_Zize", "tooltip").contains("Music"); }, kStarted));
    const QString failedGtk = "GTK: failed: " + gtkFile + " (not readable)\n";
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return (asked = status()).second.contains(failedGtk); }, kStarted))
        << asked.second.toStdString();
    EXPECT_EQ(asked.first, 5);
    EXPECT_TRUE(asked.second.contains("Qt: holds the group\n")) << asked.second.toStdString();
    ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(kStarted));
    EXPECT_EQ(text(desktop.read().qt), text(before.qt));
    ASSERT_TRUE(QDir(gtkFile).removeRecursively());
    ASSERT_TRUE(QFile::rename(gtkFile + ".mine", gtkFile));
    EXPECT_EQ(readAll(gtkFile), gtkOriginal);
}

// Wine that fails while it reads the user's PlacesBar (here: it is killed)
// must not make the key look absent: the prefix is left alone, a line goes to
// the error log, and the user's key is still there after the remove.
TEST(DesktopPlaces, AWineThatCannotReadTheUsersPlacesBarLeavesThePrefixAlone) {
    if (!withWine()) GTEST_SKIP() << "needs scripts/wine-session.sh";
    TestEnvironment env;
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    const QString key = kWinePlacesBarKey;
    const QString tools = QString::fromStdString(env.path("tools").string());
    const QString state = QString::fromStdString(env.path("state").string());
    QDir().mkpath(tools);
    QDir().mkpath(state);
    const QByteArray users = kUsersPlace;
    auto usersKey = [&] { return exportedWineKey(tools); };
    importIntoWine(tools, "[" + key.toUtf8() + "]\r\n" + users + "\r\n");
    ASSERT_TRUE(usersKey().contains(users)) << usersKey().toStdString();

    // A wine before the real one on the PATH that dies on every export.
    putWineStandIn(tools, "#!/bin/sh\n[ \"$2\" = /e ] && kill -9 $$\nexec " + realWine64() + " \"$@\"\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", tools.toUtf8() + ":" + path);
    {
        desktop::WinePlaces wine(prefix, state);
        wine.update({{QDir::rootPath() + "tmp", "tmp"}});
        const bool logged = ProgramFolderCopy::waitFor([&] { return env.exists("Error.log"); }, 120000);
        wine.update({});
        qputenv("PATH", path);
        ASSERT_TRUE(logged);
    }
    EXPECT_NE(env.readFile("Error.log").find("DesktopPlaces"), std::string::npos) << env.readFile("Error.log");
    // A restore of ours would run in a process of its own: let it finish.
    ProgramFolderCopy::waitFor([&] { return !QFile::exists(state + "/wine-restore.reg"); }, 120000);
    const QString left = usersKey();
    EXPECT_TRUE(left.contains(users)) << left.toStdString();
    importIntoWine(tools, "[-" + key.toUtf8() + "]\r\n");
}

// A folder whose name holds a line break reaches Wine's Places Bar and
// navigation pane whole, never as the folder its first line names. Wine's
// regedit ends with 0 even when it imported nothing: a restore that did not
// come through keeps the user's saved Places Bar, and the next start puts it
// back.
TEST(DesktopPlaces, WineGetsALineBreakWholeAndAFailedRestoreKeepsTheUsersPlacesBar) {
    if (!withWine()) GTEST_SKIP() << "needs scripts/wine-session.sh";
    TestEnvironment env;
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    const QString key = kWinePlacesBarKey;
    const QString tools = QString::fromStdString(env.path("tools").string());
    const QString state = QString::fromStdString(env.path("state").string());
    const QString home = QString::fromStdString(env.path("home").string());
    const QString broken = home + "/Notes\nOld", shorter = home + "/Notes";
    for (const QString& folder : {tools, state, broken, shorter}) ASSERT_TRUE(QDir().mkpath(folder));
    writeFile(shorter + "/short.txt", "x");
    const QProcessEnvironment plain = QProcessEnvironment::systemEnvironment();
    const QByteArray users = kUsersPlace;
    auto usersKey = [&] { return exportedWineKey(tools); };
    importIntoWine(tools, "[" + key.toUtf8() + "]\r\n" + users + "\r\n");
    ASSERT_TRUE(usersKey().contains(users)) << usersKey().toStdString();
    // The probes print a line break of a name as it is, and end each line with CR LF.
    auto placesBar = [&] { return run("wine", {VARNEL_WINE_PROBE}, plain).remove('\r'); };
    // The shell's desktop root, asked to open both names.
    auto desktopRoot = [&] {
        return run("wine", {VARNEL_WINE_ROOT_PROBE, "Notes\nOld", "Notes"}, plain).remove('\r');
    };
    const QString before = placesBar();
    ASSERT_EQ(before, "users\n");

    const QString saved = state + "/wine-restore.reg";
    {
        desktop::WinePlaces wine(prefix, state);
        wine.update({{broken, "Notes\nOld"}});
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return placesBar() == "Notes\nOld\n"; }, 180000)) << placesBar().toStdString();
        // The entry keeps its whole name, and never opens the folder "Notes".
        const QString root = desktopRoot();
        EXPECT_TRUE(root.contains("\nNotes\nOld\t::{377c742e-5507-469c-a9ea-0fb0926479b1}\n")) << root.toStdString();
        EXPECT_FALSE(root.contains("short.txt")) << root.toStdString();
        EXPECT_TRUE(QFile::exists(saved));

        // A wine before the real one on the PATH whose regedit imports nothing
        // and ends with 0; everything else it hands on, and says when done.
        putWineStandIn(tools, "#!/bin/sh\necho \"$*\" >>\"" + tools.toUtf8() + "/calls\"\n"
                              "[ \"$1 $2\" = \"regedit /s\" ] && exit 0\n" +
                                  realWine64() + " \"$@\"\nrc=$?\n"
                              "echo \"done $*\" >>\"" + tools.toUtf8() + "/calls\"\nexit $rc\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", tools.toUtf8() + ":" + path);
        wine.update({});
        qputenv("PATH", path);
        const auto calls = [&] { return QString::fromUtf8(readAll(tools + "/calls")); };
        // Gone, or looked at once more after the import.
        ProgramFolderCopy::waitFor([&] { return !QFile::exists(saved) || calls().contains("done "); }, 120000);
        EXPECT_TRUE(calls().startsWith("regedit /s")) << calls().toStdString();
        EXPECT_TRUE(QFile::exists(saved)) << calls().toStdString();
        EXPECT_EQ(placesBar(), "Notes\nOld\n");
        ProgramFolderCopy::waitFor([&] { return !QFile::exists(saved + ".now"); }, 120000);
    }

    // The next start carries the restore out with the real Wine.
    desktop::WinePlaces(prefix, state).cleanUpEarlierRun();
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return !QFile::exists(saved); }, 120000));
    EXPECT_EQ(QDir(state).entryList({"wine-restore*"}, QDir::Files), QStringList{});
    EXPECT_TRUE(usersKey().contains(users)) << usersKey().toStdString();
    EXPECT_EQ(placesBar(), before);
    EXPECT_FALSE(desktopRoot().contains("377c742e")) << desktopRoot().toStdString();
    importIntoWine(tools, "[-" + key.toUtf8() + "]\r\n");

    // Without a Places Bar of the user's, the restore leaves none, and its
    // saved copy goes once Wine says the key is not there.
    const QString defaults = placesBar();
    {
        desktop::WinePlaces wine(prefix, state);
        wine.update({{shorter, "Notes"}});
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return placesBar() == "Notes\n"; }, 180000)) << placesBar().toStdString();
        wine.update({});
    }
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return !QFile::exists(saved); }, 120000));
    EXPECT_EQ(placesBar(), defaults);
    EXPECT_FALSE(usersKey().contains("PlacesBar]")) << usersKey().toStdString();
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");
}

// An organisation's policy file along XDG_CONFIG_DIRS: its group is kept
// active from the start (in the real GTK chooser too), another group is
// refused with its own exit status, and a policy that changes while the
// program runs counts at once: managed groups only, then none at all.
TEST(DesktopPlaces, AnOrganisationsPolicyKeepsItsGroupAndIsFollowedWhileTheProgramRuns) {
    namespace fs = std::filesystem;
    // The policy is the same whichever lists there are: once, without Wine.
    if (withWine()) GTEST_SKIP();
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    Desktop desktop(folder);
    const QString home = desktop.home();
    const std::string finance = (home + "/srv/Finance Åsa").toStdString();
    for (const std::string& f : {finance, finance + "/reports", home.toStdString() + "/work"}) fs::create_directories(f);
    folder.addGroup("Work", {home.toStdString() + "/work", "/w/b", "/w/c", "/w/d", "/w/e"}, true);
    folder.addGroup("Music", {"/music/rock", "/music/jazz", "/music/folk", "/music/new", "/music/old"}, false);
    const QString xdg = home + "/xdg";
    desktop.env().insert("XDG_CONFIG_DIRS", xdg + ":/etc/xdg");
    const std::string policy = (xdg + "/Varnel/policy.conf").toStdString();
    // Configuration tools write a file beside it and rename it into place.
    auto putPolicy = [&](const std::string& text) {
        fs::create_directories(fs::path(policy).parent_path());
        const std::string draft = policy + ".draft";
        std::ofstream(draft, std::ios::binary) << text;
        fs::rename(draft, policy);
    };
    putPolicy("[Policy]\nActiveGroup = Finance\n[Groups]\nFinance=" + finance + "|" + finance + "/reports\nnot a line\n");

    auto command = [&](const QStringList& arguments) { return folder.command(arguments, desktop.env()); };
    const QString gtkFile = desktop.config() + "/gtk-3.0/bookmarks";
    auto place0 = [] {
        return regText(queryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar",
                                  "place0"));
    };
    auto currentGroup = [] { return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")); };
    const QByteArray financeLine = "file://" + QUrl::toPercentEncoding(QString::fromStdString(finance), "/");

    TrayDisplay display(desktop.env());
    ASSERT_TRUE(display.up());
    auto program = folder.start("Varnel_Zize", {}, desktop.env());
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return readAll(gtkFile).contains(financeLine + " "); }, kStarted))
        << readAll(gtkFile).toStdString() << folder.env().readFile("Error.log");
    EXPECT_EQ(place0(), finance);
    const QStringList chooser = run(VARNEL_PYTHON, {VARNEL_GTK_PROBE}, desktop.env()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(shown(chooser, QString::fromStdString(finance)), 1) << chooser.join('|').toStdString();
    EXPECT_EQ(shown(chooser, home + "/work"), 0) << chooser.join('|').toStdString();
    EXPECT_NE(folder.env().readFile("Error.log").find(policy + " line 5: no \"=\" in not a line"), std::string::npos)
        << folder.env().readFile("Error.log");

    EXPECT_EQ(command({"--list"}).out, "  Work\n  Music\n* Finance (managed)\n");
    const CommandOutcome refused = command({"--group", "Music"});
    EXPECT_EQ(refused.status, 6);
    EXPECT_NE(refused.err.find("organisation sets the active group"), std::string::npos) << refused.err;
    EXPECT_EQ(place0(), finance);
    EXPECT_EQ(currentGroup(), "Work");
    EXPECT_EQ(queryProgram("Varnel_Zize", "tooltip"), "Varnel - Current group : Finance (set by your organisation)");

    // Only the organisation's groups, and no group set: the user's choice
    // (Work) is none of them, so the places go, and the user's groups are
    // offered again the moment the policy goes.
    putPolicy("[policy]\r\nAllowOwnGroups=0\r\n[Groups]\r\nFinance=" + finance + "\r\nBudget=/srv/budget\r\n");
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return !readAll(gtkFile).contains(financeLine); }, kStarted))
        << readAll(gtkFile).toStdString();
    EXPECT_EQ(command({"--list"}).out, "  Finance (managed)\n  Budget (managed)\n");
    EXPECT_EQ(place0(), "");
    fs::remove(policy);
    EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return place0() == home.toStdString() + "/work"; }, kStarted));
    EXPECT_EQ(command({"--list"}).out, "* Work\n  Music\n");
    EXPECT_EQ(command({"--group", "Music"}).status, 0);

    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(30000));
}

// Under a window manager that keeps _NET_ACTIVE_WINDOW, each program that
// comes to the front gets its own group, in the store and in the real GTK
// chooser of the program whose dialog it is; a program without one gets the
// active group back, which stays the user's choice throughout.
TEST(DesktopPlaces, EachProgramInFrontGetsItsOwnGroup) {
    if (withWine()) GTEST_SKIP();
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    Desktop desktop(folder);
    const std::string home = desktop.home().toStdString();
    const std::array<std::string, 5> own{home + "/own/1", home + "/own/2", home + "/own/3", home + "/own/4", home + "/own/5"};
    const std::array<std::string, 5> terminal{home + "/Terminal Åsa", home + "/t/2", home + "/t/3", home + "/t/4",
                                              home + "/t/5"};
    for (const std::string& f : own) std::filesystem::create_directories(f);
    for (const std::string& f : terminal) std::filesystem::create_directories(f);
    folder.addGroup("Terminal", terminal, false);
    folder.addGroup("Home", own, true);
    // The chooser's probe is a program of its own, bound by its window's class.
    writeRegistryText(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize\\Programs", "xterm", "Terminal");
    writeRegistryText(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize\\Programs", "gtk_places_probe.py", "Terminal");
    auto place0 = [] {
        return regText(queryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar",
                                  "place0"));
    };
    auto currentGroup = [] { return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")); };
    auto command = [&](const QStringList& arguments, int* status = nullptr) {
        const CommandOutcome outcome = folder.command(arguments, desktop.env());
        if (status) *status = outcome.status;
        return outcome.out;
    };

    TrayDisplay display(desktop.env());
    ASSERT_TRUE(display.up());
    HelperProcess windowManager("openbox", {}, desktop.env());
    auto program = folder.start("Varnel_Zize", {}, desktop.env());
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return place0() == own[0]; }, kStarted));
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return !queryProgram("Varnel_Zize", "tooltip", 200).isEmpty(); }));
    HelperProcess xterm("xterm", {}, desktop.env()), xlogo("xlogo", {}, desktop.env());
    auto windowOf = [&](const QString& cls) {
        // A window that goes while xdotool walks the tree ends its search
        // with an X error: ask again until the window is shown.
        QString window;
        ProgramFolderCopy::waitFor([&] {
            window = runTool("xdotool", {"search", "--onlyvisible", "--classname", cls}, desktop.env()).section('\n', 0, 0);
            return !window.isEmpty();
        });
        return window;
    };
    const QString xtermWindow = windowOf("xterm"), xlogoWindow = windowOf("xlogo");
    ASSERT_FALSE(xtermWindow.isEmpty() || xlogoWindow.isEmpty());
    auto activate = [&](const QString& window) { runTool("xdotool", {"windowactivate", "--sync", window}, desktop.env()); };

    for (int round = 0; round < 2; ++round) {
        activate(xtermWindow);
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return place0() == terminal[0]; })) << place0();
        EXPECT_EQ(queryProgram("Varnel_Zize", "tooltip"), "Varnel - Current group : Home \u2014 Terminal for xterm");
        activate(xlogoWindow);
        EXPECT_TRUE(ProgramFolderCopy::waitFor([&] { return place0() == own[0]; })) << place0();
    }
    // The chooser's own program is bound: its sidebar shows that group (the
    // chooser follows the bookmarks while open: the probe waits for the group).
    auto fileUrl = [](const std::string& path) { return QString::fromLatin1(QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded()); };
    const QStringList chooser =
        run(VARNEL_PYTHON, {VARNEL_GTK_PROBE, "--until", fileUrl(terminal[0])}, desktop.env()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(shown(chooser, QString::fromStdString(terminal[0])), 1) << chooser.join('|').toStdString();
    EXPECT_EQ(shown(chooser, QString::fromStdString(own[0])), 0) << chooser.join('|').toStdString();
    EXPECT_EQ(command({"--list"}), "  Terminal [xterm, gtk_places_probe.py]\n* Home\n");

    // Without its binding the chooser shows the active group; an unknown group is refused.
    int status = -1;
    command({"--programs", "Terminal", "xterm"}, &status);
    EXPECT_EQ(status, 0);
    command({"--programs", "Nowhere", "xlogo"}, &status);
    EXPECT_EQ(status, 2);
    const QStringList unbound =
        run(VARNEL_PYTHON, {VARNEL_GTK_PROBE, "--until", fileUrl(own[0])}, desktop.env()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(shown(unbound, QString::fromStdString(own[0])), 1) << unbound.join('|').toStdString();
    EXPECT_EQ(shown(unbound, QString::fromStdString(terminal[0])), 0) << unbound.join('|').toStdString();
    EXPECT_EQ(command({"--list"}), "  Terminal [xterm]\n* Home\n");
    EXPECT_EQ(currentGroup(), "Home");

    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(30000));
}
