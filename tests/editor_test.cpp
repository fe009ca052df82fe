// The group editor and the tray, loaded in this process on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QTest>

#include "core/db.h"
#include "core/registry.h"
#include "core/runtime_error.h"
#include "editor/group_editor.h"
#include "editor/select_all.h"
#include "lang/text_table.h"
#include "targets/places_bar/places_bar.h"
#include "places/settings_defaults.h"
#include "platform/linux/file_registry.h"
#include "shell/command_line.h"
#include "shell/splash_window.h"
#include "shell/tray_icon.h"
#include "shell/program.h"
#include "support/db_files.h"
#include "support/editor_fixture.h"

using namespace varnel;
using test::EditorFixture;

namespace {

const std::string kW = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";

std::string currentGroup() { return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")); }

void typePlaces(GroupEditor& editor, const std::array<const char*, 5>& places) {
    for (int i = 0; i < 5; ++i) editor.placeEdits[i]->setText(places[i]);
}

// "Work" (active, English texts) and a second group, then the editor's load.
GroupEditor& loadWithTwoGroups(EditorFixture& f, const std::string& second, const std::string& prefix) {
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    f.addGroup(second, {prefix + "1", prefix + "2", prefix + "3", prefix + "4", prefix + "5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    return f.loadEditor();
}

std::vector<std::vector<std::string>> groups(EditorFixture& f) {
    return test::sqliteRows(f.env().path("Db/varnel.db"), "select * from tbl_Groups");
}

}  // namespace

TEST(GroupEditor, StartsInAddModeWithoutGroupsAndRefusesIncompleteInput) {
    EditorFixture f;
    GroupEditor& editor = f.loadEditor();
    ASSERT_TRUE(editor.inAddMode());
    EXPECT_EQ(editor.newNameEdit->text().toStdString(), Texts.NewGroupName);
    EXPECT_FALSE(editor.deleteButton->enabledState());
    EXPECT_EQ(currentGroup(), "");

    editor.save();  // the untouched "New group name"
    editor.newNameEdit->clear();
    editor.save();  // no name
    editor.newNameEdit->setText("   ");  // blanks only are a name
    editor.save();
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"!" + Texts.FillName, "!" + Texts.FillName, "!" + Texts.FillAllFields}));

    f.addGroup("Work", {"/a", "/b", "/c", "/d", "/e"});
    editor.newNameEdit->setText("Work");
    typePlaces(editor, {"/1", "/2", "/3", "/4", "/5"});
    f.clearBoxes();
    editor.save();
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"!" + Texts.NewNameExists}));
    EXPECT_EQ(groups(f).size(), 1u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
}

TEST(GroupEditor, SavingANewGroupMakesItTheActiveGroup) {
    EditorFixture f;
    GroupEditor& editor = f.loadEditor();
    editor.newNameEdit->setText("O'Brien's files");
    typePlaces(editor, {"/home/ob/a", "/home/ob/b", "/srv/c", "/srv/d", "/tmp"});

    f.answerQuestions({false});
    editor.save();  // declined: nothing happens
    EXPECT_TRUE(groups(f).empty());
    EXPECT_TRUE(editor.inAddMode());

    f.answerQuestions({true});
    editor.save();
    EXPECT_EQ(groups(f), (std::vector<std::vector<std::string>>{
                             {"O'Brien's files", "/home/ob/a", "/home/ob/b", "/srv/c", "/srv/d", "/tmp"}}));
    EXPECT_EQ(currentGroup(), "O'Brien's files");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place4")), "/tmp");
    EXPECT_EQ(f.tray().toolTip().toStdString(), "Varnel - " + Texts.CurrentGroup + " : O'Brien's files ");
    EXPECT_FALSE(editor.inAddMode());
    EXPECT_EQ(editor.groupCombo->currentText().toStdString(), "O'Brien's files");
    EXPECT_EQ(editor.newNameEdit->text().toStdString(), Texts.NewGroupName);
    EXPECT_EQ(editor.draftPlaces(), (std::array<std::string, 5>{}));
    EXPECT_FALSE(editor.deleteButton->enabledState());  // the active group cannot be deleted
    EXPECT_EQ(f.tray().groupItems().caption(1), "O'Brien's files");
}

