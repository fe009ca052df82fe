#include "updater/release_signing.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/log.h"
#include "core/program_folder.h"
#include "update/manifest.h"

namespace varnel::updater {

namespace {

namespace fs = std::filesystem;

std::optional<std::string> readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeFile(const fs::path& file, const std::string& bytes) {
    fs::path partial = file;
    partial += ".new";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) return false;
    }
    std::error_code ec;
    fs::rename(partial, file, ec);
    return !ec;
}

bool isInside(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    const fs::path f = fs::weakly_canonical(fs::absolute(file), ec), d = fs::weakly_canonical(folder, ec);
    const auto [end, _] = std::mismatch(d.begin(), d.end(), f.begin(), f.end());
    return end == d.end();
}

// Why the release could not be signed; empty when Update.sums and Update.sig are written.
std::string sign(const SecretKey& key) {
    const std::optional<std::string> manifest = readFile(programPath("Update.upd"));
    if (!manifest) return "Update.upd cannot be read";
    std::string sums;
    for (const ManifestEntry& entry : parseManifest(*manifest).entries) {
        const std::optional<Sha256Digest> digest = sha256OfFile(programPath(entry.file));
        if (!digest) return entry.file + " cannot be read";
        sums += sumsLine(*digest, entry.file);
    }
    if (!writeFile(programPath(kSumsFile), sums) ||
        !writeFile(programPath(kSignatureFile), signRelease(*manifest, sums, key)))
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

void removeReleaseProof() {
    std::error_code ec;
    for (const char* file : {kSumsFile, kSignatureFile}) fs::remove(programPath(file), ec);
}

std::string finishRelease(const std::optional<SecretKey>& key) {
    if (!key)
        return "\r\n\r\nThe release is unsigned: no Update.sums or Update.sig was written. Programs built with a "
               "release key offer nothing from it; give the secret key file after makeversion1 to sign it.";
    const std::string why = sign(*key);
    if (!why.empty()) {
        removeReleaseProof();
        LogError(errorLine("Varnel_Zize_Update.exe - sign release", 0, "") + "\t" + why);
        return "\r\n\r\nThe release could not be signed: " + why + ".";
    }
    std::string note = "\r\n\r\nSigned with the key " + toHex(publicHalf(*key)).substr(0, 16) +
                       "...: Update.sums and Update.sig written.";
    if (releaseKey() && *releaseKey() != publicHalf(*key))
        note += " This updater checks releases with another key; programs built like it will refuse this release.";
    return note;
}

std::string signrelease(const std::string& keyFile) {
    std::string why;
    const std::optional<SecretKey> key = releaseSigningKey(keyFile, why);
    if (!key) return why;
    return "Update.upd" + finishRelease(key);
}

std::string releaseKeyNote() {
    if (!releaseKey()) return "Built without a release key: updates are installed unverified.";
    return "Updates are verified with the release key " + toHex(*releaseKey()).substr(0, 16) + "...";
}

}  // namespace varnel::updater
