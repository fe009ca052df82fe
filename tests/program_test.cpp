// The real main program, started as a person would start it.
#include <gtest/gtest.h>
#include <signal.h>

#include "core/db.h"
#include "core/registry.h"
#include "targets/places_bar/places_bar.h"
#include "shell/close_channel.h"
#include "support/program_folder_copy.h"
#include "update/update_paths.h"

using namespace varnel;
using test::ProgramFolderCopy;

namespace {

const std::string kW = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\PlacesBar";

bool placesBarWritten() { return keyExists(HKEY_CURRENT_USER, kW); }

void withOffice() {
    createKey(HKEY_CURRENT_USER,
              "Software\\Microsoft\\Office\\12.0\\Common\\Open Find\\Places\\StandardPlaces\\Desktop");
}

bool userPlacesWritten() {
    return keyExists(HKEY_CURRENT_USER,
                     "Software\\Microsoft\\Office\\12.0\\Common\\Open Find\\Places\\UserDefinedPlaces\\Place0");
}

// A folder with one active group, ready to start.
void prepare(ProgramFolderCopy& folder) {
    withOffice();
    folder.addGroup("Work", {"/home/work/a", "/home/work/b", "/srv/c", "/srv/d", "/tmp"}, true);
}

}  // namespace

TEST(MainProgram, StartsAppliesTheActiveGroupAndRemovesItOnACloseRequest) {
    ProgramFolderCopy folder;
    prepare(folder);
    auto program = folder.start("Varnel_Zize");
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten() && userPlacesWritten(); }));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, kW, "place4")), "/tmp");
    ASSERT_TRUE(requestClose("Varnel_zize"));
    ASSERT_TRUE(program->waitForFinished(10000));
    EXPECT_FALSE(placesBarWritten());
    EXPECT_FALSE(userPlacesWritten());
    EXPECT_FALSE(folder.env().exists("loggaren.log"));
}

TEST(MainProgram, TerminationSignalRemovesThePlacesBarEntries) {
    ProgramFolderCopy folder;
    prepare(folder);
    auto program = folder.start("Varnel_Zize");
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten(); }));
    ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
    ASSERT_TRUE(program->waitForFinished(10000));
    EXPECT_FALSE(placesBarWritten());
    EXPECT_FALSE(userPlacesWritten());
}

TEST(MainProgram, ASecondCopyIsRefusedAndTheFirstGoesOn) {
    ProgramFolderCopy folder;
    prepare(folder);
    auto first = folder.start("Varnel_Zize");
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten(); }));
    // The second copy may even ask to remove everything: it is refused first.
    ASSERT_TRUE(folder.run("Varnel_Zize", {"deletereg"}));
    EXPECT_EQ(folder.messages(), QStringList{"Varnel_Zize|Varnel_Zize allready started."});
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(placesBarWritten());
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(first->waitForFinished(10000));
}

TEST(MainProgram, DeleteregRemovesSettingsAndPlacesBarAndKeepsTheParentKey) {
    ProgramFolderCopy folder;
    prepare(folder);
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("Svenska"));
    applyPlaces({"/a", "/b", "/c", "/d", "/e"});
    ASSERT_TRUE(placesBarWritten() && userPlacesWritten());

    ASSERT_TRUE(folder.run("Varnel_Zize", {"deletereg"}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kSettingsParent));
    EXPECT_FALSE(placesBarWritten());
    EXPECT_FALSE(userPlacesWritten());
    EXPECT_TRUE(folder.messages().isEmpty());

    // Again, with nothing left to delete: nothing fails.
    ASSERT_TRUE(folder.run("Varnel_Zize", {"deletereg"}));
    EXPECT_FALSE(folder.env().exists("Error.log"));
}

TEST(MainProgram, TheTraceSwitchIsOneExactWord) {
    for (const auto& [args, traced] : {std::pair{QStringList{"loggaren"}, true}, {QStringList{"Loggaren"}, false},
                                       {QStringList{"loggaren", "extra"}, false}}) {
        ProgramFolderCopy folder;
        prepare(folder);
        auto program = folder.start("Varnel_Zize", args);
        ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten(); }));
        ASSERT_TRUE(requestClose("Varnel_Zize"));
        ASSERT_TRUE(program->waitForFinished(10000));
        EXPECT_EQ(folder.env().exists("loggaren.log"), traced) << args.join(' ').toStdString();
        if (traced) {
            auto lines = test::crlfLines(folder.env().readFile("loggaren.log"));
            EXPECT_NE(std::find(lines.begin(), lines.end(), "Startar med setOrDel = True iUpdate = 0"), lines.end());
            EXPECT_NE(std::find(lines.begin(), lines.end(), "Startar med setOrDel = False iUpdate = 0"), lines.end());
        }
    }
}

