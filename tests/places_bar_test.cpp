#include <gtest/gtest.h>

#include <algorithm>

#include "core/log.h"
#include "core/registry.h"
#include "targets/places_bar/places_bar.h"
#include "platform/platform.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

const std::string kW = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";

std::string std_places(const std::string& v) {
    return "Software\\Microsoft\\Office\\" + v + "\\Common\\Open Find\\Places\\StandardPlaces";
}
std::string user_places(const std::string& v) {
    return "Software\\Microsoft\\Office\\" + v + "\\Common\\Open Find\\Places\\UserDefinedPlaces";
}

// Two Office versions as an installation leaves them: six standard places
// each, a non-numeric sub-key before and after the versions.
void installOffice() {
    for (const char* v : {"11.0", "12.0"})
        for (const char* p : {"Desktop", "MyDocuments", "Favorites", "MyComputer", "Recent", "Publishing"})
            createKey(HKEY_CURRENT_USER, std_places(v) + "\\" + p);
    createKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\10abc\\Common");
    setValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Common", "Kept", std::string("as is"));
    setValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "Kept",
             std::string("also"));
}

// The group the tests apply.
PlaceSet places;

void setPlaces() {
    places = {test::sep("/home/anna/Projects"), test::sep("/srv/Data"), test::sep("/photos/2008"),
              test::sep("/home/anna/"), "5"};
}

void apply(bool on) {
    if (on) applyPlaces(places);
    else removePlaces();
}

std::vector<std::string> expectedOfficeVersion(const std::string& v) {
    const std::string sp = std_places(v);
    const std::string up = user_places(v);
    return {
        "Software\\Microsoft\\Office\\" + v,
        "Software\\Microsoft\\Office\\" + v + "\\Common",
        "Software\\Microsoft\\Office\\" + v + "\\Common\\Open Find",
        "Software\\Microsoft\\Office\\" + v + "\\Common\\Open Find\\Places",
        sp,
        sp + "\\Desktop",
        sp + "\\Desktop|Show=REG_DWORD:0",
        sp + "\\Favorites",
        sp + "\\Favorites|Show=REG_DWORD:0",
        sp + "\\MyComputer",
        sp + "\\MyComputer|Show=REG_DWORD:0",
        sp + "\\MyDocuments",
        sp + "\\MyDocuments|Show=REG_DWORD:0",
        sp + "\\Publishing",
        sp + "\\Publishing|Show=REG_DWORD:0",
        sp + "\\Recent",  // the sixth standard place is left alone
        up,
        up + "\\Place0",
        up + "\\Place0|Name=REG_SZ:Projects",
        up + "\\Place0|Path=REG_SZ:" + test::sep("/home/anna/Projects"),
        up + "\\Place1",
        up + "\\Place1|Name=REG_SZ:Data",
        up + "\\Place1|Path=REG_SZ:" + test::sep("/srv/Data"),
        up + "\\Place2",
        up + "\\Place2|Name=REG_SZ:" + test::sep("2008/"),
        up + "\\Place2|Path=REG_SZ:" + test::sep("/photos/2008"),
        up + "\\Place3",
        up + "\\Place3|Name=REG_SZ:",
        up + "\\Place3|Path=REG_SZ:" + test::sep("/home/anna/"),
        up + "\\Place4",
        up + "\\Place4|Name=REG_DWORD:5",
        up + "\\Place4|Path=REG_DWORD:5",
    };
}

}  // namespace

