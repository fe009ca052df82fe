// The tray's "Start at login" item and the session's autostart entry.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <memory>

#include "platform/platform.h"
#include "groups/group_service.h"
#include "shell/autostart.h"
#include "shell/tray_icon.h"
#include "support/test_env.h"

using namespace varnel;

TEST(StartAtLogin, TheTrayItemWritesAndRemovesTheAutostartEntry) {
    test::TestEnvironment env;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(env.path("config dir").string()));
    const QString entry = autostartEntryPath();
    EXPECT_EQ(entry.toStdString(), env.path("config dir/autostart/varnel-zize.desktop").string());

    GroupService groups;
    auto owned = std::make_unique<TrayIcon>(groups);
    TrayIcon& tray = *owned;
    // Off until the user turns it on.
    emit tray.menu()->aboutToShow();
    EXPECT_FALSE(tray.startAtLoginAction->isChecked());
    EXPECT_FALSE(QFile::exists(entry));

    tray.startAtLoginAction->trigger();
    EXPECT_TRUE(tray.startAtLoginAction->isChecked());
    ASSERT_TRUE(QFile::exists(entry));
    QProcess validate;
    validate.start("desktop-file-validate", {entry});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\nExec=\"" + QByteArray::fromStdString(platform::executablePath().string()) + "\"\n"));
    file.close();

    // The user may remove or hide the entry elsewhere; the menu shows what the file says.
    QFile::remove(entry);
    emit tray.menu()->aboutToShow();
    EXPECT_FALSE(tray.startAtLoginAction->isChecked());
    tray.startAtLoginAction->trigger();
    EXPECT_TRUE(QFile::exists(entry));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("Hidden=true\n");
    file.close();
    emit tray.menu()->aboutToShow();
    EXPECT_FALSE(tray.startAtLoginAction->isChecked());
    tray.startAtLoginAction->trigger();  // on again: the entry is written afresh
    EXPECT_TRUE(autostartEnabled());
    tray.startAtLoginAction->trigger();
    EXPECT_FALSE(tray.startAtLoginAction->isChecked());
    EXPECT_FALSE(QFile::exists(entry));

    owned.reset();
    if (saved.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", saved);
}
