// The group editor and the tray, loaded in this process on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QTest>

#include "core/db.h"
#include "core/registry.h"
#include "core/runtime_error.h"
#include "editor/frm_main.h"
#include "editor/sel_all.h"
#include "lang/text_table.h"
#include "places/places_bar.h"
#include "places/settings_defaults.h"
#include "platform/linux/file_registry.h"
#include "shell/frm_splash.h"
#include "shell/frm_tray.h"
#include "shell/program.h"
#include "support/db_files.h"
#include "support/editor_fixture.h"

using namespace varnel;
using test::EditorFixture;

namespace {

const std::string kW = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";

std::string currentGroup() { return regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")); }

void typePlaces(frmMain& editor, const std::array<const char*, 5>& places) {
    for (int i = 0; i < 5; ++i) editor.txtpath[i]->setText(places[i]);
}

// "Work" (active, English texts) and a second group, then the editor's load.
frmMain& loadWithTwoGroups(EditorFixture& f, const std::string& second, const std::string& prefix) {
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
    frmMain& editor = f.loadEditor();
    ASSERT_TRUE(editor.inAddMode());
    EXPECT_EQ(editor.txtAddNew->text().toStdString(), Texts.NewGroupName);
    EXPECT_FALSE(editor.btnDustbin->Enabled());
    EXPECT_EQ(currentGroup(), "");

    editor.btnMain_Click(2);  // the untouched "New group name"
    editor.txtAddNew->clear();
    editor.btnMain_Click(2);  // no name
    editor.txtAddNew->setText("   ");  // blanks only are a name
    editor.btnMain_Click(2);
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"!" + Texts.FillName, "!" + Texts.FillName, "!" + Texts.FillAllFields}));

    f.addGroup("Work", {"/a", "/b", "/c", "/d", "/e"});
    editor.txtAddNew->setText("Work");
    typePlaces(editor, {"/1", "/2", "/3", "/4", "/5"});
    f.clearBoxes();
    editor.btnMain_Click(2);
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"!" + Texts.NewNameExists}));
    EXPECT_EQ(groups(f).size(), 1u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
}

TEST(GroupEditor, SavingANewGroupMakesItTheActiveGroup) {
    EditorFixture f;
    frmMain& editor = f.loadEditor();
    editor.txtAddNew->setText("O'Brien's files");
    typePlaces(editor, {"/home/ob/a", "/home/ob/b", "/srv/c", "/srv/d", "/tmp"});

    f.answerQuestions({false});
    editor.btnMain_Click(2);  // declined: nothing happens
    EXPECT_TRUE(groups(f).empty());
    EXPECT_TRUE(editor.inAddMode());

    f.answerQuestions({true});
    editor.btnMain_Click(2);
    EXPECT_EQ(groups(f), (std::vector<std::vector<std::string>>{
                             {"O'Brien's files", "/home/ob/a", "/home/ob/b", "/srv/c", "/srv/d", "/tmp"}}));
    EXPECT_EQ(currentGroup(), "O'Brien's files");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place4")), "/tmp");
    EXPECT_EQ(f.tray().toolTip().toStdString(), "Varnel - " + Texts.CurrentGroup + " : O'Brien's files ");
    EXPECT_FALSE(editor.inAddMode());
    EXPECT_EQ(editor.comboAppList->currentText().toStdString(), "O'Brien's files");
    EXPECT_EQ(editor.txtAddNew->text().toStdString(), Texts.NewGroupName);
    EXPECT_EQ(editor.draftPlaces(), (std::array<std::string, 5>{}));
    EXPECT_FALSE(editor.btnDustbin->Enabled());  // the active group cannot be deleted
    EXPECT_EQ(f.tray().groupItems().caption(1), "O'Brien's files");
}

TEST(GroupEditor, ChangingAGroupThatIsNotActiveLeavesThePlacesBarAlone) {
    EditorFixture f;
    frmMain& editor = loadWithTwoGroups(f, "Home", "/h");
    ASSERT_FALSE(editor.inAddMode());
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/w1");
    const auto before = test::registrySnapshot();

    editor.comboAppList->setCurrentIndex(1);
    editor.comboAppList_Click();
    EXPECT_EQ(editor.txtpath[0]->text(), "/h1");
    EXPECT_TRUE(editor.btnDustbin->Enabled());
    editor.txtpath[0]->setText("/h1-new");
    f.answerQuestions({true});
    editor.btnMain_Click(2);
    EXPECT_EQ(groups(f)[1], (std::vector<std::string>{"Home", "/h1-new", "/h2", "/h3", "/h4", "/h5"}));
    EXPECT_EQ(test::registrySnapshot(), before);
    EXPECT_EQ(currentGroup(), "Work");

    // Selecting the active group greys the dustbin again.
    editor.comboAppList->setCurrentIndex(0);
    editor.comboAppList_Click();
    EXPECT_FALSE(editor.btnDustbin->Enabled());
}