TEST(GroupEditor, ChangingAGroupThatIsNotActiveLeavesThePlacesBarAlone) {
    EditorFixture f;
    GroupEditor& editor = loadWithTwoGroups(f, "Home", "/h");
    ASSERT_FALSE(editor.inAddMode());
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/w1");
    const auto before = test::registrySnapshot();

    editor.groupCombo->setCurrentIndex(1);
    editor.showChosenGroup();
    EXPECT_EQ(editor.placeEdits[0]->text(), "/h1");
    EXPECT_TRUE(editor.deleteButton->enabledState());
    editor.placeEdits[0]->setText("/h1-new");
    f.answerQuestions({true});
    editor.save();
    EXPECT_EQ(groups(f)[1], (std::vector<std::string>{"Home", "/h1-new", "/h2", "/h3", "/h4", "/h5"}));
    EXPECT_EQ(test::registrySnapshot(), before);
    EXPECT_EQ(currentGroup(), "Work");

    // Selecting the active group greys the dustbin again.
    editor.groupCombo->setCurrentIndex(0);
    editor.showChosenGroup();
    EXPECT_FALSE(editor.deleteButton->enabledState());
}

TEST(GroupEditor, DeletingAGroupAsksFirst) {
    EditorFixture f;
    GroupEditor& editor = loadWithTwoGroups(f, "Old", "/o");
    editor.groupCombo->setCurrentIndex(1);
    editor.showChosenGroup();
    f.answerQuestions({false, true});
    editor.deleteGroup();
    EXPECT_EQ(groups(f).size(), 2u);
    editor.deleteGroup();
    EXPECT_EQ(groups(f).size(), 1u);
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"?" + Texts.Delete, "?" + Texts.Delete}));
    EXPECT_EQ(editor.groupCombo->count(), 1);
    EXPECT_EQ(editor.groupCombo->currentText(), "Work");
}

TEST(GroupEditor, EachModeActsOnlyOnWhatItShows) {
    EditorFixture f;
    GroupEditor& editor = loadWithTwoGroups(f, "Home", "/h");
    editor.groupCombo->setCurrentIndex(1);
    editor.showChosenGroup();
    ASSERT_TRUE(editor.deleteButton->enabledState());

    // Add mode: the hidden list still names "Home", which the dustbin must not offer.
    editor.enterAddMode();
    EXPECT_FALSE(editor.deleteButton->enabledState());
    f.answerQuestions({true});
    editor.deleteGroup();
    EXPECT_EQ(groups(f).size(), 2u);

    // A name typed in add mode and left there does not stop a change of another group.
    editor.newNameEdit->setText("Work");
    editor.enterChangeMode();
    ASSERT_EQ(editor.groupCombo->currentText(), "Home");
    editor.placeEdits[4]->setText("/h5-new");
    editor.save();
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"?" + Texts.SaveTheChanges}));
    EXPECT_EQ(groups(f)[1], (std::vector<std::string>{"Home", "/h1", "/h2", "/h3", "/h4", "/h5-new"}));
}

TEST(GroupEditor, AStatementTheDatabaseRefusesIsReportedAndChangesNothing) {
    EditorFixture f;
    GroupEditor& editor = loadWithTwoGroups(f, "Home", "/h");
    for (const char* op : {"insert", "update", "delete"})
        test::sqliteExec(f.env().path("Db/varnel.db"), std::string("create trigger refuse_") + op + " before " + op +
                                                           " on tbl_Groups begin select raise(abort, 'disk full'); end;");
    const auto settingsBefore = test::registrySnapshot();
    const QString tipBefore = f.tray().toolTip();
    const auto rowsBefore = groups(f);

    editor.enterAddMode();
    editor.newNameEdit->setText("Never stored");
    typePlaces(editor, {"/n1", "/n2", "/n3", "/n4", "/n5"});
    f.answerQuestions({true});
    editor.save();
    EXPECT_EQ(f.boxes().back().substr(0, 1), "!");
    EXPECT_NE(f.boxes().back().find("disk full"), std::string::npos);
    EXPECT_TRUE(editor.inAddMode());  // what was typed is still there to try again
    EXPECT_EQ(editor.newNameEdit->text(), "Never stored");

    // Changing the active group: the Places Bar keeps what the database holds.
    editor.enterChangeMode();
    editor.placeEdits[0]->setText("/w1-new");
    f.answerQuestions({true});
    editor.save();
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/w1");

    editor.groupCombo->setCurrentIndex(1);
    editor.showChosenGroup();
    f.answerQuestions({true});
    editor.deleteGroup();
    EXPECT_EQ(editor.groupCombo->count(), 2);

    EXPECT_EQ(f.boxes().size(), 6u);  // three questions, three alerts
    EXPECT_EQ(test::registrySnapshot(), settingsBefore);
    EXPECT_EQ(f.tray().toolTip(), tipBefore);
    EXPECT_EQ(groups(f), rowsBefore);
}

