#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "support/test_env.h"

using namespace varnel;

TEST(Logs, ErrorLinesAreAppendedWithCrLfAndNothingElse) {
    test::TestEnvironment env;
    logError("first\t0\t");
    logError("second\t5\tInvalid procedure call or argument");
    EXPECT_EQ(env.readFile("Error.log"), "first\t0\t\r\nsecond\t5\tInvalid procedure call or argument\r\n");

    // Deleting the log while running: the next line creates it again.
    std::filesystem::remove(env.path("Error.log"));
    logError("third");
    EXPECT_EQ(env.readFile("Error.log"), "third\r\n");
}

TEST(Logs, TraceIsWrittenOnlyWhileTraceOnIsSet) {
    test::TestEnvironment env;
    logTrace("not written");
    EXPECT_FALSE(env.exists("loggaren.log"));
    TraceOn = true;
    logTrace("\r\nStartar");
    logTrace("Kör");
    TraceOn = false;
    logTrace("not written either");
    EXPECT_EQ(env.readFile("loggaren.log"), "\r\nStartar\r\nKör\r\n");
}

TEST(Logs, AnUnwritableLogNeverStopsTheCaller) {
    test::TestEnvironment env;
    // A folder where the log file should be: every write fails.
    std::filesystem::create_directory(env.path("Error.log"));
    EXPECT_NO_THROW(logError("lost"));
    TraceOn = true;
    std::filesystem::create_directory(env.path("loggaren.log"));
    EXPECT_NO_THROW(logTrace("lost"));
}

TEST(Logs, GuardedStepWritesLabelNumberAndDescription) {
    test::TestEnvironment env;
    bool afterwards = false;
    EXPECT_FALSE(guarded("RegKeyQuery", [] { raiseError(err::Overflow); }));
    EXPECT_TRUE(guarded("RegKeyQuery", [&] { afterwards = true; }));
    EXPECT_TRUE(afterwards);
    EXPECT_EQ(env.readFile("Error.log"), "RegKeyQuery\t6\tOverflow\r\n");
}

TEST(Logs, AProgramFolderOutsideAsciiIsTheFolderWritten) {
    // A user named Åsa unpacks the program below her own folder; the case
    // lookup of the system's relative paths works inside it, too.
    test::TestEnvironment env;
    const std::filesystem::path folder = env.folder() / pathFromText("\u00C5sa \u00D6berg") / "Varnel";
    std::filesystem::create_directories(folder / "Language");
    std::ofstream(folder / "Language" / "X.lang") << "Exit|Quit";
    setProgramFolder(folder);
    logError("line");
    EXPECT_TRUE(std::filesystem::equivalent(programPath("language\\X.lang"), folder / "Language" / "X.lang"));
    setProgramFolder(env.folder());
    EXPECT_TRUE(std::filesystem::exists(programPath("\u00C5sa \u00D6berg\\Varnel\\Error.log")));

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(env.folder()))
        names.push_back(pathText(entry.path().filename()));
    EXPECT_NE(std::find(names.begin(), names.end(), "\u00C5sa \u00D6berg"), names.end());
    EXPECT_TRUE(std::filesystem::exists(folder / "Error.log"));
}