TEST(PlacesBarApply, WritesWindowsAndEveryOfficeVersionExactly) {
    test::TestEnvironment env;
    installOffice();
    setPlaces();
    apply(true);

    EXPECT_EQ(test::registrySnapshot(kW),
              (std::vector<std::string>{kW, kW + "|place0=REG_SZ:" + test::sep("/home/anna/Projects"),
                                        kW + "|place1=REG_SZ:" + test::sep("/srv/Data"),
                                        kW + "|place2=REG_SZ:" + test::sep("/photos/2008"),
                                        kW + "|place3=REG_SZ:" + test::sep("/home/anna/"), kW + "|place4=REG_DWORD:5"}));

    std::vector<std::string> office = {
        "Software\\Microsoft\\Office",
        "Software\\Microsoft\\Office\\10abc",
        "Software\\Microsoft\\Office\\10abc\\Common",
    };
    for (const char* v : {"11.0", "12.0"}) {
        auto part = expectedOfficeVersion(v);
        office.insert(office.end(), part.begin(), part.end());
    }
    office.push_back("Software\\Microsoft\\Office\\Common");
    office.push_back("Software\\Microsoft\\Office\\Common|Kept=REG_SZ:as is");
    EXPECT_EQ(test::registrySnapshot("Software\\Microsoft\\Office"), office);
    EXPECT_EQ(officeListsFound().versions, (std::vector<std::string>{"", "11.0", "12.0"}));
    EXPECT_FALSE(env.exists("Error.log"));
    EXPECT_FALSE(env.exists("loggaren.log"));
}

TEST(PlacesBarApply, RemoveAfterApplyRestoresEverythingElse) {
    test::TestEnvironment env;
    installOffice();
    // A parent key the apply creates and leaves behind, as it does on Windows.
    auto before = test::registrySnapshot();
    setPlaces();
    apply(true);
    // Applying twice changes nothing more.
    auto applied = test::registrySnapshot();
    apply(true);
    EXPECT_EQ(test::registrySnapshot(), applied);

    apply(false);
    auto after = test::registrySnapshot();
    // Everything that was there is there unchanged and in the same order; new
    // are only the two parents of the PlacesBar key, without values. (Where
    // they sit among the keys the system keeps is the store's enumeration order.)
    const std::string policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies";
    std::vector<std::string> kept, added;
    for (const auto& line : after)
        (std::find(before.begin(), before.end(), line) != before.end() ? kept : added).push_back(line);
    EXPECT_EQ(kept, before);
    EXPECT_EQ(added, (std::vector<std::string>{policies, policies + "\\comdlg32"}));
    auto parent = std::find(after.begin(), after.end(), policies);
    ASSERT_NE(parent, after.end());
    ASSERT_NE(parent + 1, after.end());
    EXPECT_EQ(*(parent + 1), policies + "\\comdlg32");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kW));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, user_places("11.0")));

    // A second remove changes nothing.
    TraceOn = true;
    apply(false);
    EXPECT_EQ(test::registrySnapshot(), after);
    EXPECT_EQ(env.readFile("loggaren.log").find("Tar bort Software\\Microsoft\\Windows"), std::string::npos);
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(PlacesBarApply, UserDefinedPlacesWithForeignSubKeysStay) {
    test::TestEnvironment env;
    installOffice();
    createKey(HKEY_CURRENT_USER, user_places("11.0") + "\\Mine");
    setPlaces();
    apply(true);
    apply(false);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user_places("11.0") + "\\Mine"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, user_places("11.0") + "\\Place0"));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, user_places("12.0")));
}

