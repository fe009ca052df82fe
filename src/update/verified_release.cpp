#include "update/verified_release.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/db.h"
#include "core/events.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/sql_statements.h"
#include "update/update_paths.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

const char* const kNotVerified = "Update could not be verified";

std::optional<VerifiedRelease>& current() {
    static std::optional<VerifiedRelease> release;
    return release;
}

// The release files the main program leaves beside the waiting ones.
const char* const kSavedManifest = "Temp\\Update.upd";
const char* const kSavedSums = "Temp\\Update.sums";
const char* const kSavedSignature = "Temp\\Update.sig";

std::optional<std::string> readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
    fs::path partial = file;
    partial += ".new";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) throw fs::filesystem_error("cannot write", partial, std::make_error_code(std::errc::io_error));
    }
    fs::rename(partial, file);
}

void removeSavedRelease() {
    std::error_code ec;
    for (const char* saved : {kSavedManifest, kSavedSums, kSavedSignature}) fs::remove(programPath(saved), ec);
}

// Why the waiting files may not replace the installed ones; empty when they may.
std::string refusalReason(const std::vector<std::pair<std::string, std::string>>& waiting) {
    const std::optional<std::string> manifest = readFile(programPath(kSavedManifest));
    const std::optional<std::string> sums = readFile(programPath(kSavedSums));
    const std::optional<std::string> signature = readFile(programPath(kSavedSignature));
    if (!manifest || !sums || !signature) return "no verified release beside the files in Temp";
    std::string why;
    const std::optional<VerifiedRelease> release = verifyRelease(*manifest, *sums, *signature, *releaseKey(), why);
    if (!release) return why;
    for (const auto& [temp, entry] : waiting) {
        const auto listed = release->digests.find(entry);
        if (listed == release->digests.end()) return temp + ": not in the verified release";
        const std::optional<Sha256Digest> digest = sha256OfFile(programPath(temp));
        if (!digest) return temp + ": cannot be read";
        if (*digest != listed->second) return temp + ": SHA-256 differs from Update.sums";
    }
    return {};
}

}  // namespace

void setVerifiedRelease(std::optional<VerifiedRelease> release) { current() = std::move(release); }
const std::optional<VerifiedRelease>& verifiedRelease() { return current(); }

DownloadDigestCheck::DownloadDigestCheck(std::string file, std::optional<Sha256Digest> expected,
                                         std::function<void()> onRefused)
    : file_(std::move(file)), expected_(expected), onRefused_(std::move(onRefused)) {}

bool DownloadDigestCheck::passes() { return expected_ && hash_.finish() == *expected_; }

void DownloadDigestCheck::refuse() const {
    LogError(errorLine("verifyDownload", 0, kNotVerified) + "\t" + file_ +
             (expected_ ? ": SHA-256 differs from Update.sums" : ": not in a verified release"));
    if (onRefused_) onRefused_();
}

std::unique_ptr<DownloadDigestCheck> downloadCheckFor(const std::string& file, std::function<void()> onRefused) {
    if (!releaseKey()) return nullptr;
    std::optional<Sha256Digest> expected;
    if (current()) {
        const auto listed = current()->digests.find(file);
        if (listed != current()->digests.end()) expected = listed->second;
    }
    return std::make_unique<DownloadDigestCheck>(file, expected, std::move(onRefused));
}

void saveVerifiedReleaseForUpdater() {
    if (!releaseKey() || !current()) return;
    guarded("verifyRelease", [] {
        fs::create_directories(programPath("Temp"));
        writeFile(programPath(kSavedManifest), current()->manifest);
        writeFile(programPath(kSavedSums), current()->sums);
        writeFile(programPath(kSavedSignature), current()->signature);
    });
}

bool waitingFilesVerified(const std::function<bool()>& mainProgramRunning) {
    if (!releaseKey()) return true;
    std::vector<std::pair<std::string, std::string>> waiting;  // Temp path, manifest path
    for (const auto& [temp, entry] : {std::pair{mainProgramTempEntry(), mainProgramEntry()},
                                      std::pair{std::string(kDatabaseTempEntry), std::string(kDatabaseEntry)}}) {
        std::error_code ec;
        if (fs::exists(programPath(temp), ec)) waiting.emplace_back(temp, entry);
    }
    if (waiting.empty()) return true;
    while (mainProgramRunning && mainProgramRunning()) letPendingEventsRun();

    const std::string why = refusalReason(waiting);
    removeSavedRelease();
    if (why.empty()) return true;
    LogError(errorLine("Varnel_Zize_Update.exe - verifyFiles", 0, kNotVerified) + "\t" + why);
    for (const auto& [temp, entry] : waiting) {
        std::error_code ec;
        fs::remove(programPath(temp), ec);
        dbExec(sqlRecordFileVersion(entry, "1"), DbStatusUse::Ignore);
    }
    return false;
}

}  // namespace varnel
