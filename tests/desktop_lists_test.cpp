// The desktop's places lists on real files in a home of their own: whatever
// the lists are made of (links, another owner, a file we may not read, an
// entry the user added), the user keeps it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <functional>
#include <map>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "targets/desktop_lists/linux_targets.h"
#include "targets/place_targets.h"
#include "support/test_env.h"

using namespace varnel;
using namespace varnel::desktop;
using namespace varnel::test;

namespace {

// The lists named, as the program keeps them.
std::unique_ptr<PlaceTargets> listsOf(const DesktopFolders& folders, const QStringList& names) {
    return std::make_unique<PlaceTargets>(linuxDesktopTargets(folders, names));
}

DesktopFolders foldersUnder(const QString& root) {
    return {root + "/config", root + "/data", root + "/state/Varnel", root + "/no-wine"};
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

std::string read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<unreadable>";
}

std::array<std::string, 5> placesOf(const QStringList& folders) {
    std::array<std::string, 5> places;
    for (int i = 0; i < folders.size(); ++i) places[i] = folders[i].toStdString();
    return places;
}

// Qt's sidebar as folders ("file:" is the computer), one a line.
std::string qtSidebar(const QString& conf) {
    QStringList out;
    for (const QString& s : QSettings(conf, QSettings::IniFormat).value("FileDialog/shortcuts").toStringList())
        out << (QUrl(s).toLocalFile().isEmpty() ? s : QUrl(s).toLocalFile());
    return out.join('\n').toStdString();
}

std::string lines(const QStringList& list) { return list.join('\n').toStdString(); }

void setQtSidebar(const QString& conf, const QStringList& folders) {
    QStringList urls;
    for (const QString& f : folders) urls << (f == "file:" ? f : QUrl::fromLocalFile(f).toString());
    QSettings(conf, QSettings::IniFormat).setValue("FileDialog/shortcuts", urls);
}

// The bookmarks of a KDE file, or -1 when it is not well-formed.
int kdeBookmarks(const QString& path) {
    QXmlStreamReader xml(QByteArray::fromStdString(read(path)));
    int n = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("bookmark")) ++n;
    return xml.hasError() ? -1 : n;
}

int errorLinesNaming(const TestEnvironment& env, const QString& path) {
    if (!env.exists("Error.log")) return 0;
    int n = 0;
    for (const std::string& line : crlfLines(env.readFile("Error.log"))) n += line.find(path.toStdString()) != std::string::npos;
    return n;
}

