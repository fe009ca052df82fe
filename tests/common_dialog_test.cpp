#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QSettings>
#include <QUrl>
#include <QTimer>

#include "core/runtime_error.h"
#include "dialogs/common_dialog.h"
#include "targets/place_target.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

// Answers the next modal file dialog: picks `path` (or cancels when empty)
// and records the folder the dialog started in.
void answerNextDialog(const QString& path, QString* startedIn = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (startedIn) *startedIn = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
}

QString q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

TEST(FolderBrowser, ReturnsTheChosenFolderOrFileAndNothingOnCancel) {
    test::TestEnvironment env;
    env.writeFile("Work/Projects/readme.txt", "x");
    CommonDialog dialog;
    dialog.flags = 16385;  // as the group editor sets it: folders and files

    dialog.InitDir = q(env.path("Work"));
    answerNextDialog(q(env.path("Work/Projects")));
    EXPECT_EQ(dialog.ShowFolder(), QString());
    EXPECT_EQ(dialog.InitDir, q(env.path("Work/Projects")));

    dialog.InitDir = q(env.path("Work/Projects"));
    answerNextDialog(q(env.path("Work/Projects/readme.txt")));
    dialog.ShowFolder();
    EXPECT_EQ(dialog.InitDir, q(env.path("Work/Projects/readme.txt")));

    dialog.InitDir = q(env.path("Work"));
    answerNextDialog(QString());
    dialog.ShowFolder();
    EXPECT_EQ(dialog.InitDir, QString());
}

TEST(FolderBrowser, ShowsTheActiveGroupInItsSidebarWithoutKeepingItInTheUsersList) {
    test::TestEnvironment env;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, q(env.path("config")));
    env.writeFile("Work/Projekt Åsa/readme.txt", "x");
    env.writeFile("Music/readme.txt", "x");
    const QUrl work = QUrl::fromLocalFile(q(env.path("Work/Projekt Åsa"))), music = QUrl::fromLocalFile(q(env.path("Music")));
    QList<QUrl> shown;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        shown = d->sidebarUrls();
        d->reject();
    });
    CommonDialog dialog;
    dialog.SidebarFolders = {q(env.path("Work/Projekt Åsa")), "", q(env.path("Music")), "/no/such/folder", "5"};
    dialog.ShowFolder();
    EXPECT_TRUE(shown.contains(work));
    EXPECT_TRUE(shown.contains(music));
    EXPECT_EQ(shown.size(), 4) << "Qt's own two, then the group's existing folders";
    QSettings saved(q(env.path("config/QtProject.conf")), QSettings::IniFormat);
    const QStringList kept = saved.value("FileDialog/shortcuts").toStringList();
    EXPECT_FALSE(kept.isEmpty());
    for (const QString& url : kept) EXPECT_FALSE(QUrl(url) == work || QUrl(url) == music) << url.toStdString();
}

TEST(FolderBrowser, WithoutTheFilesFlagAFileIsNotAccepted) {
    test::TestEnvironment env;
    env.writeFile("Work/readme.txt", "x");
    CommonDialog dialog;
    dialog.flags = 1;
    dialog.InitDir = q(env.path("Work"));
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->selectFile(q(env.path("Work/readme.txt")));
        QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);  // refused: still open
        EXPECT_TRUE(d->isVisible());
        d->reject();
    });
    dialog.setAction(8);
    EXPECT_EQ(dialog.InitDir, QString());
}

TEST(FileDialogs, OpenStartsInTheProgramFolderAndCancelRaisesOnlyWhenAsked) {
    test::TestEnvironment env;
    env.writeFile("notes.txt", "x");
    CommonDialog dialog;
    dialog.Filter = "Text files|*.txt|All files|*.*";
    dialog.FilterIndex = 2;
    QString startedIn;
    answerNextDialog(q(env.path("notes.txt")), &startedIn);
    dialog.setAction(1);
    EXPECT_EQ(startedIn, q(env.folder()));
    EXPECT_EQ(dialog.filename, q(env.path("notes.txt")));
    EXPECT_EQ(dialog.FileTitle, "notes.txt");

    answerNextDialog(QString());
    dialog.ShowOpen();
    EXPECT_EQ(dialog.filename, q(env.path("notes.txt")));  // unchanged

    dialog.CancelError = true;
    answerNextDialog(QString());
    EXPECT_THROW(dialog.ShowOpen(), RuntimeError);
}

TEST(DialogProperties, FilterIconSizeAndUnknownActions) {
    EXPECT_EQ(CommonDialog::toolkitFilter("Text files|*.txt|Pictures|*.gif;*.png"),
              "Text files (*.txt);;Pictures (*.gif *.png)");
    CommonDialog dialog;
    EXPECT_EQ(dialog.IconSize(), 32);
    std::int32_t size = 24;
    dialog.setIconSize(size);
    EXPECT_EQ(size, 32);
    EXPECT_EQ(dialog.IconSize(), 32);
    size = 16;
    dialog.setIconSize(size);
    EXPECT_EQ(dialog.IconSize(), 16);
    // 11 has no operation; nothing opens, nothing changes.
    dialog.setAction(11);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(dialog.ShowFormat(0, 0, 0), 0);
}
