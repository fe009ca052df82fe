// The Linux registry store: a REGEDIT4 file shared by every process of the user.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/registry.h"
#include "platform/linux/file_registry.h"
#include "support/test_env.h"

using namespace varnel;
using platform::FileRegistry;

namespace {

std::filesystem::path storeFile(const test::TestEnvironment& env) {
    return env.path("registry/HKEY_CURRENT_USER.reg");
}

// Writes a store file the way a person or another program would: a new file
// renamed into place.
void replaceStore(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    auto temp = file;
    temp += ".edit";
    std::ofstream(temp, std::ios::binary) << text;
    std::filesystem::rename(temp, file);
}

bool parses(const std::string& text) {
    platform::RegKeyNode root;
    return platform::parseRegFile(text, root);
}

// Runs `body` in a child process with a store of its own on the same file.
pid_t inChild(const std::filesystem::path& file, const std::function<void()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        setRegistryBackend(std::make_unique<FileRegistry>(file));
        body();
        ::_exit(0);
    }
    return pid;
}

}  // namespace

TEST(RegistryStoreFile, IsWrittenInRegeditFormat) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "CurrentGroup", std::string("Q\"uote\\d"));
    setValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Count", std::string("12"));
    createKey(HKEY_CURRENT_USER, "Software\\Empty");
    EXPECT_EQ(env.readFile("registry/HKEY_CURRENT_USER.reg"),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Empty]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Varnel]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n"
              "\"CurrentGroup\"=\"Q\\\"uote\\\\d\"\r\n"
              "\"Count\"=dword:0000000c\r\n\r\n");
}

TEST(RegistryStoreFile, KeepsValuesOfOtherTypesAndMakesParentKeys) {
    test::TestEnvironment env;
    const std::string text =
        "REGEDIT4\n\n"
        "; written by hand\n"
        "[HKEY_CURRENT_USER\\Software\\Deep\\Down\\Here]\n"
        "@=\"default\"\n"
        "\"Path\"=hex(2):25,00,48,00,\\\n"
        "  4f,00\n"
        "\"Blob\"=hex:01,02,ff\n"
        "\"Multi\"=hex(7):61,00,00,00\n";
    replaceStore(storeFile(env), text);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Deep"));
    EXPECT_EQ(subKeyName(HKEY_CURRENT_USER, "Software\\Deep", 0), "Down");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Deep\\Down\\Here", "")), "default");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Deep\\Down\\Here", "Path")), "");

    setValue(HKEY_CURRENT_USER, "Software\\Deep\\Down\\Here", "New", std::string("x"));
    std::string written = env.readFile("registry/HKEY_CURRENT_USER.reg");
    EXPECT_NE(written.find("\"Path\"=hex(2):25,00,48,00,4f,00\r\n"), std::string::npos);
    EXPECT_NE(written.find("\"Blob\"=hex:01,02,ff\r\n"), std::string::npos);
    EXPECT_NE(written.find("\"Multi\"=hex(7):61,00,00,00\r\n"), std::string::npos);
    EXPECT_NE(written.find("[HKEY_CURRENT_USER\\Software\\Deep\\Down]\r\n"), std::string::npos);
    EXPECT_NE(written.find("@=\"default\"\r\n"), std::string::npos);

    // Exact writes keep their type; the machine's hive is not in the file.
    EXPECT_TRUE(writeRegistryText(HKEY_CURRENT_USER, "Software\\Deep", "Expand", "%a%", platform::regtype::ExpandSz));
    EXPECT_FALSE(writeRegistryText(HKEY_LOCAL_MACHINE, "Software\\Deep", "Machine", "x"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Software\\Deep"));
    written = env.readFile("registry/HKEY_CURRENT_USER.reg");
    EXPECT_NE(written.find("\"Expand\"=hex(2):25,61,25,00\r\n"), std::string::npos);
    EXPECT_EQ(written.find("Machine"), std::string::npos);
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(RegistryStoreFile, TextsThatAStringCannotHoldAreKeptAsBytes) {
    test::TestEnvironment env;
    createKey(HKEY_CURRENT_USER, "Software\\T");
    platform::HKey h = 0;
    ASSERT_EQ(registryBackend().openKey(HKEY_CURRENT_USER, "Software\\T", &h), 0);
    const std::string bytes("abc\0def\0", 8);
    registryBackend().setValue(h, "v", platform::regtype::Sz, reinterpret_cast<const std::uint8_t*>(bytes.data()), 8);
    registryBackend().closeKey(h);
    // A fresh store reading the same file sees the same bytes.
    setRegistryBackend(std::make_unique<FileRegistry>(storeFile(env)));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\T", "v")), "abc");
    EXPECT_NE(env.readFile("registry/HKEY_CURRENT_USER.reg").find("\"v\"=hex(1):61,62,63,00,64,65,66,00"),
              std::string::npos);
}

TEST(RegistryStoreFile, ChangesOfAnotherProcessAreSeenAtTheNextCall) {
    test::TestEnvironment env;
    setValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language", std::string("English"));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language")), "English");

    // Edited by hand.
    replaceStore(storeFile(env), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n"
                                 "\"Language\"=\"Svenska\"\r\n");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language")), "Svenska");

    // Changed by another running program.
    pid_t child = inChild(storeFile(env), [] {
        setValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language", std::string("Deutsch"));
        createKey(HKEY_CURRENT_USER, "Software\\Varnel\\Other");
    });
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language")), "Deutsch");
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Varnel\\Other"));
}

