#include <gtest/gtest.h>

#include <filesystem>

#include "core/db.h"
#include "core/runtime_error.h"
#include "core/sql_statements.h"
#include "support/db_files.h"
#include "support/test_env.h"

using namespace varnel;
using Rows = std::vector<std::vector<std::string>>;

namespace {

class GroupDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        test::installShippedDatabase(env.folder());
    }

    Rows groups() const { return test::sqliteRows(env.path("Db/varnel.db"), "select * from tbl_Groups"); }
    std::vector<std::string> errorLog() const { return test::crlfLines(env.readFile("Error.log")); }

    test::TestEnvironment env;
};

const std::array<std::string, 5> kWorkPlaces = {"/home/anna/Work", "/srv/share", "", "/tmp", "2008"};

TEST_F(GroupDatabase, StatementTextsKeepTheirExactForm) {
    const std::array<std::string, 5> p = {"a", "b", "c", "d", "e"};
    EXPECT_EQ(sqlListGroups(), "Select * from tbl_Groups;");
    EXPECT_EQ(sqlLoadGroup("Work"), "Select * from tbl_Groups where colName ='Work';");
    EXPECT_EQ(sqlNameTaken("Work"), "Select colName from tbl_Groups where colName = 'Work'");
    EXPECT_EQ(sqlAddGroup("Work", p),
              "insert into tbl_Groups (colName, colPlace0, colPlace1, colPlace2, colPlace3, colPlace4)"
              "values('Work','a','b', 'c', 'd', 'e');");
    EXPECT_EQ(sqlChangeGroup("New", p, "Old"),
              "update tbl_Groups set colName ='New', colPlace0 ='a', colPlace1 ='b', colPlace2 ='c', "
              "colPlace3 ='d', colPlace4 ='e' where colName ='Old';");
    EXPECT_EQ(sqlDeleteGroup("Work"), "Delete from tbl_groups where colName='Work';");
    EXPECT_EQ(sqlReadFileVersion("Db\\Varnel.db"), "select * from tbl_Update where colFile = 'Db\\Varnel.db';");
    EXPECT_EQ(sqlRecordFileVersion("Db\\Varnel.db", "3"),
              "update tbl_Update set colVersion ='3' where colFile ='Db\\Varnel.db';");
    EXPECT_EQ(sqlDeleteGroup("O'Brien"), "Delete from tbl_groups where colName='O''Brien';");
}

