#include <gtest/gtest.h>

#include <filesystem>

#include "core/db.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "groups/group_service.h"
#include "platform/platform.h"
#include "support/db_files.h"
#include "support/test_env.h"

using namespace varnel;
using Strings = std::vector<std::string>;

namespace {

class Groups : public ::testing::Test {
protected:
    void SetUp() override {
        test::installShippedDatabase(env.folder());
        groups.follow([this](const GroupNotice& notice) { notices.push_back(notice); });
    }

    // Another program writing the database, as the updater or a second copy may.
    void addGroup(const std::string& name, const PlaceSet& places) { dbExec(sqlAddGroup(name, places)); }
    void setCurrentGroup(const RegValue& name) { setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", name); }
    std::vector<GroupEvent> events() const {
        std::vector<GroupEvent> out;
        for (const GroupNotice& notice : notices) out.push_back(notice.event);
        return out;
    }

    test::TestEnvironment env;
    GroupService groups;
    std::vector<GroupNotice> notices;
};

TEST_F(Groups, TheListIsReadAgainAtEachReloadWithTheActiveGroup) {
    addGroup("Work", {"/w", "", "", "", ""});
    addGroup("Home", {"/h", "", "", "", ""});
    addGroup("Old", {"/o", "", "", "", ""});
    setCurrentGroup(std::string("Home"));
    ASSERT_TRUE(groups.reloadList());
    dbExec(sqlDeleteGroup("Old"));
    addGroup("Photos", {"/p", "", "", "", ""});
    EXPECT_EQ(groups.listing().names, (Strings{"Work", "Home", "Old"}));  // until the next reload

    EXPECT_TRUE(groups.reloadList());
    EXPECT_EQ(groups.listing().names, (Strings{"Work", "Home", "Photos"}));
    EXPECT_EQ(groups.listing().active, "Home");
    EXPECT_EQ(events(), (std::vector<GroupEvent>{GroupEvent::ListRead, GroupEvent::ListRead}));

    // A name of digits is stored as a number in the settings.
    setCurrentGroup(std::int32_t{2008});
    addGroup("2008", {"/n", "", "", "", ""});
    EXPECT_TRUE(groups.reloadList());
    EXPECT_EQ(groups.listing().active, "2008");

    // No group and no database alike: nothing to list, nothing logged.
    dbExec(sqlEmptyGroupTable());
    EXPECT_FALSE(groups.reloadList());
    EXPECT_FALSE(groups.listing().available);
    std::filesystem::remove(env.path("Db/varnel.db"));
    EXPECT_FALSE(groups.reloadList());
    EXPECT_TRUE(groups.currentNames().empty());
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(Groups, ALoadKeepsThePlacesOfTheGroupFoundLast) {
    // The places as this system writes them: "/" stands for its separator.
    const auto native = [](std::string text) {
        for (char& c : text)
            if (c == '/') c = platform::placeSeparator();
        return text;
    };
    const PlaceSet work = {native("/home/anna/Projects"), native("/"), native("/srv/data/"), native("/photos/2008"), ""};
    addGroup("Work", work);
    addGroup("O'Brien", {"/o0", "/o1", "/o2", "/o3", "/o4"});

    EXPECT_EQ(groups.loadGroup("Work"), std::optional<PlaceSet>(work));
    EXPECT_EQ(groups.loadedPlaces(), work);
    EXPECT_EQ(groups.loadGroup("O'Brien").value_or(PlaceSet{})[4], "/o4");
    EXPECT_EQ(groups.loadGroup("Nobody"), std::nullopt);
    EXPECT_EQ(groups.loadedPlaces(), (PlaceSet{"/o0", "/o1", "/o2", "/o3", "/o4"}));
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[2].event, GroupEvent::GroupLoaded);
    EXPECT_EQ(notices[2].name, "Nobody");
    EXPECT_FALSE(notices[2].found);
    EXPECT_TRUE(notices[1].found);
    EXPECT_FALSE(env.exists("Error.log"));
}

// Groups the user may use but not change: a source of a few lines.
class HandedOutGroups final : public GroupSource {
public:
    std::vector<std::string> names() override { return {"Team"}; }
    std::optional<PlaceSet> places(const std::string& name) override {
        if (name != "Team") return std::nullopt;
        return PlaceSet{"/t0", "/t1", "/t2", "/t3", "/t4"};
    }
};

TEST_F(Groups, AReadOnlySourceIsListedAndUsedButNeverChanged) {
    addGroup("Work", {"/w0", "/w1", "/w2", "/w3", "/w4"});
    groups.addSource(std::make_unique<HandedOutGroups>());

    EXPECT_TRUE(groups.reloadList());
    EXPECT_EQ(groups.listing().names, (Strings{"Work", "Team"}));
    EXPECT_TRUE(groups.nameTaken("Team"));
    EXPECT_TRUE(groups.mayChange("Work"));
    EXPECT_FALSE(groups.mayChange("Team"));
    EXPECT_FALSE(groups.saveChangedGroup("Team", {"/x", "/x", "/x", "/x", "/x"}).ok());
    EXPECT_FALSE(groups.deleteGroup("Team").ok());
    EXPECT_EQ(groups.loadGroup("Team").value_or(PlaceSet{})[2], "/t2");

    // A new group goes to the user's own database and becomes the active one.
    notices.clear();
    ASSERT_TRUE(groups.saveNewGroup("Home", {"/h0", "/h1", "/h2", "/h3", "/h4"}).ok());
    EXPECT_EQ(queryFirstValue(sqlNameTaken("Home")), "Home");
    EXPECT_EQ(groups.activeGroup(), "Home");
    EXPECT_EQ(events(), (std::vector<GroupEvent>{GroupEvent::Added, GroupEvent::Activated, GroupEvent::ListRead,
                                                 GroupEvent::GroupLoaded, GroupEvent::ListRead, GroupEvent::GroupLoaded}));
    EXPECT_EQ(groups.listing().names, (Strings{"Work", "Home", "Team"}));
    groups.targets().remove();
}

}  // namespace