TEST(GroupEditor, DeletingAGroupAsksFirst) {
    EditorFixture f;
    frmMain& editor = loadWithTwoGroups(f, "Old", "/o");
    editor.comboAppList->setCurrentIndex(1);
    editor.comboAppList_Click();
    f.answerQuestions({false, true});
    editor.Btndustbin_Click();
    EXPECT_EQ(groups(f).size(), 2u);
    editor.Btndustbin_Click();
    EXPECT_EQ(groups(f).size(), 1u);
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"?" + Texts.Delete, "?" + Texts.Delete}));
    EXPECT_EQ(editor.comboAppList->count(), 1);
    EXPECT_EQ(editor.comboAppList->currentText(), "Work");
}

TEST(GroupEditor, EachModeActsOnlyOnWhatItShows) {
    EditorFixture f;
    frmMain& editor = loadWithTwoGroups(f, "Home", "/h");
    editor.comboAppList->setCurrentIndex(1);
    editor.comboAppList_Click();
    ASSERT_TRUE(editor.btnDustbin->Enabled());

    // Add mode: the hidden list still names "Home", which the dustbin must not offer.
    editor.btnMain_Click(0);
    EXPECT_FALSE(editor.btnDustbin->Enabled());
    f.answerQuestions({true});
    editor.Btndustbin_Click();
    EXPECT_EQ(groups(f).size(), 2u);

    // A name typed in add mode and left there does not stop a change of another group.
    editor.txtAddNew->setText("Work");
    editor.btnMain_Click(1);
    ASSERT_EQ(editor.comboAppList->currentText(), "Home");
    editor.txtpath[4]->setText("/h5-new");
    editor.btnMain_Click(2);
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"?" + Texts.SaveTheChanges}));
    EXPECT_EQ(groups(f)[1], (std::vector<std::string>{"Home", "/h1", "/h2", "/h3", "/h4", "/h5-new"}));
}

TEST(GroupEditor, AStatementTheDatabaseRefusesIsReportedAndChangesNothing) {
    EditorFixture f;
    frmMain& editor = loadWithTwoGroups(f, "Home", "/h");
    for (const char* op : {"insert", "update", "delete"})
        test::sqliteExec(f.env().path("Db/varnel.db"), std::string("create trigger refuse_") + op + " before " + op +
                                                           " on tbl_Groups begin select raise(abort, 'disk full'); end;");
    const auto settingsBefore = test::registrySnapshot();
    const QString tipBefore = f.tray().toolTip();
    const auto rowsBefore = groups(f);

    editor.btnMain_Click(0);
    editor.txtAddNew->setText("Never stored");
    typePlaces(editor, {"/n1", "/n2", "/n3", "/n4", "/n5"});
    f.answerQuestions({true});
    editor.btnMain_Click(2);
    EXPECT_EQ(f.boxes().back().substr(0, 1), "!");
    EXPECT_NE(f.boxes().back().find("disk full"), std::string::npos);
    EXPECT_TRUE(editor.inAddMode());  // what was typed is still there to try again
    EXPECT_EQ(editor.txtAddNew->text(), "Never stored");

    // Changing the active group: the Places Bar keeps what the database holds.
    editor.btnMain_Click(1);
    editor.txtpath[0]->setText("/w1-new");
    f.answerQuestions({true});
    editor.btnMain_Click(2);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/w1");

    editor.comboAppList->setCurrentIndex(1);
    editor.comboAppList_Click();
    f.answerQuestions({true});
    editor.Btndustbin_Click();
    EXPECT_EQ(editor.comboAppList->count(), 2);

    EXPECT_EQ(f.boxes().size(), 6u);  // three questions, three alerts
    EXPECT_EQ(test::registrySnapshot(), settingsBefore);
    EXPECT_EQ(f.tray().toolTip(), tipBefore);
    EXPECT_EQ(groups(f), rowsBefore);
}

TEST(GroupEditor, GroupNamesReachTheSettingsAsTheyWereTyped) {
    EditorFixture f;
    frmMain& editor = f.loadEditor();
    for (const char* name : {"007", " Home"}) {
        editor.btnMain_Click(0);
        editor.txtAddNew->setText(name);
        typePlaces(editor, {"/1", "/2", "/3", "/4", name[0] == '0' ? "/bond" : "/home"});
        f.answerQuestions({true});
        editor.btnMain_Click(2);
        const RegValue stored = queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup");
        ASSERT_TRUE(std::holds_alternative<std::string>(stored)) << name;
        EXPECT_EQ(std::get<std::string>(stored), name);
        EXPECT_FALSE(editor.btnDustbin->Enabled()) << name;  // the active group
    }
    f.tray().setApp_Click(1);
    EXPECT_EQ(currentGroup(), "007");

    // The next start finds the group again and applies its places.
    f.endProgram();
    EXPECT_EQ(f.loadEditor().comboAppList->currentText(), "007");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place4")), "/bond");
}