TEST(MainProgram, TheUpdaterClosesTheRunningProgramAndStartsTheNewOne) {
    ProgramFolderCopy folder;
    prepare(folder);
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    auto running = folder.start("Varnel_Zize");
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten(); }));

    // A downloaded new version waits in Temp, as the update window leaves it.
    const std::string newProgram = folder.env().readFile("Varnel_Zize") + "version 2";
    folder.env().writeFile("Temp/Varnel_Zize", newProgram);
    ASSERT_TRUE(folder.run("Varnel_Zize_Update", {"moveexedb"}, 30000));
    ASSERT_TRUE(running->waitForFinished(10000));  // the old copy was asked to close

    EXPECT_EQ(folder.env().readFile("Varnel_Zize"), newProgram);
    EXPECT_FALSE(folder.env().exists("Temp/Varnel_Zize"));
    // The new copy runs and has applied the active group again (a start
    // that a busy machine may make slow).
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return !queryProgram("Varnel_Zize", "tooltip").isEmpty(); }, 120000))
        << folder.messages().join('\n').toStdString() << folder.env().readFile("Error.log");
    EXPECT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten(); }, 60000));
    EXPECT_EQ(queryProgram("Varnel_Zize", "tooltip"), "Varnel - Current group : Work ");
    ASSERT_TRUE(requestClose("Varnel_Zize"));
    EXPECT_TRUE(ProgramFolderCopy::waitFor([] { return !placesBarWritten(); }));
    EXPECT_TRUE(ProgramFolderCopy::waitFor([] { return queryProgram("Varnel_Zize", "tooltip", 200).isEmpty(); }));
    EXPECT_TRUE(folder.messages().isEmpty()) << folder.messages().join('\n').toStdString();
}

TEST(MainProgram, PutsBackWhatADownloadLeftInTempBeforeItReadsItsFolder) {
    ProgramFolderCopy folder;
    prepare(folder);
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    test::TestEnvironment& env = folder.env();
    dbExec("insert into tbl_Update values ('Build\\Icon\\Varnel.ico','3');");
    // The program died while the icon's new copy was on its way: its old
    // copy waits in Temp. The language file's new copy had arrived.
    const std::string icon = env.readFile("Build/Icon/Varnel.ico");
    std::filesystem::create_directories(env.path("Temp"));
    std::filesystem::rename(env.path("Build/Icon/Varnel.ico"), env.path("Temp/Build&Icon&Varnel.ico"));
    const std::string texts = env.readFile("Language/English.lang");
    env.writeFile("Temp/Language&English.lang", "old texts");

    auto program = folder.start("Varnel_Zize");
    ASSERT_TRUE(ProgramFolderCopy::waitFor([] { return placesBarWritten(); }));
    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(10000));

    EXPECT_EQ(env.readFile("Build/Icon/Varnel.ico"), icon);
    EXPECT_EQ(env.readFile("Language/English.lang"), texts);
    EXPECT_TRUE(std::filesystem::is_empty(env.path("Temp")));
    EXPECT_EQ(queryFirstValue("select colVersion from tbl_Update where colFile = 'Build\\Icon\\Varnel.ico';"), "1");
    // Logged, and nothing failed for want of the icon.
    auto lines = test::crlfLines(env.readFile("Error.log"));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "restoreLeftoverBackups\t0\tbackup of a completed download removed\tTemp\\Language&English.lang",
                         "restoreLeftoverBackups\t0\tput back from Temp\tBuild\\Icon\\Varnel.ico"}));
}

TEST(Release, TheBuiltFolderShipsTheDatabaseUnderItsUpdateName) {
    ProgramFolderCopy folder;
    ASSERT_TRUE(std::filesystem::exists(folder.env().path("Db/Varnel.db")));
    ASSERT_TRUE(folder.run("Varnel_Zize_Update", {"makeversion1"}, 30000));
    // The release's database is the one the updater moves into place.
    const std::string manifest = folder.env().readFile("Update.upd");
    EXPECT_NE(manifest.find(std::string(kDatabaseEntry) + "\t|\t1\r\n"), std::string::npos) << manifest;
    EXPECT_EQ(queryFirstValue("select count(*) from tbl_Update where colFile = '" + std::string(kDatabaseEntry) + "';"),
              "1");
}