TEST(PlacesBarTrace, OneApplyTracesEveryStepInOrder) {
    test::TestEnvironment env;
    createKey(HKEY_CURRENT_USER, std_places("11.0") + "\\Desktop");
    createKey(HKEY_CURRENT_USER, std_places("11.0") + "\\Recent");
    places = {"A", "B", "C", "D", "E"};
    TraceOn = true;
    apply(true);

    const std::string v = "Software\\Microsoft\\Office\\11.0\\Common\\Open Find\\Places";
    std::vector<std::string> expected = {
        "",
        "Startar med setOrDel = True iUpdate = 0",
        "start : Kör windows genvägarna",
        "Uppdaterar " + kW,
    };
    for (int i = 0; i < 5; ++i)
        expected.push_back("Skapar " + kW + " place" + std::to_string(i) + " " + std::string(1, char('A' + i)));
    for (const char* line : {"Stop : Kör windows genvägarna", "start : office genvägarna", "Kollar om office finns",
                             "Office finns", "Loopar fram alla office versioner", "Office versioner 11.0",
                             "Loopar fram alla Standard places ", "Standard places Desktop", "Standard places Recent"})
        expected.push_back(line);
    for (int j = 0; j < 5; ++j) expected.push_back("Ta bort " + v + "\\UserDefinedPlaces Place" + std::to_string(j));
    expected.push_back("Ta bortSoftware\\Microsoft\\Office\\11.0\\Common\\Open Find\\Places UserDefinedPlaces");
    expected.push_back("Fixar det som ska fixas om inte iUpdate är 1");
    expected.push_back("Skapa Desktop");
    expected.push_back("Skapa Recent");
    expected.push_back("skapar allt annat som krävs med SetOrDel = True");
    expected.push_back("skapar i office version 11.0");
    for (int j = 0; j < 5; ++j) {
        std::string n = std::to_string(j), p(1, char('A' + j));
        expected.push_back("Skapa UserDefinedPlaces\\Place" + n);
        expected.push_back("Skapa " + v + "\\UserDefinedPlaces\\Place" + n + "Name " + p);
        expected.push_back("Skapa " + v + "\\UserDefinedPlaces\\Place" + n + "Path " + p);
    }
    expected.push_back("Stop : office genvägarna");
    EXPECT_EQ(test::crlfLines(env.readFile("loggaren.log")), expected);
}

TEST(PlacesBarTrace, WithoutOfficeOnlyTheWindowsPartIsWrittenAndTraced) {
    test::TestEnvironment env;
    places = {"1", "2", "3", "4", "5"};
    TraceOn = true;
    apply(true);
    apply(false);
    auto lines = test::crlfLines(env.readFile("loggaren.log"));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[9], "Stop : Kör windows genvägarna");
    EXPECT_EQ(lines[12], "Stop : office genvägarna");
    EXPECT_EQ(lines[14], "Startar med setOrDel = False iUpdate = 0");
    EXPECT_EQ(lines[16], "Tar bort Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32 PlacesBar");
    EXPECT_EQ(lines.back(), "Stop : office genvägarna");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Office"));
}

TEST(PlacesBarFailures, OfficeWithoutVersionsLogsEachOfficeStepAndChangesNothing) {
    test::TestEnvironment env;
    createKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Common");
    auto office = test::registrySnapshot("Software\\Microsoft\\Office");
    places = {"A", "B", "C", "D", "E"};
    apply(true);
    EXPECT_EQ(test::registrySnapshot("Software\\Microsoft\\Office"), office);
    const std::string line = "setShortGroup\t9\tSubscript out of range";
    EXPECT_EQ(test::crlfLines(env.readFile("Error.log")), (std::vector<std::string>(4, line)));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kW));
}

TEST(PlacesBarApply, ForwardSlashesAreRewrittenOnlyWhereTheyAreForeign) {
    test::TestEnvironment env;
    createKey(HKEY_CURRENT_USER, std_places("11.0") + "\\Desktop");
    places = {"C:/Data/Work", "", "", "", ""};
    apply(true);
    const std::string path = regText(queryValue(HKEY_CURRENT_USER, user_places("11.0") + "\\Place0", "Path"));
    // The Windows value gets the text as it stood before the Office part ran.
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place0")), "C:/Data/Work");
    if (platform::rewritesForwardSlashes()) {
        EXPECT_EQ(path, "C:\\Data\\Work");
    } else {
        EXPECT_EQ(path, "C:/Data/Work");
    }
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, user_places("11.0") + "\\Place0", "Name")), "Work");
    // Empty places are still written, as empty texts.
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, user_places("11.0") + "\\Place1", "Path")), "");
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user_places("11.0") + "\\Place4"));
}
