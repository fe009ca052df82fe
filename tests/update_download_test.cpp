#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "support/http_server.h"
#include "support/test_env.h"
#include "update/update_download.h"
#include "support/spin.h"

using namespace varnel;

namespace {

struct Recorder {
    bool cancel = false;
    int cancelUpdates = 0;
    QStringList alerts;

    UpdateDownload::Hooks hooks() {
        return {[this] { return cancel; }, [this] { ++cancelUpdates; },
                [this](const QString& text) { alerts << text; }, [] { return QStringLiteral("CantConnect"); },
                [] { return QStringLiteral("DownloadCancelled"); }};
    }
};

int filesIn(const std::filesystem::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

}  // namespace

TEST(UpdateDownload, WritesExactlyTheBytesServedAndReportsProgress) {
    test::TestEnvironment env;
    std::string payload(300000, '\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7);
    env.writeFile("server/Build/Big.gif", payload);
    env.writeFile("server/NoLength.txt", "abc");
    test::HttpServer server(env.path("server"));
    server.setRules(R"({"/NoLength.txt": {"no_length": true}})");
    std::filesystem::create_directories(env.path("prog"));

    Recorder rec;
    UpdateDownload download(rec.hooks());
    QSignalSpy progress(&download, &UpdateDownload::DownloadProgress);
    QSignalSpy complete(&download, &UpdateDownload::DownloadComplete);
    const QString dest = QString::fromStdString(env.path("prog/Big.gif").string());
    download.BeginDownload(server.baseUrl() + "Build/Big.gif", dest);
    ASSERT_TRUE(test::spinUntil([&] { return complete.count() == 1; }));
    EXPECT_EQ(env.readFile("prog/Big.gif"), payload);
    EXPECT_EQ(complete[0][0].toLongLong(), 300000);
    EXPECT_EQ(complete[0][1].toString(), dest);
    ASSERT_GE(progress.count(), 1);
    EXPECT_EQ(progress.last()[1].toLongLong(), 300000);
    EXPECT_EQ(filesIn(env.path("prog")), 1);  // no temporary file left beside it

    download.BeginDownload(server.baseUrl() + "NoLength.txt", QString::fromStdString(env.path("prog/n.txt").string()));
    ASSERT_TRUE(test::spinUntil([&] { return complete.count() == 2; }));
    EXPECT_EQ(env.readFile("prog/n.txt"), "abc");
    EXPECT_TRUE(rec.alerts.isEmpty());
}

TEST(UpdateDownload, AFailedReadNeverTouchesTheDestination) {
    test::TestEnvironment env;
    env.writeFile("server/present.txt", "new");
    test::HttpServer server(env.path("server"));
    server.setRules(R"({"/broken.txt": {"status": 500}, "/dropped.txt": {"drop": true}})");
    env.writeFile("prog/file.txt", "old copy");
    const QString dest = QString::fromStdString(env.path("prog/file.txt").string());

    for (const char* name : {"missing.txt", "broken.txt", "dropped.txt"}) {
        Recorder rec;
        UpdateDownload download(rec.hooks());
        QSignalSpy error(&download, &UpdateDownload::DownloadError);
        QSignalSpy complete(&download, &UpdateDownload::DownloadComplete);
        download.BeginDownload(server.baseUrl() + name, dest);
        ASSERT_TRUE(test::spinUntil([&] { return error.count() == 1; })) << name;
        EXPECT_EQ(complete.count(), 0) << name;
        EXPECT_EQ(env.readFile("prog/file.txt"), "old copy") << name;
        EXPECT_EQ(rec.alerts, QStringList{"CantConnect"}) << name;
        EXPECT_EQ(filesIn(env.path("prog")), 1) << name;
    }
}

TEST(UpdateDownload, NoServerIsAFailedRead) {
    test::TestEnvironment env;
    QString base;
    {
        test::HttpServer gone(env.path("server"));
        base = gone.baseUrl();
    }
    Recorder rec;
    UpdateDownload download(rec.hooks());
    QSignalSpy error(&download, &UpdateDownload::DownloadError);
    download.BeginDownload(base + "Update.upd", QString::fromStdString(env.path("Update.upd").string()));
    ASSERT_TRUE(test::spinUntil([&] { return error.count() == 1; }));
    EXPECT_FALSE(env.exists("Update.upd"));
    EXPECT_EQ(rec.alerts, QStringList{"CantConnect"});
}

TEST(UpdateDownload, ACancelledDownloadRollsBackAndStops) {
    test::TestEnvironment env;
    env.writeFile("server/slow.bin", std::string(4 << 20, 'x'));
    test::HttpServer server(env.path("server"));
    env.writeFile("prog/slow.bin", "old");
    Recorder rec;
    UpdateDownload download(rec.hooks());
    QSignalSpy progress(&download, &UpdateDownload::DownloadProgress);
    QSignalSpy complete(&download, &UpdateDownload::DownloadComplete);
    download.BeginDownload(server.baseUrl() + "slow.bin", QString::fromStdString(env.path("prog/slow.bin").string()));
    rec.cancel = true;  // the user pressed Cancel
    ASSERT_TRUE(test::spinUntil([&] { return rec.cancelUpdates >= 1; }));
    test::spinUntil([] { return false; }, 300);
    EXPECT_EQ(complete.count(), 0);
    EXPECT_FALSE(download.isRunning());
    EXPECT_EQ(env.readFile("prog/slow.bin"), "old");
}

TEST(UpdateDownload, ADownloadThatCannotStartIsCancelledAndLogged) {
    test::TestEnvironment env;
    Recorder rec;
    UpdateDownload download(rec.hooks());
    download.BeginDownload("not a url", QString::fromStdString(env.path("x.txt").string()));
    EXPECT_EQ(rec.alerts, QStringList{"DownloadCancelled"});
    EXPECT_EQ(rec.cancelUpdates, 1);
    EXPECT_EQ(env.readFile("Error.log"), "BeginDownload\t5\tInvalid procedure call or argument\r\n");
}
