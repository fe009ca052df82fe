#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <thread>

#include "shell/close_channel.h"
#include "support/test_env.h"
#include "support/spin.h"

using namespace varnel;

namespace {

// The environment variable as it was, back when the test ends.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name), had_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
    ~SavedVariable() { had_ ? qputenv(name_, value_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray value_;
};

}  // namespace

TEST(CloseChannel, ARequestReachesTheListenerOfThatTitleOnly) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    EXPECT_EQ(closeChannelPath("Varnel_Zize"), runtime.path() + "/varnel_zize");
    EXPECT_FALSE(requestClose("Varnel_Zize"));

    int closes = 0;
    {
        CloseListener listener("Varnel_Zize", [&] { ++closes; });
        ASSERT_TRUE(listener.isListening());
        EXPECT_FALSE(requestClose("Another_Program"));
        // The updater looks the window up as "Varnel_zize": titles ignore case.
        EXPECT_TRUE(requestClose("Varnel_zize"));
        EXPECT_TRUE(test::spinUntil([&] { return closes == 1; }));
    }
    EXPECT_FALSE(requestClose("Varnel_Zize"));
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(CloseChannel, TerminationSignalsRunTheSameRequest) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    int closes = 0;
    CloseListener listener("Varnel_Zize", [&] { ++closes; });
    ::raise(SIGTERM);
    EXPECT_TRUE(test::spinUntil([&] { return closes == 1; }));
#ifdef SIGHUP
    ::raise(SIGHUP);
    EXPECT_TRUE(test::spinUntil([&] { return closes == 2; }));
#endif
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(CloseChannel, OtherRequestsGetOneLineAnswers) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    int closes = 0;
    CloseListener listener("Varnel_Zize", [&] { ++closes; });
    listener.setQueryHandler([](const QString& request) { return request == "tooltip" ? QString("Varnel - x : Work ") : QString(); });
    QString answer;
    // The answer comes from this thread's event loop: ask from another one.
    std::thread asker([&] { answer = queryProgram("Varnel_Zize", "tooltip"); });
    EXPECT_TRUE(test::spinUntil([&] { return !answer.isEmpty(); }));
    asker.join();
    EXPECT_EQ(answer, "Varnel - x : Work ");
    EXPECT_EQ(closes, 0);
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(CloseChannel, WithoutARuntimeFolderOnlyAPrivateFolderOfTheUserIsUsed) {
    test::TestEnvironment env;
    QTemporaryDir temp;
    SavedVariable runtime("XDG_RUNTIME_DIR"), tmpdir("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    const std::string folder = temp.path().toStdString() + "/varnel-" + std::to_string(::getuid());

    auto refused = [&](const char* why) {
        CloseListener listener("Varnel_Zize", [] {});
        EXPECT_FALSE(listener.isListening()) << why;
        EXPECT_FALSE(requestClose("Varnel_Zize")) << why;
        EXPECT_FALSE(std::filesystem::exists(folder + "/varnel_zize")) << why;
    };

    // Made first by someone else, open to everybody.
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    refused("open folder");
    if (::getuid() == 0) {
        ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        refused("another user's folder");
    }
    ASSERT_EQ(::rmdir(folder.c_str()), 0);
    const std::string elsewhere = temp.path().toStdString() + "/elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), folder.c_str()), 0);
    refused("link to a folder");
    const auto log = test::crlfLines(env.readFile("Error.log"));
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].rfind("CloseChannel\t70\t", 0), 0u) << log[0];

    // None there: made private and used.
    ASSERT_EQ(::unlink(folder.c_str()), 0);
    int closes = 0;
    CloseListener listener("Varnel_Zize", [&] { ++closes; });
    ASSERT_TRUE(listener.isListening());
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(requestClose("Varnel_Zize"));
    EXPECT_TRUE(test::spinUntil([&] { return closes == 1; }));
}
