// The group editor as screen readers and keyboard users meet it: the real
// program on a real X server with an accessibility bus of the test's own,
// read and driven by a probe through AT-SPI, the way a screen reader does,
// and then with key presses only.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "core/registry.h"
#include "shell/close_channel.h"
#include "support/db_files.h"
#include "support/program_folder_copy.h"
#include "support/x_desktop.h"

using namespace varnel;
using namespace varnel::test;

namespace {

struct ProbeRun {
    int exitCode = -1;
    QString output;
};

ProbeRun probe(const QProcessEnvironment& env, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(VARNEL_PYTHON, QStringList{VARNEL_ATSPI_PROBE} + args);
    const bool ended = p.waitForFinished(120000);
    if (!ended) p.kill(), p.waitForFinished(5000);
    return {ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

std::vector<std::vector<std::string>> groups(const ProgramFolderCopy& folder) {
    return sqliteRows(folder.folder() / "Db" / "Varnel.db",
                      "select colName, colPlace0, colPlace1, colPlace2, colPlace3, colPlace4 from tbl_Groups "
                      "order by colName");
}

std::string activeGroup() { return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")); }

}  // namespace

TEST(EditorAccessibility, AScreenReaderAndTheKeyboardAloneAddAndDeleteGroups) {
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    QProcessEnvironment env = folder.processEnvironment();
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());

    // A session bus of the test's own, and the accessibility bus in it.
    SessionBus bus(env);
    ASSERT_TRUE(bus.up());
    env.remove("NO_AT_BRIDGE");
    env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    HelperProcess atspi("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"}, env);
    ASSERT_EQ(atspi.process.state(), QProcess::Running);

    auto program = folder.start("Varnel_Zize", {}, env);
    ASSERT_EQ(program->state(), QProcess::Running);

    // Every control is named and reachable; the dustbin says it is disabled.
    const ProbeRun names = probe(env, {"names"});
    ASSERT_EQ(names.exitCode, 0) << names.output.toStdString();
    const QStringList expected{
        "combo box|Groups|1|1",        "text|New group name|1|1",      "text|Place 1|1|1",
        "push button|Browse for place 1|1|1", "text|Place 2|1|1",      "push button|Browse for place 2|1|1",
        "text|Place 3|1|1",            "push button|Browse for place 3|1|1", "text|Place 4|1|1",
        "push button|Browse for place 4|1|1", "text|Place 5|1|1",      "push button|Browse for place 5|1|1",
        "push button|Add new|1|1",     "push button|Change|1|1",       "push button|Save|1|1",
        "push button|Programs|1|0",    "push button|Delete the group|1|0",   "push button|Minimize|1|1", "push button|Close|1|1"};
    EXPECT_EQ(names.output.split('\n', Qt::SkipEmptyParts), expected);

    // Accessible actions only: Add new, the texts, Save, OK in the question.
    const ProbeRun reader = probe(env, {"reader", "Reader", "/r/1", "/r/2", "/r/3", "/r/4", "/r/5"});
    ASSERT_EQ(reader.exitCode, 0) << reader.output.toStdString();
    EXPECT_TRUE(reader.output.contains("box: Save the changes?")) << reader.output.toStdString();
    ASSERT_TRUE(ProgramFolderCopy::waitFor([&] { return groups(folder).size() == 1; }));
    EXPECT_EQ(groups(folder), (std::vector<std::vector<std::string>>{{"Reader", "/r/1", "/r/2", "/r/3", "/r/4", "/r/5"}}));
    EXPECT_EQ(activeGroup(), "Reader");

    // Keys only: a round of Tab in layout order, a new group saved with Enter,
    // Reader made active again from the menu key's menu, the new group
    // deleted, xlogo (a program with a window open) bound to Reader.
    // (A window manager keeps the list of windows the menu offers.)
    HelperProcess windowManager("openbox", {}, env);
    HelperProcess xlogo("xlogo", {}, env);
    const ProbeRun keyboard =
        probe(env, {"keyboard", "Keys", "/k/1", "/k/2", "/k/3", "/k/4", "/k/5", "Reader", "xlogo"});
    ASSERT_EQ(keyboard.exitCode, 0) << keyboard.output.toStdString();
    EXPECT_TRUE(keyboard.output.contains(
        "focus order: Groups, Place 1, Browse for place 1, Place 2, Browse for place 2, Place 3, Browse for place 3, "
        "Place 4, Browse for place 4, Place 5, Browse for place 5, Minimize, Close, Add new, Change, Save, Programs\n"))
        << keyboard.output.toStdString();
    EXPECT_TRUE(keyboard.output.contains("box: Save the changes?\nbox: Delete the selected group?"))
        << keyboard.output.toStdString();
    EXPECT_TRUE(keyboard.output.contains("menu: xlogo [ ]") && keyboard.output.contains("menu: xlogo [x]"))
        << keyboard.output.toStdString();
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Programs", "xlogo")), "Reader");
    EXPECT_EQ(groups(folder), (std::vector<std::vector<std::string>>{{"Reader", "/r/1", "/r/2", "/r/3", "/r/4", "/r/5"}}));
    EXPECT_EQ(activeGroup(), "Reader");

    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(10000));
    EXPECT_FALSE(folder.env().exists("Error.log")) << folder.env().readFile("Error.log");
}