TEST(GroupEditor, ChangeWithAnEmptyDatabaseRemovesThePlacesBarAndReturnsToAddMode) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    frmMain& editor = f.loadEditor();
    ASSERT_TRUE(keyExists(HKEY_CURRENT_USER, kW));
    dbExec("delete from tbl_Groups");
    editor.btnMain_Click(1);
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"!" + Texts.EmptyDb}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_TRUE(editor.inAddMode());
    EXPECT_FALSE(f.tray().mSetAction->isEnabled());
}

TEST(GroupEditor, DraftPlacesSurviveATripToChangeMode) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    frmMain& editor = f.loadEditor();
    editor.show();
    ASSERT_EQ(editor.imgPlay->y(), 73);  // change mode's row
    editor.btnMain_Click(0);
    // The click returns at once; the marker then slides to add mode's row.
    EXPECT_EQ(editor.imgPlay->y(), 73);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.imgPlay->y() == 41; }, 10000));
    typePlaces(editor, {"/n1", "/n2", "", "", ""});
    editor.btnMain_Click(1);
    EXPECT_EQ(editor.txtpath[0]->text(), "/w1");
    editor.btnMain_Click(0);
    EXPECT_EQ(editor.txtpath[0]->text(), "/n1");
    EXPECT_EQ(editor.txtpath[1]->text(), "/n2");
    EXPECT_EQ(editor.txtpath[2]->text(), "");
}

TEST(GroupEditor, TypingIntoTheGroupListNeverChangesItsText) {
    EditorFixture f;
    f.addGroup("Work", {"/w1", "/w2", "/w3", "/w4", "/w5"});
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    frmMain& editor = f.loadEditor();
    editor.show();
    QTest::keyClicks(editor.comboAppList->lineEdit(), "xyz");
    QTest::keyClick(editor.comboAppList->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(editor.comboAppList->currentText(), "Work");
    // Nor does text dropped on it (a middle-click paste takes the same way in).
    QMimeData dropped;
    dropped.setText("elsewhere");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.comboAppList->lineEdit(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.comboAppList->lineEdit(), &drop);
    EXPECT_EQ(editor.comboAppList->currentText(), "Work");

    QLineEdit box("New group name");
    SelAll(box);
    EXPECT_EQ(box.selectionStart(), 0);
    EXPECT_EQ(box.selectedText().size(), 14);
}

TEST(TrayMenu, SwitchingGroupsAndLanguages) {
    EditorFixture f;
    loadWithTwoGroups(f, "Home", "/h");
    frmTray& tray = f.tray();
    EXPECT_EQ(tray.toolTip(), "Varnel - Current group : Work ");
    EXPECT_FALSE(tray.groupItems().item(1)->isEnabled());  // the active group
    EXPECT_TRUE(tray.groupItems().item(2)->isEnabled());
    EXPECT_EQ(tray.folderItems().item(3)->data().toString(), "/w3");

    tray.setApp_Click(2);
    EXPECT_EQ(currentGroup(), "Home");
    EXPECT_EQ(tray.toolTip(), "Varnel - Current group : Home ");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "/h1");
    EXPECT_FALSE(tray.groupItems().item(2)->isEnabled());
    EXPECT_FALSE(f.loadEditor().btnDustbin->Enabled());

    // The language takes effect at the next start, and only when confirmed.
    int deutsch = 0;
    for (int i = 1; i <= tray.languageItems().upperBound(); ++i)
        if (tray.languageItems().caption(i) == "Deutsch") deutsch = i;
    ASSERT_GT(deutsch, 0);
    f.answerQuestions({false, true});
    tray.Sublang_Click(deutsch);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "Language")), "English");
    tray.Sublang_Click(deutsch);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "Language")), "Deutsch");
    EXPECT_EQ(tray.mExit->text(), "Exit");
}

TEST(TrayMenu, DoubleClickTogglesTheEditorUnlessABoxIsOpen) {
    EditorFixture f;
    frmMain& editor = f.loadEditor();
    frmTray& tray = f.tray();
    editor.show();
    tray.iconMessage(515);
    EXPECT_FALSE(editor.isVisible());
    tray.iconMessage(515);
    EXPECT_TRUE(editor.isVisible());

    // While an alert waits, the icon does nothing.
    bool visibleDuringAlert = true;
    QTimer::singleShot(50, [&] {
        tray.iconMessage(515);
        visibleDuringAlert = editor.isVisible();
    });
    editor.btnMain_Click(2);  // "FillName"
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
    InitSettings();
    setRegistryBackend(std::make_unique<StoreFailingOnCurrentGroup>(env.path("registry/HKEY_CURRENT_USER.reg")));
    deleteSettings("Splash_err");
    // The value that could not be removed went with its key all the same.
    EXPECT_EQ(test::registrySnapshot("Software\\Varnel"), (std::vector<std::string>{"Software\\Varnel"}));
    EXPECT_EQ(env.readFile("Error.log").substr(0, 13), "Splash_err\t70");
}
