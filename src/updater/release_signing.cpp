#include "updater/release_signing.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/file_bytes.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "platform/platform.h"
#include "update/manifest.h"

namespace varnel::updater {

namespace {

namespace fs = std::filesystem;

bool isInside(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    const fs::path f = fs::weakly_canonical(fs::absolute(file), ec), d = fs::weakly_canonical(folder, ec);
    const auto [end, _] = std::mismatch(d.begin(), d.end(), f.begin(), f.end());
    return end == d.end();
}

constexpr std::chrono::days kValidFor{90};

// The signing time (UTC) as YYYYMMDDHHMMSS: it grows from one release to the
// next without the publisher keeping count. Above the folder's last release
// all the same when the clock says otherwise.
std::uint64_t nextReleaseNumber(std::optional<std::uint64_t> previous) {
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const auto midnight = std::chrono::floor<std::chrono::days>(now);
    const std::chrono::year_month_day date(midnight);
    const std::chrono::hh_mm_ss time(now - midnight);
    const std::uint64_t yyyymmdd =
        (static_cast<std::uint64_t>(static_cast<int>(date.year())) * 100 + static_cast<unsigned>(date.month())) * 100 +
        static_cast<unsigned>(date.day());
    const auto hhmmss = static_cast<std::uint64_t>(time.hours().count() * 10000 + time.minutes().count() * 100 +
                                                   time.seconds().count());
    const std::uint64_t number = yyyymmdd * 1000000 + hhmmss;
    if (previous && number <= *previous) return *previous + 1;
    return number;
}

// Why the release could not be signed; empty when Update.sums and Update.sig are written.
std::string sign(const SecretKey& key, const ReleaseStamp& stamp) {
    const std::optional<std::string> manifest = readFileBytes(programPath("Update.upd"));
    if (!manifest) return "Update.upd cannot be read";
    std::string sums = stampLines(stamp);
    for (const ManifestEntry& entry : parseManifest(*manifest).entries) {
        const std::optional<Sha256Digest> digest = sha256OfFile(programPath(entry.file));
        if (!digest) return entry.file + " cannot be read";
        sums += sumsLine(*digest, entry.file);
    }
    if (!replaceFileBytes(programPath(kSumsFile), sums) ||
        !replaceFileBytes(programPath(kSignatureFile), signRelease(*manifest, sums, key)))
        return "Update.sums and Update.sig cannot be written";
    return {};
}

}  // namespace

std::string genkey(const std::string& folder) {
    std::error_code ec;
    const fs::path target = fs::absolute(folder, ec);
    std::string why;
    if (ec || !writeKeyPair(target, why)) return "No key pair was created: " + (why.empty() ? folder : why);
    const fs::path publicFile = target / kPublicKeyFile;
    return "Key pair created:\r\n" + publicFile.string() + "\r\n" + (target / kSecretKeyFile).string() +
           "\r\n\r\nBuild the programs with -DVARNEL_RELEASE_PUBLIC_KEY=" + publicFile.string() +
           " and sign releases with \"makeversion1 <secret key file>\". Keep the secret key out of the repository "
           "and out of every release folder.";
}

std::optional<SecretKey> releaseSigningKey(const std::string& keyFile, std::string& why) {
    if (isInside(keyFile, programFolder())) {
        why = "The secret key lies inside the release folder and would be published with it. Move it out and run "
              "makeversion1 again.";
        return std::nullopt;
    }
    std::optional<SecretKey> key = readSecretKey(keyFile, why);
    if (!key) why = "Nothing was signed: " + why;
    return key;
}

std::optional<std::uint64_t> previousReleaseNumber() {
    const std::optional<std::string> sums = readFileBytes(programPath(kSumsFile));
    std::string why;
    const std::optional<SignedSums> parsed = sums ? parseReleaseSums(*sums, why) : std::nullopt;
    if (!parsed || !parsed->stamp) return std::nullopt;
    return parsed->stamp->number;
}

void removeReleaseProof() {
    std::error_code ec;
    for (const char* file : {kSumsFile, kSignatureFile}) fs::remove(programPath(file), ec);
}

std::string finishRelease(const std::optional<SecretKey>& key, std::optional<std::uint64_t> previousRelease) {
    if (!key)
        return "\r\n\r\nThe release is unsigned: no Update.sums or Update.sig was written. Programs built with a "
               "release key offer nothing from it; give the secret key file after makeversion1 to sign it.";
    const ReleaseStamp stamp{nextReleaseNumber(previousRelease), platform::releasePlatform(), todayUtc() + kValidFor};
    const std::string why = sign(*key, stamp);
    if (!why.empty()) {
        removeReleaseProof();
        logError(errorLine("Varnel_Zize_Update.exe - sign release", 0, "") + "\t" + why);
        return "\r\n\r\nThe release could not be signed: " + why + ".";
    }
    std::string note = "\r\n\r\nSigned with the key " + toHex(publicHalf(*key)).substr(0, 16) +
                       "...: Update.sums and Update.sig written. Release " + std::to_string(stamp.number) + " for " +
                       stamp.platform + ", valid until " + dateText(stamp.validUntil) +
                       " (UTC); sign it again with signrelease before then.";
    if (releaseKey() && *releaseKey() != publicHalf(*key))
        note += " This updater checks releases with another key; programs built like it will refuse this release.";
    return note;
}

std::string signrelease(const std::string& keyFile) {
    std::string why;
    const std::optional<SecretKey> key = releaseSigningKey(keyFile, why);
    if (!key) return why;
    return "Update.upd" + finishRelease(key, previousReleaseNumber());
}

std::string releaseKeyNote() {
    if (!releaseKey()) return "Built without a release key: updates are installed unverified.";
    return "Updates are verified with the release key " + toHex(*releaseKey()).substr(0, 16) + "...";
}

}  // namespace varnel::updater
