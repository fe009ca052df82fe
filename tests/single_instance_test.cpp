// anotherCopyRunning with real running copies of a small program.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

#include "places/single_instance.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

// A started program with its standard input and output on pipes. Closing its
// input ends a waiting copy; the destructor makes sure none is left behind.
class Child {
public:
    Child(const std::filesystem::path& program, const char* mode, std::optional<uid_t> asUser = std::nullopt) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ < 0) {
            for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
            throw std::runtime_error("fork");
        }
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            if (asUser && (::setgroups(0, nullptr) != 0 || ::setgid(*asUser) != 0 || ::setuid(*asUser) != 0))
                ::_exit(126);
            const std::string path = program.string();
            ::execl(path.c_str(), path.c_str(), mode, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }

    ~Child() {
        closeInput();
        if (!waited_ && !waitFor(std::chrono::seconds(5))) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(output_);
    }

    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // One line of its output, or "" when none comes within ten seconds.
    std::string readLine() {
        std::string line;
        for (;;) {
            pollfd p{output_, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0) return "";
            char c;
            if (::read(output_, &c, 1) != 1 || c == '\n') return line;
            line.push_back(c);
        }
    }

    // Waits for the end; its exit status, -1 when it did not end in time.
    int finish() {
        closeInput();
        return waitFor(std::chrono::seconds(10)) ? status_ : -1;
    }

private:
    void closeInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }

    bool waitFor(std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                waited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool waited_ = false;
    int status_ = -1;
};

class SingleInstance : public ::testing::Test {
protected:
    // The probe under a file name no other test uses at the same time.
    std::filesystem::path install(const std::string& prefix = "Varnel_Zize_") {
        auto target = env.path(prefix + env.folder().filename().string());
        std::filesystem::copy_file(VARNEL_INSTANCE_PROBE, target, std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    std::unique_ptr<Child> startWaiting(const std::filesystem::path& program,
                                        std::optional<uid_t> asUser = std::nullopt) {
        auto child = std::make_unique<Child>(program, "wait", asUser);
        EXPECT_EQ(child->readLine(), "ready");
        return child;
    }

    std::string check(const std::filesystem::path& program) {
        Child child(program, "check");
        std::string answer = child.readLine();
        EXPECT_EQ(child.finish(), 0);
        return answer;
    }

    void TearDown() override { EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log"); }

    test::TestEnvironment env;
};

TEST_F(SingleInstance, OneCopyIsAlone) { EXPECT_EQ(check(install()), "alone"); }

TEST_F(SingleInstance, SecondAndThirdCopyFindTheFirst) {
    const auto program = install();
    auto first = startWaiting(program);
    EXPECT_EQ(check(program), "started");
    auto second = startWaiting(program);
    EXPECT_EQ(check(program), "started");
    EXPECT_EQ(first->finish(), 0);
    EXPECT_EQ(second->finish(), 0);
    EXPECT_EQ(check(program), "alone");
}

TEST_F(SingleInstance, NameThatDiffersInCaseDoesNotCount) {
    auto other = startWaiting(install("varnel_zize_"));
    EXPECT_EQ(check(install("Varnel_Zize_")), "alone");
}

TEST_F(SingleInstance, ANameWithADotFindsItsCopies) {
    // Linux program files have no extension: the dot is part of the name.
    const auto program = install("Varnel_Zize.v2_");
    auto first = startWaiting(program);
    EXPECT_EQ(check(program), "started");
}

TEST_F(SingleInstance, CopyWhoseFileWasReplacedStillCounts) {
    // The updater replaces the program file while an old copy may still run.
    const auto program = install();
    auto old = startWaiting(program);
    std::filesystem::remove(program);
    install();
    EXPECT_EQ(check(program), "started");
}

TEST_F(SingleInstance, AnotherUsersCopyDoesNotCount) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to start a copy as another user";
    const auto program = install();
    std::filesystem::permissions(env.folder(), std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                   std::filesystem::perms::group_exec |
                                                   std::filesystem::perms::others_read |
                                                   std::filesystem::perms::others_exec);
    auto foreign = startWaiting(program, 65534);
    EXPECT_EQ(check(program), "alone");
    auto own = startWaiting(program);
    EXPECT_EQ(check(program), "started");
}

}  // namespace
