// Downloading one 100 MB file from a local server: the update downloader,
// checking the file's SHA-256 as a signed release asks, against curl on the
// same file, and the downloader's peak memory growth.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <fstream>

#include "bench_util.h"
#include "core/program_folder.h"
#include "support/http_server.h"
#include "update/release_signature.h"
#include "update/update_download.h"

using namespace varnel;

namespace {

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto folder = bench::tempFolder("download");
    setProgramFolder(folder);
    constexpr qint64 size = 100ll << 20;
    std::filesystem::create_directories(folder / "server");
    {
        std::ofstream out(folder / "server" / "big.bin", std::ios::binary);
        std::string block(1 << 20, 'v');
        for (int i = 0; i < 100; ++i) out << block;
    }
    const Sha256Digest digest = sha256OfFile(folder / "server" / "big.bin").value();
    test::HttpServer server(folder / "server");
    const QString url = server.baseUrl() + "big.bin";
    const QString dest = QString::fromStdString((folder / "big.bin").string());

    auto ourRun = [&](bool checked) {
        bool done = false, failed = false;
        UpdateDownload download({});
        QObject::connect(&download, &UpdateDownload::DownloadComplete, [&] { done = true; });
        QObject::connect(&download, &UpdateDownload::DownloadError, [&] { done = failed = true; });
        download.BeginDownload(
            url, dest, checked ? std::make_unique<DownloadDigestCheck>("big.bin", digest, [&] { failed = true; }) : nullptr);
        while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (failed || std::filesystem::file_size(folder / "big.bin") != static_cast<std::uintmax_t>(size)) {
            std::fprintf(stderr, "download failed\n");
            std::exit(1);
        }
    };
    auto curlRun = [&] {
        QProcess::execute("curl", {"-s", "-o", QString::fromStdString((folder / "curl.bin").string()), url});
    };
    // Alternate them so that a busy machine weighs on all alike.
    const long rssBefore = statusKb("VmRSS:");
    std::vector<double> oursTimes, uncheckedTimes, curlTimes;
    for (int round = 0; round < 7; ++round) {
        oursTimes.push_back(bench::medianMicroseconds(1, [&] { ourRun(true); }));
        curlTimes.push_back(bench::medianMicroseconds(1, curlRun));
        uncheckedTimes.push_back(bench::medianMicroseconds(1, [&] { ourRun(false); }));
    }
    const long peakGrowthKb = statusKb("VmHWM:") - rssBefore;
    const double mb = static_cast<double>(size) / (1 << 20);
    auto rate = [&](std::vector<double>& times) {
        std::sort(times.begin(), times.end());
        return mb / (times[times.size() / 2] / 1e6);
    };
    const double oursRate = rate(oursTimes), uncheckedRate = rate(uncheckedTimes), curlRate = rate(curlTimes);
    bench::report("download_100MB_update_downloader", oursRate, "MB/s");
    bench::report("download_100MB_update_downloader_without_sha256_check", uncheckedRate, "MB/s");
    bench::report("download_100MB_curl", curlRate, "MB/s");
    bench::report("download_100MB_ratio_to_curl", 100.0 * oursRate / curlRate, "%");
    bench::report("download_100MB_peak_memory_growth", peakGrowthKb / 1024.0, "MB");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