TEST(RegistryStoreFile, AChangeOfAnotherProcessIsSeenWhenTheFileLooksUnchanged) {
    test::TestEnvironment env;
    const auto file = storeFile(env);
    const std::string key = "Software\\Varnel\\VarnelZize";
    setValue(HKEY_CURRENT_USER, key, "CurrentGroup", std::string("Home"));

    // Two saves of the same size bring the first file back through the swap
    // file; a file system with coarse time stamps gives them the same time.
    auto changedTwiceElsewhere = [&](const std::string& second) {
        struct stat before {};
        ASSERT_EQ(::stat(file.c_str(), &before), 0);
        pid_t child = inChild(file, [&] {
            setValue(HKEY_CURRENT_USER, key, "CurrentGroup", std::string("Work"));
            setValue(HKEY_CURRENT_USER, key, "CurrentGroup", second);
        });
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        struct stat after {};
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        ASSERT_EQ(after.st_ino, before.st_ino);
        ASSERT_EQ(after.st_size, before.st_size);
    };

    // This process's next change must not write its old view back, be it a
    // single value or a batch, such as applying the Places Bar.
    ASSERT_NO_FATAL_FAILURE(changedTwiceElsewhere("Play"));
    setValue(HKEY_CURRENT_USER, key, "Language", std::string("Svenska"));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, key, "CurrentGroup")), "Play");
    ASSERT_NO_FATAL_FAILURE(changedTwiceElsewhere("Rest"));
    {
        RegistryChangeBatch changes;
        setValue(HKEY_CURRENT_USER, key, "Language", std::string("Deutsch"));
    }
    setRegistryBackend(std::make_unique<FileRegistry>(file));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, key, "CurrentGroup")), "Rest");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, key, "Language")), "Deutsch");
}

TEST(RegistryStoreFile, WritersInTwoProcessesLoseNothing) {
    test::TestEnvironment env;
    auto writer = [](const char* prefix) {
        return [prefix] {
            for (int i = 0; i < 100; ++i)
                setValue(HKEY_CURRENT_USER, "Software\\Both", prefix + std::to_string(i), std::string("v"));
        };
    };
    pid_t a = inChild(storeFile(env), writer("a"));
    pid_t b = inChild(storeFile(env), writer("b"));
    int status = 0;
    ::waitpid(a, &status, 0);
    ::waitpid(b, &status, 0);
    auto snapshot = test::registrySnapshot("Software\\Both");
    EXPECT_EQ(snapshot.size(), 201u);
}

TEST(RegistryStoreFile, AWriterKilledMidWayLeavesAFileThatParses) {
    test::TestEnvironment env;
    const auto file = storeFile(env);
    for (int round = 0; round < 5; ++round) {
        pid_t child = inChild(file, [] {
            const std::string big(4000, 'x');
            for (int i = 0;; ++i)
                setValue(HKEY_CURRENT_USER, "Software\\Loop\\K" + std::to_string(i % 50), "v",
                         big + std::to_string(i));
        });
        // The kill lands among the writes: after the first (a busy machine
        // may take long to start the child), then at a varying moment.
        std::error_code error;
        const auto unwritten = [&] { return std::filesystem::file_size(file, error) == 0 || error; };
        for (int waited = 0; waited < 60000 && unwritten(); waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + round * 17));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        ASSERT_FALSE(text.str().empty());
        EXPECT_TRUE(parses(text.str())) << "round " << round;
    }
    EXPECT_FALSE(env.exists("Error.log"));
}