// Root reads every file: what an ordinary user meets is met by a child
// process that has become one.
bool runAs(uid_t uid, gid_t gid, const std::function<void()>& step) {
    if (::geteuid() != 0) {
        step();
        return true;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(2);
        step();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(DesktopLists, TheUsersFilesLinksOwnersAndOwnEntriesAreKept) {
    TestEnvironment env;
    QTemporaryDir home;
    const QString root = home.path();
    const DesktopFolders folders = foldersUnder(root);
    // Another user's files, as a run of ours as root with that user's HOME finds them.
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    const gid_t userGroup = ::geteuid() == 0 ? 65534 : ::getegid();

    // GTK's file kept in a dotfiles folder, behind a chain of two links.
    const QString gtkLink = folders.config + "/gtk-3.0/bookmarks", gtkHop = folders.config + "/gtk-3.0/hop";
    const QString gtkFile = root + "/dotfiles/bookmarks";
    write(gtkFile, "file:///tmp\n");
    ASSERT_TRUE(QDir().mkpath(folders.config + "/gtk-3.0"));
    ASSERT_EQ(::symlink("hop", QFile::encodeName(gtkLink)), 0);
    ASSERT_EQ(::symlink("../../dotfiles/bookmarks", QFile::encodeName(gtkHop)), 0);
    // KDE's places with an empty root, Qt's sidebar with the user's own entry.
    const QString kdeFile = folders.data + "/user-places.xbel", qtFile = folders.config + "/QtProject.conf";
    write(kdeFile, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE xbel>\n<xbel/>\n");
    write(qtFile, "[FileDialog]\nshortcuts=file:, file:///tmp\n");
    for (const QString& file : {gtkFile, qtFile}) {
        ASSERT_EQ(::chown(QFile::encodeName(file), user, userGroup), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(file), 0640), 0);
    }

    const QStringList work{root + "/work/one", root + "/work/two\nlines"}, music{root + "/music/three"},
        video{root + "/video/four"};
    auto places = listsOf(folders, QStringList{"GTK", "KDE", "Qt"});
    places->cleanUpEarlierRun();
    places->apply(placesOf(work));

    // Written at the end of the links, as the user's: one line an entry.
    EXPECT_TRUE(QFileInfo(gtkLink).isSymLink());
    EXPECT_TRUE(QFileInfo(gtkHop).isSymLink());
    const std::string gtk = read(gtkFile);
    EXPECT_EQ(std::count(gtk.begin(), gtk.end(), '\n'), 3) << gtk;
    EXPECT_TRUE(gtk.ends_with(" two lines\n")) << gtk;
    for (const QString& file : {gtkFile, qtFile}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file), &st), 0);
        EXPECT_EQ(st.st_uid, user) << file.toStdString();
        EXPECT_EQ(st.st_gid, userGroup) << file.toStdString();
        EXPECT_EQ(st.st_mode & 07777, 0640u) << file.toStdString();
    }
    EXPECT_EQ(kdeBookmarks(kdeFile), 2) << read(kdeFile);
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:", "/tmp"}) + work));

    // A Qt dialog open since before the switch writes its copy back: our old
    // entries go again. Then the user adds one of them by hand: that one stays,
    // through the next switch, the end of the program and the next start.
    places->apply(placesOf(music));
    setQtSidebar(qtFile, QStringList({"file:", "/tmp"}) + work);
    places->apply(placesOf(music));
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:", "/tmp"}) + music));
    setQtSidebar(qtFile, QStringList({"file:", "/tmp"}) + music + work.mid(0, 1));
    places->apply(placesOf(video));
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:", "/tmp", work[0]}) + video));
    // A run of one entry (the group's other folder was the user's already)
    // is no proof either: added by hand after the switch, it stays.
    const QString alone = root + "/alone";
    places->apply(placesOf({"/tmp", alone}));
    places->apply(placesOf(music));
    setQtSidebar(qtFile, QStringList({"file:", "/tmp", work[0]}) + music + QStringList{alone});
    places->apply(placesOf(video));
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:", "/tmp", work[0]}) + QStringList{alone} + video));
    places->remove();
    places = listsOf(folders, QStringList{"GTK", "KDE", "Qt"});
    places->cleanUpEarlierRun();
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:", "/tmp", work[0], alone})));
    EXPECT_EQ(read(gtkFile), "file:///tmp\n");
    EXPECT_TRUE(QFileInfo(gtkHop).isSymLink());
    EXPECT_EQ(kdeBookmarks(kdeFile), 0);

    // The chain's end gone: a new file there, as the umask has it, and gone
    // again at the end; the links stay.
    ASSERT_TRUE(QFile::remove(gtkFile));
    const mode_t umask = ::umask(027);
    places->apply(placesOf(music));
    ::umask(umask);
    EXPECT_EQ(QFileInfo(gtkFile).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                    QFile::WriteUser | QFile::ReadGroup);
    places->remove();
    EXPECT_FALSE(QFileInfo::exists(gtkFile));
    EXPECT_TRUE(QFileInfo(gtkLink).isSymLink());
    EXPECT_TRUE(QFileInfo(gtkHop).isSymLink());
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");

    // A file the user may not read (left by a root run): never replaced,
    // never deleted, one line in the log, and left alone for the rest of the run.
    QTemporaryDir other;
    const DesktopFolders theirs = foldersUnder(other.path());
    const QString unreadable = theirs.config + "/gtk-3.0/bookmarks";
    write(unreadable, "file:///srv Server\n");
    ASSERT_TRUE(QDir().mkpath(theirs.state));
    for (const QString& folder : {other.path(), theirs.config, theirs.config + "/gtk-3.0", other.path() + "/state", theirs.state})
        ASSERT_EQ(::chown(QFile::encodeName(folder), user, userGroup), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(other.path()), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(unreadable), 0), 0);
    std::filesystem::permissions(env.folder(), std::filesystem::perms::all);
    ASSERT_TRUE(runAs(user, userGroup, [&] {
        PlaceTargets theirPlaces(linuxDesktopTargets(theirs, QStringList{"GTK"}));
        theirPlaces.cleanUpEarlierRun();
        theirPlaces.apply(placesOf(work));
        theirPlaces.apply(placesOf(music));
        theirPlaces.remove();
    }));
    EXPECT_EQ(read(unreadable), "file:///srv Server\n");
    EXPECT_EQ(errorLinesNaming(env, unreadable), 1) << env.readFile("Error.log");

    // A list sudo left with group root: the user cannot give it that group
    // back, so it takes the user's own, with no more access than others have.
    // (Only root can make such a file here.)
    if (::geteuid() == 0) {
        const QString sudoLeft = theirs.config + "/QtProject.conf";
        write(sudoLeft, "[FileDialog]\nshortcuts=file:\n");
        ASSERT_EQ(::chown(QFile::encodeName(sudoLeft), user, 0), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(sudoLeft), 0664), 0);
        ASSERT_TRUE(runAs(user, userGroup, [&] {
            PlaceTargets theirPlaces(linuxDesktopTargets(theirs, QStringList{"Qt"}));
            theirPlaces.apply(placesOf(work));
        }));
        EXPECT_EQ(qtSidebar(sudoLeft), lines(QStringList("file:") + work));
        struct stat sudoStat {};
        ASSERT_EQ(::stat(QFile::encodeName(sudoLeft), &sudoStat), 0);
        EXPECT_EQ(sudoStat.st_uid, user);
        EXPECT_EQ(sudoStat.st_gid, userGroup);
        EXPECT_EQ(sudoStat.st_mode & 07777, 0644u);
        EXPECT_EQ(errorLinesNaming(env, sudoLeft), 0) << env.readFile("Error.log");
    }

    // Without its record a change could not be undone after a crash: a
    // journal that cannot be written leaves every list as it is.
    const QString journal = folders.state + "/desktop-places.ini";
    places.reset();
    QFile::remove(journal);
    ASSERT_TRUE(QDir().mkpath(journal));
    write(gtkFile, "file:///tmp\n");
    const std::string kdeBefore = read(kdeFile), qtBefore = read(qtFile);
    places = listsOf(folders, QStringList{"GTK", "KDE", "Qt"});
    places->apply(placesOf(music));
    EXPECT_EQ(read(gtkFile), "file:///tmp\n");
    EXPECT_EQ(read(kdeFile), kdeBefore);
    EXPECT_EQ(read(qtFile), qtBefore);
    EXPECT_GE(errorLinesNaming(env, journal), 1);
}