TEST_F(GroupDatabase, AddChangeAndDeleteReachTheFile) {
    EXPECT_TRUE(dbExec(sqlAddGroup("Work", kWorkPlaces)).ok());
    dbExec(sqlAddGroup("Home", {"/home/anna", "", "", "", ""}));
    EXPECT_EQ(groups(), (Rows{{"Work", "/home/anna/Work", "/srv/share", "", "/tmp", "2008"},
                              {"Home", "/home/anna", "", "", "", ""}}));
    EXPECT_EQ(queryFirstValue(sqlNameTaken("Work")), "Work");
    EXPECT_EQ(queryFirstValue(sqlNameTaken("work")), "");

    dbExec(sqlChangeGroup("Work", {"/w0", "/w1", "/w2", "/w3", "/w4"}, "Work"));
    EXPECT_EQ(groups(), (Rows{{"Work", "/w0", "/w1", "/w2", "/w3", "/w4"}, {"Home", "/home/anna", "", "", "", ""}}));

    dbExec(sqlDeleteGroup("Work"));
    EXPECT_EQ(groups(), (Rows{{"Home", "/home/anna", "", "", "", ""}}));
    EXPECT_EQ(queryFirstValue(sqlNameTaken("Work")), "");

    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(GroupDatabase, QuotesInNamesAndPlacesAreStoredAsTyped) {
    const std::array<std::string, 5> places = {"/home/o'brien", "/srv/it's", "''", "'", "/a'b'c"};
    dbExec(sqlAddGroup("Home", {"/h", "", "", "", ""}));
    dbExec(sqlAddGroup("O'Brien", places));
    ASSERT_EQ(groups().size(), 2u);
    EXPECT_EQ(groups()[1], (std::vector<std::string>{"O'Brien", "/home/o'brien", "/srv/it's", "''", "'", "/a'b'c"}));
    EXPECT_EQ(queryFirstValue(sqlNameTaken("O'Brien")), "O'Brien");

    const DbRows loaded = queryDb(sqlLoadGroup("O'Brien"));
    ASSERT_EQ(loaded.status, "");
    EXPECT_EQ(loaded.table(1, 0), "O'Brien");
    EXPECT_EQ(loaded.table(1, 2), "/srv/it's");

    dbExec(sqlChangeGroup("O'Brien", {"/x'", "", "", "", ""}, "O'Brien"));
    ASSERT_EQ(groups().size(), 2u);
    EXPECT_EQ(groups()[1][1], "/x'");

    // A name written to end the statement early is just a name.
    const std::string sly = "x'; Delete from tbl_Groups; --";
    dbExec(sqlAddGroup(sly, places));
    dbExec(sqlDeleteGroup(sly));
    EXPECT_EQ(groups().size(), 2u);
    dbExec(sqlDeleteGroup("O'Brien"));
    EXPECT_EQ(groups().size(), 1u);
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(GroupDatabase, QueryResultHasColumnNamesFirstAndRowsInTableOrder) {
    dbExec(sqlAddGroup("B", {"1", "2", "3", "4", "5"}));
    dbExec(sqlAddGroup("A", {"", "", "", "", ""}));
    const DbRows list = queryDb(sqlListGroups());
    EXPECT_EQ(list.status, "");
    ASSERT_EQ(list.table.rows(), 3u);
    ASSERT_EQ(list.table.columns(), 6u);
    EXPECT_EQ(list.table(0, 0), "colName");
    EXPECT_EQ(list.table(0, 5), "colPlace4");
    EXPECT_EQ(list.table(1, 0), "B");
    EXPECT_EQ(list.table(1, 5), "5");
    EXPECT_EQ(list.table(2, 0), "A");
    EXPECT_THROW(list.table(3, 0), RuntimeError);
}

TEST_F(GroupDatabase, QueryWithoutRowsReportsEmpty) {
    const DbRows none = queryDb(sqlListGroups());
    EXPECT_EQ(none.status, "empty");
    EXPECT_EQ(none.table.rows(), 1u);
    EXPECT_EQ(none.table(0, 0), "colName");
    EXPECT_EQ(queryFirstValue(sqlNameTaken("Nobody")), "");
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(GroupDatabase, MissingFileFailsWithoutLogLine) {
    dbExec(sqlAddGroup("Work", kWorkPlaces));
    std::filesystem::remove(env.path("Db/varnel.db"));

    EXPECT_EQ(queryDb(sqlListGroups()).status, missingDatabaseText());
    EXPECT_EQ(queryFirstValue(sqlNameTaken("Work")), "");
    EXPECT_EQ(dbExec(sqlDeleteGroup("Work")).error, missingDatabaseText());

    EXPECT_FALSE(env.exists("Error.log"));
    EXPECT_FALSE(env.exists("Db/varnel.db"));  // never created by the program
}

TEST_F(GroupDatabase, FileIsFoundWhateverTheLetterCase) {
    std::filesystem::rename(env.path("Db"), env.path("db"));
    std::filesystem::rename(env.path("db/varnel.db"), env.path("db/Varnel.db"));
    dbExec(sqlAddGroup("Work", kWorkPlaces));
    EXPECT_EQ(queryFirstValue(sqlNameTaken("Work")), "Work");
}

TEST_F(GroupDatabase, SqlErrorWritesFourFieldLogLine) {
    const DbChange refused = dbExec("insert into tbl_Nothing values('x');");
    ASSERT_EQ(errorLog().size(), 1u);
    EXPECT_EQ(errorLog()[0], "dbExec\t0\t\t" + refused.error);
    EXPECT_NE(refused.error.find("tbl_Nothing"), std::string::npos);

    EXPECT_FALSE(dbExec("delete from tbl_Nothing"));

    const std::string message = queryDb("Select * from tbl_Groups where;").status;
    EXPECT_NE(message.find("syntax error"), std::string::npos);

    EXPECT_EQ(queryFirstValue("Select nothing from tbl_Groups"), "");

    const auto lines = errorLog();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].rfind("dbExec\t0\t\t", 0), 0u);
    EXPECT_EQ(lines[2], "getDbData\t0\t\t" + message);
    EXPECT_EQ(lines[3].rfind("getOneColBack\t0\t\t", 0), 0u);
    EXPECT_NE(lines[3].find("nothing"), std::string::npos);
}

}  // namespace