TEST(RegistryStoreFile, AnUnreadableFileIsKeptAsACopyAndWhatCouldBeReadIsUsed) {
    test::TestEnvironment env;
    replaceStore(storeFile(env), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Good]\r\n\"a\"=\"1x\"\r\n"
                                 "this line is garbage\r\n\"b\"=dword:zz\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"c\"=\"d\"\r\n");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Good", "a")), "1x");
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Good", "b")), "");
    // Reading again does not report again.
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Good"));
    auto log = test::crlfLines(env.readFile("Error.log"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("RegistryStore\t0\t\t", 0), 0u);

    std::vector<std::filesystem::path> copies;
    for (const auto& e : std::filesystem::directory_iterator(env.path("registry")))
        if (e.path().filename().string().find(".unreadable-") != std::string::npos) copies.push_back(e.path());
    ASSERT_EQ(copies.size(), 1u);
    std::ifstream copy(copies[0], std::ios::binary);
    std::stringstream copied;
    copied << copy.rdbuf();
    EXPECT_NE(copied.str().find("this line is garbage"), std::string::npos);

    // The next change writes a clean file; the copy stays.
    setValue(HKEY_CURRENT_USER, "Software\\Good", "e", std::string("f"));
    EXPECT_TRUE(parses(env.readFile("registry/HKEY_CURRENT_USER.reg")));
    EXPECT_TRUE(std::filesystem::exists(copies[0]));
}

TEST(RegistryStoreFile, FileThatIsNotARegistryExportStartsEmptyButIsKept) {
    test::TestEnvironment env;
    replaceStore(storeFile(env), "\x89PNG not a registry");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software"));
    createKey(HKEY_CURRENT_USER, "Software\\New");
    int copies = 0;
    for (const auto& e : std::filesystem::directory_iterator(env.path("registry")))
        if (e.path().filename().string().find(".unreadable-") != std::string::npos) ++copies;
    EXPECT_EQ(copies, 1);
}