TEST(DesktopLists, QtsWorkingCopyStaysInAFolderOfTheUsersOwn) {
    TestEnvironment env;
    QTemporaryDir home;
    const QString root = home.path();
    const DesktopFolders folders = foldersUnder(root);
    const QString qtFile = folders.config + "/QtProject.conf";
    write(qtFile, "[FileDialog]\nshortcuts=file:\n");
    const QString runtime = root + "/runtime";
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_EQ(::chmod(QFile::encodeName(runtime), 0700), 0);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    // Another local user's trap at the name the copy once had in /dev/shm.
    const QString victim = root + "/victim";
    write(victim, "precious\n");
    const QString trap = QStringLiteral("/dev/shm/varnel-qt-%1.conf").arg(::getpid());
    const bool trapLaid = QFile::link(victim, trap);

    // Where the copy is made: only folders that are the user's alone.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    const int runtimeWatch = ::inotify_add_watch(watch, QFile::encodeName(runtime), IN_CREATE);
    QDir().mkpath(folders.state);
    const int stateWatch = ::inotify_add_watch(watch, QFile::encodeName(folders.state), IN_CREATE);
    auto copiesMadeIn = [&] {
        std::map<int, int> made;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len) {
                const auto* event = reinterpret_cast<inotify_event*>(p);
                if (event->len && (event->mask & IN_ISDIR) && QByteArray(event->name).startsWith("varnel-qt-")) ++made[event->wd];
            }
        return made;
    };

    PlaceTargets places(linuxDesktopTargets(folders, QStringList{"Qt"}));
    places.apply(placesOf({root + "/work/one"}));
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:", root + "/work/one"})));
    EXPECT_EQ(copiesMadeIn(), (std::map<int, int>{{runtimeWatch, 1}}));
    // A runtime folder others may enter is not used.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime), 0755), 0);
    places.remove();
    EXPECT_EQ(qtSidebar(qtFile), lines(QStringList({"file:"})));
    EXPECT_EQ(copiesMadeIn(), (std::map<int, int>{{stateWatch, 1}}));
    ::close(watch);
    if (savedRuntime.isNull()) qunsetenv("XDG_RUNTIME_DIR");
    else qputenv("XDG_RUNTIME_DIR", savedRuntime);

    EXPECT_TRUE(QDir(runtime).isEmpty());
    EXPECT_EQ(read(victim), "precious\n");
    if (trapLaid) {
        EXPECT_TRUE(QFileInfo(trap).isSymLink());
        QFile::remove(trap);
    }
    EXPECT_FALSE(QFileInfo::exists(trap + ".lock"));
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");
}

