#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/db_files.h"
#include "support/test_env.h"
#include "update/manifest.h"
#include "update/update_paths.h"
#include "updater/make_version.h"
#include "updater/move_files.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

std::vector<std::vector<std::string>> versionRows(const test::TestEnvironment& env) {
    return test::sqliteRows(env.path("Db/varnel.db"), "select colFile, colVersion from tbl_Update order by rowid");
}

struct UpdaterFixture : ::testing::Test {
    test::TestEnvironment env;
    std::vector<std::string> boxes;
    int windowRestores = 0;
    int turns = 0;
    // Runs where the updater's window waits for its timer.
    std::function<void()> betweenSteps;
    std::function<bool()> mainProgramRunning = [] { return false; };

    UpdaterFixture() {
        test::installShippedDatabase(env.folder());
    }

    updater::Hooks hooks() {
        return {[this] { return mainProgramRunning(); }, [this](const std::string& text) { boxes.push_back(text); },
                [this] { ++windowRestores; }};
    }
    // Repetitions of the last move.
    int moveAttempts = 0;
    // The move's steps as the updater's window runs them, one per timer tick.
    updater::MoveStep moveFiles() {
        updater::FileMove move(hooks());
        updater::MoveStep step;
        while ((step = move.step()) == updater::MoveStep::TryAgain) {
            moveAttempts = move.attempts();
            if (betweenSteps) betweenSteps();
        }
        moveAttempts = move.attempts();
        return step;
    }
    // The release build as the updater's window runs it, one file per turn.
    std::string buildRelease() {
        ReleaseBuilder builder;
        while (builder.addNextFile()) ++turns;
        return builder.finish();
    }
    // A non-empty folder where a file should go: neither a delete nor a
    // rename gets past it, as with a file the main program still holds.
    void obstruct(const std::string& relative) { env.writeFile(relative + "/held", "x"); }
    // A downloaded database waiting in Temp, told apart by its one group.
    void waitingDatabase(const std::string& group) {
        fs::create_directories(env.path("Temp"));
        fs::copy_file(VARNEL_EMPTY_DATABASE, env.path("Temp/Varnel.db"), fs::copy_options::overwrite_existing);
        test::sqliteExec(env.path("Temp/Varnel.db"), "insert into tbl_Groups (colName) values ('" + group + "');");
    }
    std::vector<std::vector<std::string>> groupsIn(const std::string& database) {
        return test::sqliteRows(env.path(database), "select colName from tbl_Groups");
    }
};

}  // namespace

TEST_F(UpdaterFixture, MakeVersionListsThreeLevelsAndGivesTheSameResultTwice) {
    for (const char* f : {"Varnel_Zize", "Varnel_Zize_Update", "Build/UpdateWindow.gif", "Build/Icon/Update.ico",
                          "Build/a/b/third.txt", "Build/a/b/c/fourth.txt", "Language/English.lang", "it's.txt",
                          "Error.log"})
        env.writeFile(f, "x");
    const std::string expected =
        "Build\\UpdateWindow.gif\t|\t1\r\n"
        "Build\\a\\b\\third.txt\t|\t1\r\n"
        "Build\\Icon\\Update.ico\t|\t1\r\n"
        "Db\\varnel.db\t|\t1\r\n"
        "Language\\English.lang\t|\t1\r\n"
        "it's.txt\t|\t1\r\n"
        "Varnel_Zize\t|\t1\r\n"
        "Varnel_Zize_Update\t|\t1\r\n"
        "\r\n";
    EXPECT_EQ(buildRelease(), expected);
    EXPECT_EQ(env.readFile("Update.upd"), expected);
    const auto rows = versionRows(env);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Build\\a\\b\\third.txt", "1"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"it's.txt", "1"}));
    for (const auto& entry : parseManifest(expected).entries) EXPECT_EQ(entry.version, "1");
    EXPECT_EQ(env.readFile("Error.log"), "x");  // nothing logged

    // The updater empties the table and deletes the manifest before each run.
    fs::remove(env.path("Update.upd"));
    test::sqliteExec(env.path("Db/varnel.db"), "delete from tbl_update");
    EXPECT_EQ(buildRelease(), expected);
    EXPECT_EQ(versionRows(env), rows);
    EXPECT_GE(turns, 16);  // the window stays alive during a long run
}

