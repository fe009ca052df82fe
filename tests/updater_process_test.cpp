#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "support/db_files.h"
#include "support/program_folder_run.h"
#include "support/test_env.h"
#include "update/manifest.h"
#include "update/update_paths.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& file) {
    QFile f(QString::fromStdString(file.string()));
    f.open(QIODevice::ReadOnly);
    return f.readAll().toStdString();
}

void writeAll(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    QFile f(QString::fromStdString(file.string()));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.data(), static_cast<qint64>(text.size()));
}

}  // namespace

TEST(UpdaterProgram, WithoutACommandItShowsTheUsageOnly) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    EXPECT_EQ(run.runUpdater({}), 0);
    EXPECT_EQ(run.boxes(), std::vector<std::string>{"Varnel_Zize_Update|Avalible commands are:\\n\\nendmainapp\\n"
                                                    "makeversion1\\nmoveexedb\\n\\nVersion: 1.0.3\\n\\n"
                                                    "genkey <folder>\\nmakeversion1 <secret key file>\\n"
                                                    "signrelease <secret key file>\\n\\n"
                                                    "Built without a release key: updates are installed unverified."});
    EXPECT_TRUE(run.standinLog().empty());
    EXPECT_FALSE(fs::exists(run.path("Error.log")));
}

TEST(UpdaterProgram, CommandsAreExactAndCaseSensitive) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    writeAll(run.path("Temp/Varnel.db"), "new database");
    EXPECT_EQ(run.runUpdater({"MOVEEXEDB"}), 0);
    EXPECT_EQ(readAll(run.path("Temp/Varnel.db")), "new database");
    EXPECT_TRUE(run.boxes().empty());
    EXPECT_TRUE(run.standinLog().empty());
    EXPECT_FALSE(fs::exists(run.path("Error.log")));
}

TEST(UpdaterProgram, MoveExeDbWithOnlyTheDatabaseWaiting) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    const std::string program = readAll(run.path(mainProgramEntry()));
    fs::create_directories(run.path("Temp"));
    fs::copy_file(run.path("Db/varnel.db"), run.path("Temp/Varnel.db.src"));
    test::sqliteExec(run.path("Temp/Varnel.db.src"), "insert into tbl_Groups (colName) values ('Shipped');");
    fs::rename(run.path("Temp/Varnel.db.src"), run.path("Temp/Varnel.db"));

    EXPECT_EQ(run.runUpdater({"moveexedb"}), 0);
    EXPECT_EQ(test::sqliteRows(run.path("Db/varnel.db"), "select colName from tbl_Groups"),
              (std::vector<std::vector<std::string>>{{"Shipped"}}));
    EXPECT_FALSE(fs::exists(run.path("Temp/Varnel.db")));
    EXPECT_EQ(readAll(run.path(mainProgramEntry())), program);
    ASSERT_TRUE(run.waitForStandinLog(1));
    EXPECT_EQ(run.standinLog(), std::vector<std::string>{"started"});
    run.closeStandin();
    EXPECT_TRUE(run.boxes().empty());
    EXPECT_FALSE(fs::exists(run.path("Error.log")));
}

TEST(UpdaterProgram, MoveExeDbWithNothingWaitingStartsTheMainProgramAgain) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    EXPECT_EQ(run.runUpdater({"moveexedb"}), 0);
    ASSERT_TRUE(run.waitForStandinLog(1));
    EXPECT_EQ(run.standinLog(), std::vector<std::string>{"started"});
    run.closeStandin();
    EXPECT_EQ(run.standinLog(), (std::vector<std::string>{"started", "closed"}));
    EXPECT_FALSE(fs::exists(run.path("Error.log")));
}