// Qt's lock as a killed writer leaves it: empty (killed before it wrote its
// name), or naming a process that is gone while one that inherited it holds
// it open. The update takes it over; a live writer's lock it waits for and
// leaves, with a line that names the holder.
TEST(DesktopLists, QtsLockIsTakenOverFromAKilledWriterOnly) {
    TestEnvironment env;
    QTemporaryDir home;
    const DesktopFolders folders = foldersUnder(home.path());
    const QString qtFile = folders.config + "/QtProject.conf", lockFile = qtFile + ".lock";
    write(qtFile, "[FileDialog]\nshortcuts=file:\n");
    PlaceTargets places(linuxDesktopTargets(folders, QStringList{"Qt"}));
    const QString one = home.path() + "/one";
    const QByteArray host = QSysInfo::machineHostName().toUtf8();

    // Left empty by a writer killed two seconds ago: taken over once it is
    // old enough not to be a writer's that is writing its name now.
    write(lockFile, "");
    {
        QFile lock(lockFile);
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-2), QFileDevice::FileModificationTime));
    }
    places.apply(placesOf({one}));
    EXPECT_EQ(qtSidebar(qtFile), lines({"file:", one}));

    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    write(lockFile, QByteArray::number(gone) + "\nVarnel_Zize\n" + host + "\n");
    const int inherited = ::open(QFile::encodeName(lockFile), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(inherited, LOCK_EX), 0);
    places.remove();
    EXPECT_EQ(qtSidebar(qtFile), "file:");
    ::close(inherited);
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");

    const QString me = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    write(lockFile, QByteArray::number(::getpid()) + "\n" + QFileInfo(me).fileName().toUtf8() + "\n" + host + "\n");
    places.apply(placesOf({one}));
    EXPECT_EQ(qtSidebar(qtFile), "file:");
    EXPECT_TRUE(QFile::exists(lockFile));
    EXPECT_NE(env.readFile("Error.log").find(QStringLiteral(", pid %1 ").arg(::getpid()).toStdString()), std::string::npos)
        << env.readFile("Error.log");
    EXPECT_NE(env.readFile("Error.log").find("(lock held by another program)"), std::string::npos);
}
