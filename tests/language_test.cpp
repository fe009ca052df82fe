#include <gtest/gtest.h>

#include <filesystem>

#include "lang/language_file.h"
#include "lang/language_list.h"
#include "lang/text_table.h"
#include "support/test_env.h"

using namespace varnel;
using Strings = std::vector<std::string>;

namespace {

const char* const kInvalidCall = "parseLanguageFile\t5\tInvalid procedure call or argument";

class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Texts = {};
        CurrentLanguage.clear();
    }
    void TearDown() override { Texts = {}; }

    void writeLanguage(const std::string& name, const Strings& lines) {
        std::string text;
        for (const auto& line : lines) text += line + "\r\n";
        env.writeFile("Language/" + name + ".lang", text);
    }
    Strings errorLog() const { return test::crlfLines(env.readFile("Error.log")); }

    test::TestEnvironment env;
};

TEST_F(LanguageFiles, ReaderKeepsTheLineRules) {
    writeLanguage("Test", {
        "AddNew|Add new",             // the character in front of "|" joins the text
        "Save |Spara | nu",           // later bars vanish, the blanks stay
        "Change | Andra",             // a blank after the bar stays
        "  Cancel \t \t|\tAvbryt\t ", // blanks and TABs around the key, TABs in the text
        "addnew\t|lower case key",    // keys compare with case
        "Exit\t|First",
        "Exit\t|Second",              // the later line wins
        "",
        "Hide\t|Göm",
        "Unknown\t|ignored",
    });
    parseLanguageFile("Test");
    EXPECT_EQ(Texts.AddNew, "wAdd new");
    EXPECT_EQ(Texts.Save, "Spara  nu");
    EXPECT_EQ(Texts.Change, " Andra");
    EXPECT_EQ(Texts.Cancel, "Avbryt");
    EXPECT_EQ(Texts.Exit, "Second");
    EXPECT_EQ(Texts.Hide, "Göm");
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST_F(LanguageFiles, FileSavedInTheWindowsCodePageReadsAsThatCodePage) {
    // As Notepad saves "ANSI": ö is one byte, the euro sign 0x80.
    writeLanguage("Svenska", {"Hide\t|G\xF6m", "Exit\t|\x80 och \x9Cuvre", "Save\t|Spara"});
    parseLanguageFile("Svenska");
    EXPECT_EQ(Texts.Hide, "G\u00F6m");
    EXPECT_EQ(Texts.Exit, "\u20AC och \u0153uvre");
    EXPECT_EQ(Texts.Save, "Spara");
    // A file that is UTF-8 throughout stays as it is, even with what could
    // pass for Windows-1252 pairs ("Ã¶").
    writeLanguage("Utf8", {"Hide\t|G\xC3\xB6m"});
    parseLanguageFile("Utf8");
    EXPECT_EQ(Texts.Hide, "G\u00F6m");
}

TEST_F(LanguageFiles, LinesWithoutUsableBarAreLoggedAndChangeNothing) {
    writeLanguage("Test", {
        "Show\t|Visa",
        "Show without bar",    // two failing steps
        "   ",                 // blanks only: not an empty line
        "|Text without key",   // one failing step
        "Hide\t|Göm",
    });
    parseLanguageFile("Test");
    EXPECT_EQ(Texts.Show, "Visa");
    EXPECT_EQ(Texts.Hide, "Göm");
    EXPECT_EQ(errorLog(), (Strings{kInvalidCall, kInvalidCall, kInvalidCall, kInvalidCall, kInvalidCall}));
}

TEST_F(LanguageFiles, MainProgramReadsAllKeysTheUpdaterAllButFolders) {
    writeLanguage("Test", {"UpdateExe\t|Updating", "Folders\t|Mappar", "Help\t|Hjälp"});
    parseLanguageFile("Test", LanguageKeys::Updater);
    EXPECT_EQ(Texts.UpdateExe, "Updating");
    EXPECT_EQ(Texts.Help, "Hjälp");
    EXPECT_EQ(Texts.Folders, "");
    parseLanguageFile("Test");
    EXPECT_EQ(Texts.Folders, "Mappar");
}

TEST_F(LanguageFiles, AFileOlderThanTheVerificationTextReadsWithTheEnglishOne) {
    writeLanguage("Ny", {"UpdateNotVerified\t|Kunde inte verifieras", "PlaceName\t|Plats %1"});
    writeLanguage("Gammal", {"Ok\t|OK"});
    parseLanguageFile("Ny");
    EXPECT_EQ(Texts.UpdateNotVerified, "Kunde inte verifieras");
    EXPECT_EQ(Texts.PlaceName, "Plats %1");
    // The names screen readers hear fall back to English as well.
    parseLanguageFile("Gammal");
    EXPECT_EQ(Texts.PlaceName, "Place %1");
    // The updater shows it too.
    parseLanguageFile("Ny", LanguageKeys::Updater);
    EXPECT_EQ(Texts.UpdateNotVerified, "Kunde inte verifieras");
    parseLanguageFile("Gammal", LanguageKeys::Updater);
    EXPECT_EQ(Texts.UpdateNotVerified, "The update could not be verified.");
    EXPECT_EQ(Texts.Ok, "OK");
    EXPECT_TRUE(errorLog().empty());
}

TEST_F(LanguageFiles, AnOlderFileWithoutTheNewerKeysLeavesTheirEnglishText) {
    Texts = {};
    writeLanguage("Old", {"Exit\t|Avsluta"});
    parseLanguageFile("Old");
    EXPECT_EQ(Texts.StartAtLogin, "Start at login");
    writeLanguage("New", {"StartAtLogin\t|Starta vid inloggning"});
    parseLanguageFile("New");
    EXPECT_EQ(Texts.StartAtLogin, "Starta vid inloggning");
    parseLanguageFile("New", LanguageKeys::Updater);
    EXPECT_TRUE(errorLog().empty());
}

TEST_F(LanguageFiles, MissingFileIsLoggedAndLeavesTheTable) {
    Texts.Ok = "OK";
    parseLanguageFile("Klingon");
    parseLanguageFile("");
    EXPECT_EQ(Texts.Ok, "OK");
    EXPECT_EQ(errorLog(), (Strings{"parseLanguageFile\t53\tFile not found", "parseLanguageFile\t53\tFile not found"}));
}

TEST_F(LanguageFiles, EveryPlainFileIsOfferedAndAMissingFolderOffersNone) {
    EXPECT_TRUE(checkForLanguageFiles().empty());
    writeLanguage("English", {"Ok\t|OK"});
    writeLanguage("Deutsch", {"Ok\t|OK"});
    env.writeFile("Language/Readme.txt", "read me");
    env.writeFile("Language/.hidden.lang", "");
    std::filesystem::create_directories(env.path("Language/Old.lang"));

    EXPECT_EQ(checkForLanguageFiles(), (Strings{"Deutsch", "English", "Readme.txt"}));
    std::filesystem::remove(env.path("Language/Readme.txt"));
    std::filesystem::remove(env.path("Language/Deutsch.lang"));
    EXPECT_EQ(checkForLanguageFiles(), (Strings{"English"}));
    EXPECT_FALSE(env.exists("Error.log"));
}

}  // namespace