TEST(GroupEditor, GroupNamesReachTheSettingsAsTheyWereTyped) {
    EditorFixture f;
    GroupEditor& editor = f.loadEditor();
    for (const char* name : {"007", " Home"}) {
        editor.enterAddMode();
        editor.newNameEdit->setText(name);
        typePlaces(editor, {"/1", "/2", "/3", "/4", name[0] == '0' ? "/bond" : "/home"});
        f.answerQuestions({true});
        editor.save();
        const RegValue stored = queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup");
        ASSERT_TRUE(std::holds_alternative<std::string>(stored)) << name;
        EXPECT_EQ(std::get<std::string>(stored), name);
        EXPECT_FALSE(editor.deleteButton->enabledState()) << name;  // the active group
    }
    f.tray().activateGroup(1);
    EXPECT_EQ(currentGroup(), "007");

    // The next start finds the group again and applies its places.
    f.endProgram();
    EXPECT_EQ(f.loadEditor().groupCombo->currentText(), "007");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place4")), "/bond");
}

TEST(GroupEditor, ChangeWithAnEmptyDatabaseRemovesThePlacesBarAndReturnsToAddMode) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    GroupEditor& editor = f.loadEditor();
    ASSERT_TRUE(keyExists(HKEY_CURRENT_USER, kW));
    dbExec("delete from tbl_Groups");
    editor.enterChangeMode();
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"!" + Texts.EmptyDb}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_TRUE(editor.inAddMode());
    EXPECT_FALSE(f.tray().groupsMenuAction->isEnabled());
}

TEST(GroupEditor, DraftPlacesSurviveATripToChangeMode) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    GroupEditor& editor = f.loadEditor();
    editor.show();
    ASSERT_EQ(editor.modeMarker->y(), 73);  // change mode's row
    editor.enterAddMode();
    // The click returns at once; the marker then slides to add mode's row.
    EXPECT_EQ(editor.modeMarker->y(), 73);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.modeMarker->y() == 41; }, 10000));
    typePlaces(editor, {"/n1", "/n2", "", "", ""});
    editor.enterChangeMode();
    EXPECT_EQ(editor.placeEdits[0]->text(), "/w1");
    editor.enterAddMode();
    EXPECT_EQ(editor.placeEdits[0]->text(), "/n1");
    EXPECT_EQ(editor.placeEdits[1]->text(), "/n2");
    EXPECT_EQ(editor.placeEdits[2]->text(), "");
}

TEST(GroupEditor, TypingIntoTheGroupListNeverChangesItsText) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    GroupEditor& editor = f.loadEditor();
    editor.show();
    QTest::keyClicks(editor.groupCombo->lineEdit(), "xyz");
    QTest::keyClick(editor.groupCombo->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(editor.groupCombo->currentText(), "Work");
    // Nor does text dropped on it (a middle-click paste takes the same way in).
    QMimeData dropped;
    dropped.setText("elsewhere");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.groupCombo->lineEdit(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.groupCombo->lineEdit(), &drop);
    EXPECT_EQ(editor.groupCombo->currentText(), "Work");

    QLineEdit box("New group name");
    selectAllText(box);
    EXPECT_EQ(box.selectionStart(), 0);
    EXPECT_EQ(box.selectedText().size(), 14);
}

TEST(TrayMenu, SwitchingGroupsAndLanguages) {
    EditorFixture f;
    loadWithTwoGroups(f, "Home", "/h");
    TrayIcon& tray = f.tray();
    EXPECT_EQ(tray.toolTip(), "Varnel - Current group : Work ");
    EXPECT_FALSE(tray.groupItems().item(1)->isEnabled());  // the active group
    EXPECT_TRUE(tray.groupItems().item(2)->isEnabled());
    EXPECT_EQ(tray.folderItems().item(3)->data().toString(), "/w3");
    // A group another program adds shows at the next reload, in the menu and the editor's list.
    f.addGroup("Photos", {"/p1", "/p2", "/p3", "/p4", "/p5"});
    EXPECT_EQ(tray.groupItems().upperBound(), 2);

    tray.activateGroup(2);
    EXPECT_EQ(tray.groupItems().caption(3), "Photos");
    EXPECT_EQ(f.loadEditor().groupCombo->count(), 3);
    EXPECT_EQ(currentGroup(), "Home");
    EXPECT_EQ(tray.toolTip(), "Varnel - Current group : Home ");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/h1");
    EXPECT_FALSE(tray.groupItems().item(2)->isEnabled());
    EXPECT_FALSE(f.loadEditor().deleteButton->enabledState());

    // The language takes effect at the next start, and only when confirmed.
    int deutsch = 0, english = 0;
    for (int i = 1; i <= tray.languageItems().upperBound(); ++i) {
        if (tray.languageItems().caption(i) == "Deutsch") deutsch = i;
        if (tray.languageItems().caption(i) == "English") english = i;
    }
    ASSERT_GT(deutsch, 0);
    ASSERT_GT(english, 0);
    EXPECT_TRUE(tray.languageItems().item(deutsch)->isEnabled());
    EXPECT_FALSE(tray.languageItems().item(english)->isEnabled());  // the current language
    f.answerQuestions({false, true});
    tray.chooseLanguage(deutsch);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "Language")), "English");
    tray.chooseLanguage(deutsch);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "Language")), "Deutsch");
    EXPECT_EQ(tray.exitAction->text(), "Exit");
}

