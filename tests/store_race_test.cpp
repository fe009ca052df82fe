// Three processes change their own values of one settings store at the same
// time, thousands of changes in all: none may lose or misread a change of
// another. Also where file time stamps are coarse (ext2 keeps whole seconds),
// so that a store replaced twice looks unchanged to the eye of a stat call.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "core/registry.h"
#include "platform/linux/file_registry.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

constexpr int kWriters = 3;
constexpr int kChangesEach = 500;
constexpr int kValuesEach = 4;
const char* const kKey = "Software\\Race";

struct Tally {
    std::atomic<long> checks{0};
    std::atomic<long> wrong{0};
};

std::string valueName(int writer, int value) { return "w" + std::to_string(writer) + "v" + std::to_string(value); }

// Same length every time: a same-size file is what hides a replacement.
std::string valueText(int change) {
    char text[16];
    std::snprintf(text, sizeof text, "c%06d", change);
    return text;
}

enum class Stamps { AsTheyAre, AllEqual };

// Each writer reads its own values back before every change: a store that
// missed another's change, or wrote an old copy back, shows here.
void writer(const std::filesystem::path& file, int me, Stamps stamps, Tally* tally) {
    setRegistryBackend(std::make_unique<platform::FileRegistry>(file));
    std::string mine[kValuesEach];
    for (int change = 0; change < kChangesEach; ++change) {
        for (int v = 0; v < kValuesEach; ++v) {
            if (mine[v].empty()) continue;
            ++tally->checks;
            if (regText(queryValue(HKEY_CURRENT_USER, kKey, valueName(me, v))) != mine[v]) ++tally->wrong;
        }
        const int v = change % kValuesEach;
        mine[v] = valueText(change);
        setValue(HKEY_CURRENT_USER, kKey, valueName(me, v), mine[v]);
        if (stamps == Stamps::AllEqual) {
            // A file system that keeps coarse time stamps gives every
            // replacement within one tick the same time.
            const struct timespec fixed[2] = {{1700000000, 0}, {1700000000, 0}};
            ::utimensat(AT_FDCWD, file.c_str(), fixed, 0);
        }
    }
}

// Runs the writers on `folder` and checks every final value with a fresh store.
void race(const std::filesystem::path& folder, Stamps stamps) {
    const auto file = folder / "HKEY_CURRENT_USER.reg";
    setRegistryBackend(std::make_unique<platform::FileRegistry>(file));
    for (int w = 0; w < kWriters; ++w)
        for (int v = 0; v < kValuesEach; ++v)
            setValue(HKEY_CURRENT_USER, kKey, valueName(w, v), std::string("start00"));

    auto* tally = new (::mmap(nullptr, sizeof(Tally), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0)) Tally;
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = ::fork();
        if (children[w] == 0) {
            writer(file, w, stamps, tally);
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(tally->wrong, 0) << "of " << tally->checks << " read-backs";

    setRegistryBackend(std::make_unique<platform::FileRegistry>(file));
    int lost = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int v = 0; v < kValuesEach; ++v)
            if (regText(queryValue(HKEY_CURRENT_USER, kKey, valueName(w, v))) !=
                valueText(kChangesEach - kValuesEach + v))
                ++lost;
    EXPECT_EQ(lost, 0) << "final values lost";
    ::testing::Test::RecordProperty("changes", kWriters * kChangesEach);
    ::testing::Test::RecordProperty("checks", static_cast<int>(tally->checks));
    ::munmap(tally, sizeof(Tally));
}

// A small ext2 file system through a loop device, where the machine lets us
// mount one (root, in a mount namespace of the suite's own or not).
class Ext2Mount {
public:
    explicit Ext2Mount(const std::filesystem::path& base) : image_(base / "ext2.img"), point_(base / "ext2") {
        if (::geteuid() != 0) return;
        std::filesystem::create_directories(point_);
        const std::string make = "truncate -s 8M '" + image_.string() + "' && mkfs.ext2 -q -F -I 128 '" +
                                 image_.string() + "' >/dev/null 2>&1 && mount -o loop '" + image_.string() + "' '" +
                                 point_.string() + "' 2>/dev/null";
        mounted_ = std::system(make.c_str()) == 0;
    }
    ~Ext2Mount() {
        if (mounted_) std::system(("umount '" + point_.string() + "'").c_str());
    }
    bool mounted() const { return mounted_; }
    const std::filesystem::path& folder() const { return point_; }

private:
    std::filesystem::path image_, point_;
    bool mounted_ = false;
};

}  // namespace

TEST(StoreRace, ThreeWritersLoseNothing) {
    test::TestEnvironment env;
    race(env.path("registry"), Stamps::AsTheyAre);
}

TEST(StoreRace, ThreeWritersLoseNothingWhereTimeStampsAreCoarse) {
    test::TestEnvironment env;
    Ext2Mount ext2(env.folder());
    if (!ext2.mounted()) GTEST_SKIP() << "this machine does not let the suite mount an ext2 image";
    race(ext2.folder(), Stamps::AsTheyAre);
}

TEST(StoreRace, ThreeWritersLoseNothingWhenEveryTimeStampIsEqual) {
    test::TestEnvironment env;
    race(env.path("registry"), Stamps::AllEqual);
}
