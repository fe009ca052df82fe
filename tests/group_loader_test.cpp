#include <gtest/gtest.h>

#include <filesystem>

#include "core/db.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "places/group_loader.h"
#include "places/places_bar.h"
#include "platform/platform.h"
#include "support/db_files.h"
#include "support/recording_views.h"
#include "support/test_env.h"

using namespace varnel;
using Strings = std::vector<std::string>;

namespace {

class GroupLoading : public ::testing::Test {
protected:
    void SetUp() override { test::installShippedDatabase(env.folder()); }

    void addGroup(const std::string& name, const std::array<std::string, 5>& places) {
        dbExec(sqlAddGroup(name, places));
    }
    void setCurrentGroup(const RegValue& name) {
        setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", name);
    }

    test::TestEnvironment env;
    test::RecordedViews views;
};

TEST_F(GroupLoading, ListShowsEveryGroupInTableOrderWithTheActiveOneGreyed) {
    addGroup("Work", {"/w", "", "", "", ""});
    addGroup("Home", {"/h", "", "", "", ""});
    addGroup("Photos", {"/p", "", "", "", ""});
    addGroup("Old", {"/o", "", "", "", ""});
    setCurrentGroup(std::string("Home"));
    ASSERT_TRUE(loadGroupList());
    dbExec(sqlDeleteGroup("Old"));
    views.groupCombo.items.push_back("left over");

    EXPECT_TRUE(loadGroupList());
    EXPECT_EQ(views.groupCombo.items, (Strings{"Work", "Home", "Photos"}));
    EXPECT_EQ(views.tray.groups.captions(), (Strings{"Work", "Home", "Photos"}));
    EXPECT_EQ(views.tray.groups.enabledStates(), (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(views.tray.groups.placeholderVisible);
    EXPECT_TRUE(views.tray.set.enabled);
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(GroupLoading, ActiveGroupWithNumericNameIsFoundToo) {
    // A name of digits is stored as a number in the settings.
    addGroup("2008", {"/p", "", "", "", ""});
    addGroup("2009", {"/q", "", "", "", ""});
    setCurrentGroup(std::string("2009"));
    ASSERT_TRUE(std::holds_alternative<std::int32_t>(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup")));
    EXPECT_TRUE(loadGroupList());
    EXPECT_EQ(views.tray.groups.enabledStates(), (std::vector<bool>{true, false}));
}

TEST_F(GroupLoading, EmptyTableDisablesTheTraySubmenus) {
    views.groupCombo.items = {"stale"};
    EXPECT_FALSE(loadGroupList());
    EXPECT_TRUE(views.groupCombo.items.empty());
    EXPECT_FALSE(views.tray.set.enabled);
    EXPECT_FALSE(views.tray.folders.enabled);
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(GroupLoading, MissingDatabaseIsAnEmptyListWithoutLogLine) {
    std::filesystem::remove(env.path("Db/varnel.db"));
    EXPECT_FALSE(loadGroupList());
    EXPECT_FALSE(views.tray.set.enabled);
    EXPECT_FALSE(views.tray.folders.enabled);
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(GroupLoading, OneGroupFillsPlacesBoxesAndFolderSubmenu) {
    // The places as this system writes them: "/" stands for its separator.
    const auto native = [](std::string text) {
        for (char& c : text)
            if (c == '/') c = platform::placeSeparator();
        return text;
    };
    const std::array<std::string, 5> expected = {native("/home/anna/Projects"), native("/"), native("/srv/data/"),
                                                 native("/photos/2008"), ""};
    addGroup("Work", expected);
    views.tray.openFolders.loadItem(1, "stale", "/stale");
    views.tray.folders.enabled = false;

    EXPECT_EQ(loadGroup("Work"), std::optional<PlaceSet>(expected));
    EXPECT_EQ(views.placeEdits.texts, expected);
    EXPECT_EQ(views.tray.openFolders.captions(), (Strings{"Projects", native("/"), "", native("2008/"), ""}));
    EXPECT_EQ(views.tray.openFolders.items[1].tag, expected[0]);
    EXPECT_EQ(views.tray.openFolders.items[4].tag, expected[3]);
    EXPECT_FALSE(views.tray.openFolders.placeholderVisible);
    EXPECT_TRUE(views.tray.folders.enabled);
    EXPECT_EQ(views.groupCombo.text, "Work");
}

TEST_F(GroupLoading, UnknownGroupOnlyEmptiesTheFolderSubmenu) {
    addGroup("Work", {"/w0", "/w1", "/w2", "/w3", "/w4"});
    addGroup("O'Brien", {"/o0", "/o1", "/o2", "/o3", "/o4"});
    loadGroup("O'Brien");
    EXPECT_EQ(views.groupCombo.text, "O'Brien");

    EXPECT_EQ(loadGroup("Nobody"), std::nullopt);
    const std::array<std::string, 5> kept = {"/o0", "/o1", "/o2", "/o3", "/o4"};
    EXPECT_EQ(views.placeEdits.texts, kept);
    EXPECT_EQ(views.groupCombo.text, "O'Brien");
    EXPECT_TRUE(views.tray.openFolders.items.empty());
    EXPECT_TRUE(views.tray.openFolders.placeholderVisible);
}

TEST(GroupLoadingWithoutWindows, CallsAreHarmless) {
    test::TestEnvironment env;
    test::installShippedDatabase(env.folder());
    dbExec(sqlAddGroup("Work", {"/w0", "/w1", "/w2", "/w3", "/w4"}));
    EXPECT_TRUE(loadGroupList());
    EXPECT_EQ(loadGroup("Work").value_or(PlaceSet{})[4], "/w4");
    EXPECT_FALSE(env.exists("Error.log"));
}

}  // namespace