TEST_F(UpdaterFixture, MakeVersionWithoutDatabaseWritesAnEmptyManifest) {
    fs::remove(env.path("Db/varnel.db"));
    env.writeFile("Build/x.gif", "x");
    EXPECT_EQ(makeVersion(), "\r\n");
    EXPECT_EQ(env.readFile("Update.upd"), "\r\n");
    EXPECT_EQ(env.readFile("Error.log").rfind("Varnel_Zize_Update.exe - Cant open database\t53\tFile not found\t", 0),
              0u);
}

TEST_F(UpdaterFixture, WaitingFilesReplaceTheOldOnes) {
    env.writeFile(mainProgramEntry(), "old program");
    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    waitingDatabase("New");
    // Nothing moves while the main program still runs; waiting is no repetition.
    int stillRunning = 2;
    mainProgramRunning = [&] { return stillRunning > 0; };
    betweenSteps = [&] {
        EXPECT_EQ(env.readFile(mainProgramEntry()), "old program");
        --stillRunning;
    };
    EXPECT_EQ(moveFiles(), updater::MoveStep::Moved);
    EXPECT_EQ(stillRunning, 0);
    EXPECT_EQ(env.readFile(mainProgramEntry()), "new program");
    // The folder's own spelling of the database's name is kept.
    EXPECT_EQ(groupsIn("Db/varnel.db"), std::vector<std::vector<std::string>>{{"New"}});
    EXPECT_EQ(std::distance(fs::directory_iterator(env.path("Db")), fs::directory_iterator()), 1);
    EXPECT_FALSE(env.exists("Temp/Varnel.db"));
    EXPECT_FALSE(env.exists("Temp/" + mainProgramEntry()));
    EXPECT_FALSE(env.exists("Error.log"));

    // A main program file that had gone missing does not stop the new one.
    fs::remove(env.path(mainProgramEntry()));
    env.writeFile("Temp/" + mainProgramEntry(), "newer program");
    EXPECT_EQ(moveFiles(), updater::MoveStep::Moved);
    EXPECT_EQ(env.readFile(mainProgramEntry()), "newer program");
    EXPECT_EQ(moveAttempts, 0);
}

TEST_F(UpdaterFixture, ALockThatClearsOnTheThirdRepetition) {
    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    waitingDatabase("New");
    fs::remove(env.path("Db/varnel.db"));
    obstruct("Db/varnel.db");
    betweenSteps = [this] {
        if (moveAttempts == 3) fs::remove_all(env.path("Db/varnel.db"));
    };
    EXPECT_EQ(moveFiles(), updater::MoveStep::Moved);
    EXPECT_EQ(moveAttempts, 3);
    EXPECT_EQ(env.readFile(mainProgramEntry()), "new program");
    EXPECT_EQ(groupsIn("Db/Varnel.db"), std::vector<std::vector<std::string>>{{"New"}});  // the name as the updater writes it
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(env.readFile("Error.log"), "Varnel_Zize_Update.exe - moveFiles\t75\tPath/File access error\t\r\n");
}