TEST(UpdaterProgram, MoveExeDbClosesTheRunningMainProgramAndStartsTheNewOne) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    QProcess old;
    old.setProcessEnvironment(run.environment());
    old.start(QString::fromStdString(run.path(mainProgramEntry()).string()));
    ASSERT_TRUE(run.waitForStandinLog(1));
    // The new program: the same file with a mark behind it, which still runs.
    const std::string newProgram = readAll(run.path(mainProgramEntry())) + "\nversion 2\n";
    writeAll(run.path("Temp/" + mainProgramEntry()), newProgram);

    EXPECT_EQ(run.runUpdater({"moveexedb"}), 0);
    EXPECT_TRUE(old.waitForFinished(10000));
    EXPECT_EQ(readAll(run.path(mainProgramEntry())), newProgram);
    EXPECT_FALSE(fs::exists(run.path("Temp/" + mainProgramEntry())));
    ASSERT_TRUE(run.waitForStandinLog(3));
    EXPECT_EQ(run.standinLog(), (std::vector<std::string>{"started", "closed", "started"}));
    run.closeStandin();
    EXPECT_TRUE(run.boxes().empty());
}

TEST(UpdaterProgram, EndMainAppAsksTheMainProgramToClose) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    QProcess mainProgram;
    mainProgram.setProcessEnvironment(run.environment());
    mainProgram.start(QString::fromStdString(run.path(mainProgramEntry()).string()));
    ASSERT_TRUE(run.waitForStandinLog(1));
    EXPECT_EQ(run.runUpdater({"endmainapp"}), 0);
    EXPECT_TRUE(mainProgram.waitForFinished(10000));
    EXPECT_EQ(run.standinLog(), (std::vector<std::string>{"started", "closed"}));
    EXPECT_TRUE(run.boxes().empty());
}

TEST(UpdaterProgram, MakeVersionBuildsTheReleaseTableAndManifest) {
    test::TestEnvironment env;
    test::ProgramFolderRun run(env);
    test::sqliteExec(run.path("Db/varnel.db"),
                     "insert into tbl_Groups (colName) values ('Mine'); insert into tbl_Update values ('gone','3');");
    writeAll(run.path("Update.upd"), "old manifest");
    writeAll(run.path("Build/UpdateWindow.gif"), "gif");
    writeAll(run.path("Build/a/b/c/deep.txt"), "too deep");

    std::string firstManifest;
    std::vector<std::vector<std::string>> firstRows;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(run.runUpdater({"makeversion1"}), 0);
        const std::string manifest = readAll(run.path("Update.upd"));
        // The skin's folders first, then Db and Language, then the folder's own files.
        EXPECT_EQ(manifest.rfind("Build\\msgBox.gif\t|\t1\r\n", 0), 0u);
        EXPECT_NE(manifest.find("Build\\UpdateWindow.gif\t|\t1\r\n"), std::string::npos);
        EXPECT_EQ(manifest.find("deep.txt"), std::string::npos);  // four levels down
        EXPECT_EQ(manifest.find("old manifest"), std::string::npos);
        const std::string tail = "Db\\varnel.db\t|\t1\r\nLanguage\\English.lang\t|\t1\r\n" + mainProgramEntry() +
                                 "\t|\t1\r\n" + updaterFileName() + "\t|\t1\r\n\r\n";
        EXPECT_EQ(manifest.substr(manifest.size() - std::min(manifest.size(), tail.size())), tail);

        const auto rows = test::sqliteRows(run.path("Db/varnel.db"), "select * from tbl_Update order by rowid");
        const auto entries = parseManifest(manifest).entries;
        ASSERT_EQ(rows.size(), entries.size());
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i], (std::vector<std::string>{entries[i].file, "1"}));
        EXPECT_TRUE(test::sqliteRows(run.path("Db/varnel.db"), "select * from tbl_Groups").empty());
        if (round == 0) {
            firstManifest = manifest;
            firstRows = rows;
        } else {
            EXPECT_EQ(manifest, firstManifest);
            EXPECT_EQ(rows, firstRows);
        }
    }
    const std::string unsigned_ =
        "Varnel_Zize_Update|Upd file created\\n\\nThe release is unsigned: no Update.sums or Update.sig was written. "
        "Programs built with a release key offer nothing from it; give the secret key file after makeversion1 to sign it.";
    EXPECT_EQ(run.boxes(), (std::vector<std::string>{unsigned_, unsigned_}));
    EXPECT_FALSE(fs::exists(run.path("Update.sums")));
    EXPECT_FALSE(fs::exists(run.path("Error.log")));
}