TEST(RegistryStoreFile, ReadersNeverSeeAHalfWrittenFile) {
    test::TestEnvironment env;
    const std::string padding(20000, 'p');
    setValue(HKEY_CURRENT_USER, "Software\\Busy", "v", "start" + padding);
    pid_t writer = inChild(storeFile(env), [&] {
        for (int i = 0; i < 400; ++i)
            setValue(HKEY_CURRENT_USER, "Software\\Busy\\K" + std::to_string(i % 7), "v",
                     std::to_string(i) + padding);
    });
    int torn = 0;
    for (int i = 0; i < 400; ++i) {
        const std::string v = regText(queryValue(HKEY_CURRENT_USER, "Software\\Busy", "v"));
        if (v != "start" + padding) ++torn;
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");
}

TEST(RegistryStoreFile, AStoreThatCannotBeReadIsLeftAlone) {
    test::TestEnvironment env;
    const auto file = storeFile(env);
    const std::string key = "Software\\Varnel\\VarnelZize";

    // Something else where the file should be: the program goes on from memory.
    std::filesystem::create_directories(file / "kept");
    setValue(HKEY_CURRENT_USER, key, "CurrentGroup", std::string("Home"));
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, key, "CurrentGroup")), "Home");
    EXPECT_TRUE(std::filesystem::is_directory(file / "kept"));
    auto log = test::crlfLines(env.readFile("Error.log"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("RegistryStore\t75\t", 0), 0u) << log[0];
    std::filesystem::remove_all(file);
    std::filesystem::remove(env.path("Error.log"));

    // A store left behind by a run under sudo: another user's file.
    if (::getuid() != 0) GTEST_SKIP() << "needs root to write the store as another user";
    replaceStore(file, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n\"CurrentGroup\"=\"Home\"\r\n");
    const std::string before = env.readFile("registry/HKEY_CURRENT_USER.reg");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    for (const auto& folder : {env.folder(), file.parent_path()})
        std::filesystem::permissions(folder, std::filesystem::perms::all);
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
        setRegistryBackend(std::make_unique<FileRegistry>(file));
        const bool unread = regText(queryValue(HKEY_CURRENT_USER, key, "CurrentGroup")).empty();
        setValue(HKEY_CURRENT_USER, key, "CurrentGroup", std::string("Work"));
        const bool kept = regText(queryValue(HKEY_CURRENT_USER, key, "CurrentGroup")) == "Work";
        ::_exit(unread && kept ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(env.readFile("registry/HKEY_CURRENT_USER.reg"), before);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    log = test::crlfLines(env.readFile("Error.log"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("RegistryStore\t75\t", 0), 0u) << log[0];
}

TEST(RegistryStoreFile, NamesTheFileCannotHoldAreRefused) {
    test::TestEnvironment env;
    const auto file = storeFile(env);
    createKey(HKEY_CURRENT_USER, "Software\\Bad\r\n[HKEY_CURRENT_USER\\Injected]\r\n;");
    setValue(HKEY_CURRENT_USER, "Software\\Good", "a\nb", std::string("v"));
    setValue(HKEY_CURRENT_USER, "Software\\Good", "c", std::string("d"));
    // The Windows registry's limits: 255 characters a name, 512 levels.
    createKey(HKEY_CURRENT_USER, "Software\\" + std::string(255, 'n'));
    createKey(HKEY_CURRENT_USER, "Software\\" + std::string(256, 'l'));
    std::string deep = "Software";
    for (int level = 2; level <= 512; ++level) deep += "\\k";
    createKey(HKEY_CURRENT_USER, deep);
    createKey(HKEY_CURRENT_USER, deep + "\\deeper");

    setRegistryBackend(std::make_unique<FileRegistry>(file));
    EXPECT_TRUE(parses(env.readFile("registry/HKEY_CURRENT_USER.reg")));
    EXPECT_EQ(test::registrySnapshot("Software\\Good"),
              (std::vector<std::string>{"Software\\Good", "Software\\Good|c=REG_SZ:d"}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Injected"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\" + std::string(255, 'n')));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\" + std::string(256, 'l')));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, deep));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, deep + "\\deeper"));
    auto log = test::crlfLines(env.readFile("Error.log"));
    ASSERT_EQ(log.size(), 4u);
    for (const auto& line : log) EXPECT_EQ(line.rfind("RegistryStore\t5\t", 0), 0u) << line;

    // A crafted store with a deeper key: that key is not read, and the file
    // does not grow with the square of its depth.
    std::string crafted = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software";
    for (int level = 0; level < 3000; ++level) crafted += "\\k";
    replaceStore(file, crafted + "]\r\n\"v\"=\"1\"\r\n");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\k"));
    createKey(HKEY_CURRENT_USER, "Software\\After");
    EXPECT_LT(std::filesystem::file_size(file), 1000u);
}

TEST(RegistryStoreFile, ANewFileIsOnDiskBeforeItReplacesTheStore) {
    test::TestEnvironment env;
    const auto file = storeFile(env);
    setValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language", std::string("English"));
    const std::string trace = env.path("trace").string();
    pid_t pid = ::fork();
    if (pid == 0) {
        // In the sanitizer build: LeakSanitizer cannot work under a tracer.
        if (const char* asan = std::getenv("ASAN_OPTIONS"))
            ::setenv("ASAN_OPTIONS", (std::string(asan) + ":detect_leaks=0").c_str(), 1);
        ::execlp("strace", "strace", "-f", "-qq", "-y", "-e", "trace=fsync,fdatasync,rename,renameat2", "-o",
                 trace.c_str(), VARNEL_STORE_PROBE, file.c_str(), "Software\\Varnel\\VarnelZize", "Language",
                 "Svenska", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "strace " << status;
    EXPECT_EQ(regText(queryValue(HKEY_CURRENT_USER, "Software\\Varnel\\VarnelZize", "Language")), "Svenska");

    // The swap file's data is flushed before it trades places with the
    // store, and the folder after, so that a power cut finds one whole file.
    std::vector<std::string> calls;
    std::istringstream lines(env.readFile("trace"));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    auto at = [&](auto&& match) {
        return std::find_if(calls.begin(), calls.end(), match) - calls.begin();
    };
    const auto swap = at([](const std::string& c) { return c.find("rename") != std::string::npos; });
    ASSERT_LT(swap, static_cast<long>(calls.size())) << env.readFile("trace");
    const auto dataFlush = at([](const std::string& c) {
        return c.find("sync(") != std::string::npos && c.find(".reg.swap>") != std::string::npos;
    });
    EXPECT_LT(dataFlush, swap) << env.readFile("trace");
    const std::string folder = "<" + file.parent_path().string() + ">";
    const auto folderFlush = std::find_if(calls.begin() + swap, calls.end(), [&](const std::string& c) {
        return c.find("fsync(") != std::string::npos && c.find(folder) != std::string::npos;
    });
    EXPECT_NE(folderFlush, calls.end()) << env.readFile("trace");
}