// The start applies a group that is there, and the end is final: a setting
// that names no group (here one another tool deleted) applies nothing and
// clears what an earlier run left; once the program has begun to end,
// neither a command still under way nor the tray brings the group back.
TEST(Program, OnlyAGroupThatIsThereIsAppliedAndTheEndIsFinal) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    f.addGroup("Home", {"/h1", "/h2", "/h3", "/h4", "/h5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Ghost"));
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    applyPlaces({"/left/1", "/left/2", "/left/3", "/left/4", "/left/5"});
    f.loadEditor();
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_EQ(f.tray().toolTip(), "Varnel - Current group : Ghost ");
    auto ask = [&](const QString& request) { return answerCommand(request, f.program()).toStdString(); };
    EXPECT_EQ(ask(R"({"command":"list"})"), R"({"active":"","groups":["Work","Home"],"status":"ok"})");

    EXPECT_EQ(ask(R"({"command":"group","name":"Work"})"), R"({"status":"ok"})");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/w1");
    f.program().quit();
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_EQ(ask(R"({"command":"group","name":"Home"})"), R"({"status":"ending"})");
    EXPECT_EQ(currentGroup(), "Work");
    f.tray().activateGroup(2);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
}

TEST(TrayMenu, DoubleClickTogglesTheEditorUnlessABoxIsOpen) {
    EditorFixture f;
    GroupEditor& editor = f.loadEditor();
    TrayIcon& tray = f.tray();
    editor.show();
    tray.iconActivated(TrayIcon::DoubleClick);
    EXPECT_FALSE(editor.isVisible());
    tray.iconActivated(TrayIcon::DoubleClick);
    EXPECT_TRUE(editor.isVisible());

    // While an alert waits, the icon does nothing.
    bool visibleDuringAlert = true;
    QTimer::singleShot(50, [&] {
        tray.iconActivated(TrayIcon::DoubleClick);
        visibleDuringAlert = editor.isVisible();
    });
    editor.save();  // "FillName"
    EXPECT_TRUE(visibleDuringAlert);
}

TEST(Splash, TheSecondStartsWhenTheLoadStepHasFinished) {
    EditorFixture f;
    Program& program = f.program();
    // No window event runs inside the load step, however long the
    // single-instance check takes: the editor comes after it.
    program.start(QString());
    ASSERT_NE(program.splash(), nullptr);
    EXPECT_EQ(program.loadedEditor(), nullptr);
    EXPECT_TRUE(program.splash()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.loadedEditor() != nullptr; }, 5000));
    EXPECT_TRUE(program.loadedEditor()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.splash() == nullptr; }, 5000));
}

namespace {

// The store, with a runtime failure on removing "CurrentGroup".
class StoreFailingOnCurrentGroup : public platform::FileRegistry {
public:
    using FileRegistry::FileRegistry;
    long deleteValue(platform::HKey key, const std::string& name) override {
        if (name == "CurrentGroup") raiseError(err::PermissionDenied);
        return FileRegistry::deleteValue(key, name);
    }
};

}  // namespace

TEST(Splash, DeleteregRemovesWhatItCanWhenOneStepFails) {
    test::TestEnvironment env;
    initSettings();
    setRegistryBackend(std::make_unique<StoreFailingOnCurrentGroup>(env.path("registry/HKEY_CURRENT_USER.reg")));
    deleteSettings("Splash_err");
    // The value that could not be removed went with its key all the same.
    EXPECT_EQ(test::registrySnapshot("Software\\Varnel"), (std::vector<std::string>{"Software\\Varnel"}));
    EXPECT_EQ(env.readFile("Error.log").substr(0, 13), "Splash_err\t70");
}
