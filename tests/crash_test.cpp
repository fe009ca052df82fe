// Processes killed at random moments while they change the settings store
// (applying and removing the Places Bar) or the group database (the editor's
// statements, the updater moving in a new database): whatever the moment,
// what is left reads, holds the state before or after the change that was
// under way, and nothing unrelated is lost.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "core/db.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "targets/places_bar/places_bar.h"
#include "platform/linux/file_registry.h"
#include "support/db_files.h"
#include "support/test_env.h"
#include "updater/move_files.h"

using namespace varnel;
using platform::FileRegistry;
using platform::HKey;

namespace {

constexpr int kKills = 300;

// How far a process got, in memory it shares with the test: the number of
// the change it began last and of the change it finished last.
struct Progress {
    std::atomic<long> begun{0};
    std::atomic<long> done{0};
};

Progress* sharedProgress() {
    void* memory = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    return new (memory) Progress;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::mt19937& random() {
    static std::mt19937 generator(13);
    return generator;
}

// Starts `body` in a child and kills it after a random 0 to `maxMicros` µs.
void runAndKill(const std::function<void()>& body, int maxMicros) {
    const int delay = std::uniform_int_distribution<int>(0, maxMicros)(random());
    pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
}

// Runs `body` in a child to its end; returns how long that took in µs.
int runToEnd(const std::function<void()>& body) {
    const auto start = std::chrono::steady_clock::now();
    pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
}

// ---- the settings store ----------------------------------------------------

// The real store, numbering the changes it is asked for. With `stopAt` the
// process keeps a copy of the file as it was before that change, makes the
// change and ends.
class CountingStore : public platform::RegistryBackend {
public:
    CountingStore(const std::filesystem::path& file, Progress* progress, long stopAt = 0)
        : store_(file), file_(file), progress_(progress), stopAt_(stopAt) {}

    long openKey(HKey root, const std::string& subKey, HKey* result) override {
        return store_.openKey(root, subKey, result);
    }
    long createKey(HKey root, const std::string& subKey, HKey* result) override {
        return change([&] { return store_.createKey(root, subKey, result); });
    }
    long queryValue(HKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override {
        return store_.queryValue(key, name, type, data, size);
    }
    long setValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override {
        return change([&] { return store_.setValue(key, name, type, data, size); });
    }
    long deleteKey(HKey key, const std::string& subKey) override {
        return change([&] { return store_.deleteKey(key, subKey); });
    }
    long deleteValue(HKey key, const std::string& name) override {
        return change([&] { return store_.deleteValue(key, name); });
    }
    long enumKey(HKey key, std::uint32_t index, char* name, std::uint32_t nameSize) override {
        return store_.enumKey(key, index, name, nameSize);
    }
    long closeKey(HKey key) override { return store_.closeKey(key); }
    long enumValue(HKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override {
        return store_.enumValue(key, index, name, type, data);
    }

private:
    template <typename Call>
    long change(Call call) {
        const long n = ++count_;
        if (n == stopAt_) {
            std::error_code ec;
            std::filesystem::copy_file(file_, beforeFile(file_), std::filesystem::copy_options::overwrite_existing, ec);
        }
        if (progress_) progress_->begun = n;
        const long rc = call();
        if (progress_) progress_->done = n;
        if (n == stopAt_) ::_exit(0);
        return rc;
    }

public:
    static std::filesystem::path beforeFile(std::filesystem::path file) { return file += ".before"; }

private:
    FileRegistry store_;
    std::filesystem::path file_;
    Progress* progress_;
    long stopAt_;
    long count_ = 0;
};

// What a user's program does all day: switch groups, and remove the Places
// Bar on the way out. The same steps every time, so they can be replayed.
[[noreturn]] void switchGroupsForever() {
    for (int i = 0;; ++i) {
        if (i % 3 == 2) {
            removePlaces();
            continue;
        }
        const std::string g = std::to_string(i % 5);
        applyPlaces({"/home/u/Work" + g, "/srv/Data/" + g + "0" + g, "/tmp", "12" + g, "/home/u/Photos/" + g});
        setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Group ") + g);
    }
}

// The store text in one canonical form, and whether it read completely.
std::string canonical(const std::string& text, bool* complete = nullptr) {
    platform::RegKeyNode root;
    const bool ok = platform::parseRegFile(text, root);
    if (complete) *complete = ok;
    return platform::formatRegFile(root);
}

const char* const kUnrelated[] = {
    "[HKEY_CURRENT_USER\\Software\\Other\\App]\r\n\"Text\"=\"keep me\"\r\n\"Count\"=dword:0000002a\r\n"
    "\"Path\"=hex(2):25,00,48,00,00,00\r\n",
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\12.0\\Common\\Open Find\\Places\\UserDefinedPlaces\\Mine]\r\n"
    "\"Path\"=\"/home/u/mine\"\r\n",
    "\"Language\"=\"Svenska\"\r\n",
};

}  // namespace

TEST(CrashTest, KilledWhileApplyingAndRemovingThePlacesBar) {
    test::TestEnvironment env;
    const auto file = env.path("registry/HKEY_CURRENT_USER.reg");
    const auto reference = env.path("reference/HKEY_CURRENT_USER.reg");
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_directories(reference.parent_path());
    {
        std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n"
                           "\"CurrentGroup\"=\"Group 0\"\r\n\"Language\"=\"Svenska\"\r\n\r\n";
        text += kUnrelated[0];
        text += kUnrelated[1];
        for (const char* version : {"11.0", "12.0"})
            for (const char* place : {"Desktop", "MyDocuments", "Recent", "Favorites", "Publishing"})
                text += std::string("[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\") + version +
                        "\\Common\\Open Find\\Places\\StandardPlaces\\" + place + "]\r\n";
        std::ofstream(file, std::ios::binary) << text;
    }

    Progress* progress = sharedProgress();
    long changes = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        std::filesystem::copy_file(file, reference, std::filesystem::copy_options::overwrite_existing);
        progress->begun = progress->done = 0;
        runAndKill([&] {
            setRegistryBackend(std::make_unique<CountingStore>(file, progress));
            switchGroupsForever();
        }, 15000);
        const long begun = progress->begun, done = progress->done;
        ASSERT_TRUE(done == begun || done == begun - 1);
        changes += done;

        // The same steps, replayed on the copy, up to the change under way.
        std::string before = readFile(reference), after = before;
        if (begun > 0) {
            pid_t replay = ::fork();
            if (replay == 0) {
                setRegistryBackend(std::make_unique<CountingStore>(reference, nullptr, begun));
                switchGroupsForever();
            }
            int status = 0;
            ::waitpid(replay, &status, 0);
            before = readFile(CountingStore::beforeFile(reference));
            after = readFile(reference);
        }

        bool complete = false;
        const std::string left = canonical(readFile(file), &complete);
        ASSERT_TRUE(complete) << "kill " << kill << ": the store does not read completely";
        ASSERT_TRUE(left == canonical(before) || left == canonical(after))
            << "kill " << kill << " during change " << begun << " left a state that is neither before nor after it:\n"
            << left;
        for (const char* unrelated : kUnrelated)
            ASSERT_NE(left.find(unrelated), std::string::npos) << "kill " << kill << " lost " << unrelated;
    }
    RecordProperty("kills", kKills);
    RecordProperty("changes", static_cast<int>(changes));
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");
}

// ---- the group database ----------------------------------------------------

namespace {

using Rows = std::map<std::string, std::vector<std::string>>;

// Step k of the editor's day: add a group, rename the one added before and
// change its places, or delete an older one.
std::string stepStatement(long k) {
    const std::string name = "Group " + std::to_string(k);
    const std::string previous = "Group " + std::to_string(k - 1);
    const std::string p = std::to_string(k);
    switch (k % 3) {
    case 1: return sqlAddGroup(name, {"/a/" + p, "/b/" + p, "/c/" + p, "/d/" + p, "/e/" + p});
    case 2: return sqlChangeGroup(previous + "'s", {"/v/" + p, "/w/" + p, "/x/" + p, "/y/" + p, "/z/" + p}, previous);
    default: return sqlDeleteGroup("Group " + std::to_string(k - 5) + "'s");
    }
}

void applyStep(Rows& rows, long k) {
    const std::string previous = "Group " + std::to_string(k - 1);
    const std::string p = std::to_string(k);
    switch (k % 3) {
    case 1: rows["Group " + p] = {"/a/" + p, "/b/" + p, "/c/" + p, "/d/" + p, "/e/" + p}; break;
    case 2:
        if (rows.erase(previous)) rows[previous + "'s"] = {"/v/" + p, "/w/" + p, "/x/" + p, "/y/" + p, "/z/" + p};
        break;
    default: rows.erase("Group " + std::to_string(k - 5) + "'s");
    }
}

Rows groupRows(const std::filesystem::path& db) {
    Rows rows;
    for (auto& row : test::sqliteRows(db, "select * from tbl_Groups")) {
        if (row.size() != 6) throw std::runtime_error("a row without six columns");
        rows[row[0]] = std::vector<std::string>(row.begin() + 1, row.end());
    }
    return rows;
}

// The program's own next open: a hot journal is rolled back here, as at the next start.
std::string integrity() {
    const DbRows check = queryDb("PRAGMA integrity_check");
    return check.hasRows() ? check.table(1, 0) : check.status;
}

}  // namespace

TEST(CrashTest, KilledWhileChangingGroupsAndWhileTheUpdaterMovesANewDatabase) {
    test::TestEnvironment env;
    test::installShippedDatabase(env.folder());
    const auto db = env.path("Db/varnel.db");
    test::sqliteExec(db, "insert into tbl_Groups values ('Keep', '/k0', '/k1', '/k2', '/k3', '/k4');"
                         "insert into tbl_Update values ('Db\\Varnel.db', '1');");
    Rows model{{"Keep", {"/k0", "/k1", "/k2", "/k3", "/k4"}}};
    long step = 0;  // the last step the database holds

    Progress* progress = sharedProgress();
    int moves = 0, movedIn = 0, moveMicros = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        progress->begun = progress->done = step;
        runAndKill([&, first = step + 1] {
            for (long k = first;; ++k) {
                progress->begun = k;
                dbExec(stepStatement(k));
                progress->done = k;
            }
        }, 25000);
        const long begun = progress->begun, done = progress->done;

        // Every tenth kill is followed at once (a hot journal may still lie
        // beside the database) by the updater moving in a new database.
        bool moved = false;
        if (kill % 10 == 9) {
            ++moves;
            const auto waiting = env.path("Temp/Varnel.db");
            std::filesystem::create_directories(waiting.parent_path());
            std::filesystem::copy_file(VARNEL_EMPTY_DATABASE, waiting, std::filesystem::copy_options::overwrite_existing);
            test::sqliteExec(waiting, "insert into tbl_Groups values ('Shipped', '/s0', '/s1', '/s2', '/s3', '/s4');"
                                      "insert into tbl_Update values ('Db\\Varnel.db', '2');");
            const auto move = [] {
                updater::Hooks hooks;
                hooks.anotherCopyRunning = [] { return false; };
                updater::FileMove move(hooks);
                while (move.step() == updater::MoveStep::TryAgain) {
                }
            };
            // The first move runs to its end and sets the kill window for the
            // others, so that kills land inside a move on a slow machine too.
            if (moveMicros == 0) moveMicros = std::max(1, runToEnd(move));
            else runAndKill(move, 2 * moveMicros);
            moved = !std::filesystem::exists(waiting);
            if (!moved) std::filesystem::remove(waiting);
        }

        ASSERT_EQ(integrity(), "ok") << "kill " << kill << (moved ? ", new database moved in" : "");
        const Rows left = groupRows(db);
        if (moved) {
            ++movedIn;
            model = {{"Shipped", {"/s0", "/s1", "/s2", "/s3", "/s4"}}};
            ASSERT_EQ(left, model) << "kill " << kill << ": the moved-in database is not the one that was shipped";
            ASSERT_EQ(test::sqliteRows(db, "select colVersion from tbl_Update")[0][0], "2");
            step = begun;
            continue;
        }
        Rows beforeStep = model;
        for (long k = step + 1; k < begun; ++k) applyStep(beforeStep, k);
        Rows afterStep = beforeStep;
        if (begun > step) applyStep(afterStep, begun);
        if (left == afterStep) {
            model = afterStep;
            step = begun;
        } else {
            ASSERT_EQ(left, beforeStep) << "kill " << kill << " during step " << begun << " (done " << done
                                        << ") left neither the state before nor after it";
            model = beforeStep;
            step = begun > step ? begun - 1 : step;
        }
    }
    RecordProperty("kills", kKills);
    RecordProperty("steps", static_cast<int>(step));
    RecordProperty("moves", moves);
    EXPECT_GT(movedIn, 0);
}
