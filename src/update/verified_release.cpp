#include "update/verified_release.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/db.h"
#include "core/file_bytes.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "platform/platform.h"
#include "update/update_paths.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

const char* const kNotVerified = "Update could not be verified";

// The release files the main program leaves beside the waiting ones.
const char* const kSavedManifest = "Temp\\Update.upd";
const char* const kSavedSums = "Temp\\Update.sums";
const char* const kSavedSignature = "Temp\\Update.sig";

// Inside a guard: a file that cannot be saved is logged there.
void writeFile(const fs::path& file, const std::string& bytes) {
    if (!replaceFileBytes(file, bytes))
        throw fs::filesystem_error("cannot write", file, std::make_error_code(std::errc::io_error));
}

void removeSavedRelease() {
    std::error_code ec;
    for (const char* saved : {kSavedManifest, kSavedSums, kSavedSignature}) fs::remove(programPath(saved), ec);
}

const char* const kInstalledRelease = "InstalledRelease";

// Temp path and manifest path of each file that waits in Temp.
std::vector<std::pair<std::string, std::string>> filesInTemp() {
    std::vector<std::pair<std::string, std::string>> waiting;
    for (const auto& [temp, entry] : {std::pair{mainProgramTempEntry(), mainProgramEntry()},
                                      std::pair{std::string(kDatabaseTempEntry), std::string(kDatabaseEntry)}}) {
        std::error_code ec;
        if (fs::exists(programPath(temp), ec)) waiting.emplace_back(temp, entry);
    }
    return waiting;
}

// The saved release, or why the waiting files may not replace the installed ones.
std::optional<VerifiedRelease> waitingRelease(const std::vector<std::pair<std::string, std::string>>& waiting,
                                              std::string& why) {
    const std::optional<std::string> manifest = readFileBytes(programPath(kSavedManifest));
    const std::optional<std::string> sums = readFileBytes(programPath(kSavedSums));
    const std::optional<std::string> signature = readFileBytes(programPath(kSavedSignature));
    if (!manifest || !sums || !signature) {
        why = "no verified release beside the files in Temp";
        return std::nullopt;
    }
    std::optional<VerifiedRelease> release = verifyRelease(*manifest, *sums, *signature, *releaseKey(), why);
    if (!release) return std::nullopt;
    why = installRefusal(*release);
    if (!why.empty()) return std::nullopt;
    for (const auto& [temp, entry] : waiting) {
        const auto listed = release->digests.find(entry);
        if (listed == release->digests.end()) why = temp + ": not in the verified release";
        else if (const std::optional<Sha256Digest> digest = sha256OfFile(programPath(temp)); !digest)
            why = temp + ": cannot be read";
        else if (*digest != listed->second) why = temp + ": SHA-256 differs from Update.sums";
        if (!why.empty()) return std::nullopt;
    }
    return release;
}

}  // namespace

std::string installRefusal(const VerifiedRelease& release) {
    return stampRefusal(release, platform::releasePlatform(), installedRelease(), todayUtc());
}

std::optional<std::uint64_t> installedRelease() {
    const std::string text = regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, kInstalledRelease));
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoull(text);
}

void recordInstalledRelease(const VerifiedRelease& release) {
    if (!release.stamp) return;
    const std::optional<std::uint64_t> installed = installedRelease();
    if (installed && *installed >= release.stamp->number) return;
    // Text: release numbers outgrow a DWORD.
    setRegistryText(HKEY_CURRENT_USER, kSettingsKey, kInstalledRelease, std::to_string(release.stamp->number));
}

DownloadDigestCheck::DownloadDigestCheck(std::string file, std::optional<Sha256Digest> expected,
                                         std::function<void()> onRefused)
    : file_(std::move(file)), expected_(expected), onRefused_(std::move(onRefused)) {}

bool DownloadDigestCheck::passes() { return expected_ && hash_.finish() == *expected_; }

bool DownloadDigestCheck::expectsEmpty() const { return expected_ && *expected_ == Sha256Stream().finish(); }

void DownloadDigestCheck::refuse() const {
    logError(errorLine("verifyDownload", 0, kNotVerified) + "\t" + file_ +
             (expected_ ? ": SHA-256 differs from Update.sums" : ": not in a verified release"));
    if (onRefused_) onRefused_();
}

std::unique_ptr<DownloadDigestCheck> downloadCheckFor(const std::string& file,
                                                      const std::optional<VerifiedRelease>& release,
                                                      std::function<void()> onRefused) {
    if (!releaseKey()) return nullptr;
    std::optional<Sha256Digest> expected;
    if (release) {
        const auto listed = release->digests.find(file);
        if (listed != release->digests.end()) expected = listed->second;
    }
    return std::make_unique<DownloadDigestCheck>(file, expected, std::move(onRefused));
}

void saveVerifiedReleaseForUpdater(const std::optional<VerifiedRelease>& release) {
    if (!releaseKey() || !release) return;
    guarded("verifyRelease", [&] {
        fs::create_directories(programPath("Temp"));
        writeFile(programPath(kSavedManifest), release->manifest);
        writeFile(programPath(kSavedSums), release->sums);
        writeFile(programPath(kSavedSignature), release->signature);
    });
}

bool waitingFilesNeedCheck() { return releaseKey() && !filesInTemp().empty(); }

WaitingFiles checkWaitingFiles() {
    WaitingFiles result;
    if (!releaseKey()) return result;
    const std::vector<std::pair<std::string, std::string>> waiting = filesInTemp();
    if (waiting.empty()) return result;

    std::string why;
    result.release = waitingRelease(waiting, why);
    removeSavedRelease();
    if (result.release) {
        for (const auto& [temp, entry] : waiting) result.entries.push_back(entry);
        return result;
    }
    result.verified = false;
    logError(errorLine("Varnel_Zize_Update.exe - verifyFiles", 0, kNotVerified) + "\t" + why);
    for (const auto& [temp, entry] : waiting) {
        std::error_code ec;
        fs::remove(programPath(temp), ec);
        dbExec(sqlRecordFileVersion(entry, "1"));
    }
    return result;
}

void recordWhenInPlace(const WaitingFiles& waiting) {
    if (!waiting.verified || !waiting.release) return;
    for (const std::string& entry : waiting.entries) {
        const auto listed = waiting.release->digests.find(entry);
        const std::optional<Sha256Digest> digest = sha256OfFile(programPath(entry));
        if (listed == waiting.release->digests.end() || !digest || *digest != listed->second) return;
    }
    recordInstalledRelease(*waiting.release);
}

}  // namespace varnel
