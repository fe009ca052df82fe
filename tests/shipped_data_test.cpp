// What the build puts into the program folder beside the programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "lang/language_file.h"
#include "lang/text_table.h"
#include "support/db_files.h"
#include "support/test_env.h"

using namespace varnel;
using Rows = std::vector<std::vector<std::string>>;

namespace {

TEST(ShippedDatabase, HoldsExactlyTheTwoTablesWithTextColumnsInOrder) {
    for (const std::filesystem::path db : {VARNEL_PROGRAM_DATABASE, VARNEL_EMPTY_DATABASE}) {
        SCOPED_TRACE(db.string());
        EXPECT_EQ(test::sqliteRows(db, "select type, name from sqlite_master order by name"),
                  (Rows{{"table", "tbl_Groups"}, {"table", "tbl_Update"}}));
        EXPECT_EQ(test::sqliteRows(db, "select name, type from pragma_table_info('tbl_Groups') order by cid"),
                  (Rows{{"colName", "TEXT"},
                        {"colPlace0", "TEXT"},
                        {"colPlace1", "TEXT"},
                        {"colPlace2", "TEXT"},
                        {"colPlace3", "TEXT"},
                        {"colPlace4", "TEXT"}}));
        EXPECT_EQ(test::sqliteRows(db, "select name, type from pragma_table_info('tbl_Update') order by cid"),
                  (Rows{{"colFile", "TEXT"}, {"colVersion", "TEXT"}}));
    }
    EXPECT_TRUE(test::sqliteRows(VARNEL_EMPTY_DATABASE, "select * from tbl_Groups").empty());
}

class ShippedLanguage : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedLanguage, IsCompleteAndWrittenKeyTabBarText) {
    const std::filesystem::path source = std::filesystem::path(VARNEL_SHIPPED_LANGUAGES) / (GetParam() + ".lang");
    std::ifstream in(source, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");

    std::set<std::string> keys;
    for (const auto& line : test::crlfLines(text)) {
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        const size_t tab = line.find("\t|");
        ASSERT_NE(tab, std::string::npos) << line;
        EXPECT_EQ(line.find('\t', tab + 1), std::string::npos) << line;
        EXPECT_EQ(line.find('|', tab + 2), std::string::npos) << line;
        EXPECT_TRUE(keys.insert(line.substr(0, tab)).second) << "twice: " << line;
    }
    EXPECT_EQ(keys.size(), 56u);

    test::TestEnvironment env;
    std::filesystem::create_directories(env.path("Language"));
    std::filesystem::copy_file(source, env.path("Language") / source.filename());
    Texts = {};
    parseLanguageFile(GetParam());
    const TextTable t = Texts;
    Texts = {};
    for (const std::string* s :
         {&t.AddNew, &t.Change, &t.Save, &t.Delete, &t.NewGroupName, &t.SaveTheChanges, &t.DeleteCurrentGroup,
          &t.Cancel, &t.Ok, &t.SetPaths, &t.Show, &t.Hide, &t.About, &t.Exit, &t.Update, &t.BrowseTitle,
          &t.SelectShortcutGroup, &t.language, &t.FillAllFields, &t.FillName, &t.EmptyDb, &t.NewUpdatesAvalible,
          &t.NoNewUpdatesAvalible, &t.DownloadCancelled, &t.Check, &t.Finished, &t.UpToDate, &t.Restart,
          &t.CantConnect, &t.Downloading, &t.CurrentGroup, &t.ChangesRestart, &t.UpdateExe, &t.NewNameExists,
          &t.Help, &t.Folders, &t.StartAtLogin, &t.NoTray, &t.UpdateByPackage, &t.UpdateNotVerified,
          &t.GroupList, &t.PlaceName, &t.BrowsePlace, &t.DeleteGroup, &t.Minimize, &t.Close, &t.DownloadProgress, &t.TargetFailed}) {
        EXPECT_FALSE(s->empty());
        EXPECT_NE(s->front(), ' ');
    }
    EXPECT_FALSE(env.exists("Error.log"));
}

INSTANTIATE_TEST_SUITE_P(All, ShippedLanguage, ::testing::Values("English", "Svenska", "Deutsch"));

}  // namespace
