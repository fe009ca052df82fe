#include <gtest/gtest.h>

#include "support/test_env.h"
#include "update/manifest.h"
#include "update/update_paths.h"
#include "update/version_order.h"
#include "updater/release_walk.h"

using namespace varnel;

TEST(VersionOrder, ComparesTextsCharacterByCharacter) {
    EXPECT_TRUE(versionComesBefore("1", "2"));
    EXPECT_FALSE(versionComesBefore("2", "2"));
    EXPECT_FALSE(versionComesBefore("3", "2"));
    EXPECT_FALSE(versionComesBefore("9", "10"));  // "10" comes before "9"
    EXPECT_TRUE(versionComesBefore("10", "9"));
    EXPECT_FALSE(versionComesBefore("2", "10"));
    EXPECT_TRUE(versionComesBefore("1", "1.1"));  // a prefix comes first
    EXPECT_FALSE(versionComesBefore("1", ""));    // nothing behind the "|" is never newer
    EXPECT_TRUE(versionComesBefore("Z", "a"));
    EXPECT_TRUE(versionComesBefore("a", "\xC3\xA4"));  // bytes above 127 come last
}

TEST(ManifestReading, EntriesMessagesAndBlankLines) {
    const std::string text =
        "Db\\Varnel.db\t|\t2\r\n"
        "\r\n"
        "Message | Version 2 is here\r\n"
        "Build\\UpdateWindow.gif\t|\t10\r\n"
        "  Message\t|\t  \r\n"
        "Varnel_Zize.exe\t|\t\r\n"
        "no separator here\r\n"
        "Build\\UpdateWindow.gif\t|\t10\r\n"
        "\r\n";
    Manifest m = parseManifest(text);
    ASSERT_EQ(m.entries.size(), 4u);
    EXPECT_EQ(m.entries[0].file, "Db\\Varnel.db");
    EXPECT_EQ(m.entries[0].version, "2");
    EXPECT_EQ(m.entries[1].file, "Build\\UpdateWindow.gif");
    EXPECT_EQ(m.entries[1].version, "10");
    EXPECT_EQ(m.entries[2].version, "");  // listed twice: selected twice
    EXPECT_EQ(m.entries[3].file, "Build\\UpdateWindow.gif");
    // An empty Message keeps the earlier text.
    ASSERT_TRUE(m.message);
    EXPECT_EQ(*m.message, "Version 2 is here");
}

TEST(ManifestReading, MessageTextsLoseTheWordMessageAndSeparators) {
    Manifest m = parseManifest("Message|New: Message board|tabs\there\r\n");
    ASSERT_TRUE(m.message);
    EXPECT_EQ(*m.message, "New:  boardtabshere");
    EXPECT_TRUE(m.entries.empty());
    // The builder's lines read back as path and "1".
    Manifest built = parseManifest(manifestLine("Build\\Buttons\\Exit.gif", "1") + "\r\n");
    ASSERT_EQ(built.entries.size(), 1u);
    EXPECT_EQ(built.entries[0].file, "Build\\Buttons\\Exit.gif");
    EXPECT_EQ(built.entries[0].version, "1");
}

TEST(UpdatePaths, BackupNamesAndUnsafePaths) {
    EXPECT_EQ(backupName("Build\\UpdateWindow.gif"), "Build&UpdateWindow.gif");
    EXPECT_EQ(backupName("Varnel_Zize_Update.exe"), "Varnel_Zize_Update.exe");
    EXPECT_EQ(restoredPath("Language&English.lang"), "Language\\English.lang");
    for (const char* ok : {"Varnel_Zize.exe", "Db\\Varnel.db", "Build/Buttons/Exit.gif", "a..b"})
        EXPECT_TRUE(isSafeRelativePath(ok)) << ok;
    for (const char* bad : {"", "..\\outside.txt", "Build\\..\\..\\x", "\\etc\\passwd", "/etc/passwd", "C:\\x",
                            "Build\\\\x", ".\\x", "Build\\.."})
        EXPECT_FALSE(isSafeRelativePath(bad)) << bad;
}

TEST(ReleaseWalk, ThreeLevelsInNameOrderThenTheFolderItself) {
    test::TestEnvironment env;
    for (const char* f : {"Varnel_Zize", "Varnel_Zize_Update", "Db/varnel.db", "Build/UpdateWindow.gif",
                          "Build/Buttons/Exit.gif", "Build/Buttons/a/three.txt", "Build/Buttons/a/b/four.txt",
                          "build2/x.txt", ".hidden/secret", "Build/.dotfile", "alpha.txt"})
        env.writeFile(f, "x");
    std::filesystem::create_symlink(env.path("Db"), env.path("Link"));
    const auto files = releaseFiles(env.folder());
    EXPECT_EQ(files, (std::vector<std::string>{
                         "Build\\UpdateWindow.gif", "Build\\Buttons\\Exit.gif", "Build\\Buttons\\a\\three.txt",
                         "build2\\x.txt", "Db\\varnel.db", "alpha.txt", "Varnel_Zize", "Varnel_Zize_Update"}));
}