TEST_F(UpdaterFixture, ALockThatStaysGivesUpAfter199Repetitions) {
    test::sqliteExec(env.path("Db/varnel.db"), "insert into tbl_Update values ('" + mainProgramEntry() +
                                                   "','5'); insert into tbl_Update values ('Db\\Varnel.db','5');");
    env.writeFile("Temp/" + mainProgramEntry(), "new program");
    env.writeFile("Temp/Varnel.db", "new database");
    obstruct(mainProgramEntry());
    EXPECT_EQ(moveFiles(), updater::MoveStep::GaveUp);
    EXPECT_EQ(moveAttempts, 200);
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Cant move files, Windows has them locked. try restart Varnel and run update again."});
    EXPECT_EQ(windowRestores, 1);
    EXPECT_EQ(versionRows(env), (std::vector<std::vector<std::string>>{{mainProgramEntry(), "1"},
                                                                      {"Db\\Varnel.db", "1"}}));
    EXPECT_FALSE(env.exists("Temp/" + mainProgramEntry()));
    EXPECT_FALSE(env.exists("Temp/Varnel.db"));
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(UpdaterFixture, OtherFailuresAreLoggedOnce) {
    waitingDatabase("New");
    fs::remove_all(env.path("Db"));  // nowhere to put it
    EXPECT_EQ(moveFiles(), updater::MoveStep::Moved);
    EXPECT_EQ(moveAttempts, 0);
    EXPECT_EQ(env.readFile("Error.log"), "Varnel_Zize_Update.exe - moveFiles\t53\tFile not found\t\r\n");
    EXPECT_EQ(groupsIn("Temp/Varnel.db"), std::vector<std::vector<std::string>>{{"New"}});
}

namespace {

// Leaves `file` as a program leaves it that dies in the middle of a write:
// changed pages already in the file, their old contents in a hot journal.
void leaveHotJournal(const fs::path& file) {
    const fs::path scratch = file.parent_path() / "scratch.db";
    fs::copy_file(file, scratch);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(scratch.c_str(), &db), SQLITE_OK);
    // A small cache makes SQLite write pages to the file before the commit.
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA cache_size = 10; BEGIN;"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
                           " INSERT INTO tbl_Groups (colName, colPlace0) SELECT 'Half' || i, hex(randomblob(1500)) FROM n;"
                           "UPDATE tbl_Groups SET colPlace1 = 'changed';",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    fs::path journal = scratch;
    journal += "-journal";
    ASSERT_TRUE(fs::exists(journal));
    fs::copy_file(scratch, file, fs::copy_options::overwrite_existing);
    fs::path hot = file;
    hot += "-journal";
    fs::copy_file(journal, hot);
    sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    fs::remove(scratch);
}

}  // namespace

TEST_F(UpdaterFixture, ANewDatabaseIsCheckedAndNeverMeetsTheOldOnesJournal) {
    test::sqliteExec(env.path("Db/varnel.db"), "insert into tbl_Groups (colName) values ('Mine');");
    leaveHotJournal(env.path("Db/varnel.db"));
    waitingDatabase("New");
    test::sqliteExec(env.path("Temp/Varnel.db"), "insert into tbl_Update values ('Db\\Varnel.db','2');");
    EXPECT_EQ(moveFiles(), updater::MoveStep::Moved);
    EXPECT_FALSE(env.exists("Db/varnel.db-journal"));
    EXPECT_EQ(test::sqliteRows(env.path("Db/varnel.db"), "PRAGMA integrity_check"),
              std::vector<std::vector<std::string>>{{"ok"}});
    EXPECT_EQ(groupsIn("Db/varnel.db"), std::vector<std::vector<std::string>>{{"New"}});
    EXPECT_FALSE(env.exists("Error.log"));

    // A download cut short is no sound database: the installed one stays,
    // and the next check offers the database again.
    waitingDatabase("Cut");
    test::sqliteExec(env.path("Temp/Varnel.db"),
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
                     " INSERT INTO tbl_Groups (colName, colPlace0) SELECT 'Cut' || i, hex(randomblob(1500)) FROM n;");
    fs::resize_file(env.path("Temp/Varnel.db"), fs::file_size(env.path("Temp/Varnel.db")) / 2);
    EXPECT_EQ(moveFiles(), updater::MoveStep::Moved);
    EXPECT_FALSE(env.exists("Temp/Varnel.db"));
    EXPECT_EQ(groupsIn("Db/varnel.db"), std::vector<std::vector<std::string>>{{"New"}});
    EXPECT_EQ(versionRows(env), (std::vector<std::vector<std::string>>{{"Db\\Varnel.db", "1"}}));
    EXPECT_EQ(env.readFile("Error.log").rfind("Varnel_Zize_Update.exe - moveFiles\t0\t\tTemp\\Varnel.db: ", 0), 0u);
}
