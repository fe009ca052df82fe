#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <thread>

#include "shell/close_channel.h"
#include "support/spin.h"

using namespace varnel;

namespace {

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
