#include "update/release_signature.h"

#include <sodium.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "update/manifest.h"

namespace varnel {

namespace {

namespace fs = std::filesystem;

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A key file is one line of hex; anything larger is not one.
std::optional<std::string> readSmallFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) > 4096) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeTextFile(const fs::path& file, const std::string& text, bool ownerOnly) {
    {
        std::ofstream create(file, std::ios::binary | std::ios::trunc);
        if (!create) return false;
    }
    // Closed to others before the secret arrives in it.
    std::error_code ec;
    if (ownerOnly) fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

}  // namespace

std::optional<Sha256Digest> sha256OfFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Sha256Stream hash;
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (in.gcount() > 0) hash.add(buffer.data(), static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return hash.finish();
}

std::string toHex(const unsigned char* bytes, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

bool fromHex(std::string_view text, unsigned char* out, size_t size) {
    text = trimmed(text);
    if (text.size() != size * 2) return false;
    for (size_t i = 0; i < size; ++i) {
        const int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        out[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return true;
}

std::string sumsLine(const Sha256Digest& digest, const std::string& file) { return toHex(digest) + "  " + file + "\r\n"; }

std::string dateText(std::chrono::sys_days day) {
    const std::chrono::year_month_day date(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::chrono::sys_days todayUtc() { return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()); }

std::string stampLines(const ReleaseStamp& stamp) {
    return "Release: " + std::to_string(stamp.number) + "\r\nPlatform: " + stamp.platform +
           "\r\nValid-Until: " + dateText(stamp.validUntil) + "\r\n";
}

namespace {

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<std::chrono::sys_days> parseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const std::string_view year = text.substr(0, 4), month = text.substr(5, 2), day = text.substr(8, 2);
    if (!allDigits(year) || !allDigits(month) || !allDigits(day)) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(std::stoi(std::string(year))),
                                           std::chrono::month(static_cast<unsigned>(std::stoi(std::string(month)))),
                                           std::chrono::day(static_cast<unsigned>(std::stoi(std::string(day))))};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days(date);
}

// The stamp's lines as they are read; each may appear once.
struct StampLines {
    std::optional<std::uint64_t> number;
    std::optional<std::string> platform;
    std::optional<std::chrono::sys_days> validUntil;
    bool any() const { return number || platform || validUntil; }
};

// Takes a stamp line into `stamp`; false with `why` for a line that is not one.
bool readStampLine(std::string_view line, size_t lineNumber, StampLines& stamp, std::string& why) {
    const std::string where = "Update.sums line " + std::to_string(lineNumber);
    auto value = [&](std::string_view name) -> std::optional<std::string_view> {
        if (line.substr(0, name.size()) != name) return std::nullopt;
        return line.substr(name.size());
    };
    auto once = [&](bool seen, const char* name) {
        if (seen) why = where + " repeats the " + name + " line";
        return !seen;
    };
    if (const auto number = value("Release: ")) {
        if (!once(stamp.number.has_value(), "Release")) return false;
        // Nineteen digits always fit the number.
        if (!allDigits(*number) || number->size() > 19) {
            why = where + " is not \"Release: <number>\"";
            return false;
        }
        stamp.number = std::stoull(std::string(*number));
        return true;
    }
    if (const auto platform = value("Platform: ")) {
        if (!once(stamp.platform.has_value(), "Platform")) return false;
        if (platform->empty()) {
            why = where + " names no platform";
            return false;
        }
        stamp.platform = std::string(*platform);
        return true;
    }
    if (const auto date = value("Valid-Until: ")) {
        if (!once(stamp.validUntil.has_value(), "Valid-Until")) return false;
        stamp.validUntil = parseDate(*date);
        if (!stamp.validUntil) {
            why = where + " is not \"Valid-Until: YYYY-MM-DD\"";
            return false;
        }
        return true;
    }
    why = where + " is not \"SHA-256  path\"";
    return false;
}

}  // namespace

std::optional<SignedSums> parseReleaseSums(std::string_view text, std::string& why) {
    SignedSums sums;
    StampLines stamp;
    size_t start = 0, number = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        Sha256Digest digest{};
        if (line.size() < 67 || line.substr(64, 2) != "  " || !fromHex(line.substr(0, 64), digest.data(), digest.size())) {
            if (!readStampLine(line, number, stamp, why)) return std::nullopt;
            continue;
        }
        const std::string file(line.substr(66));
        const auto [at, added] = sums.digests.emplace(file, digest);
        if (!added && at->second != digest) {
            why = "Update.sums lists " + file + " twice with two digests";
            return std::nullopt;
        }
    }
    if (stamp.any()) {
        for (const auto& [present, name] : {std::pair{stamp.number.has_value(), "Release"},
                                            std::pair{stamp.platform.has_value(), "Platform"},
                                            std::pair{stamp.validUntil.has_value(), "Valid-Until"}})
            if (!present) {
                why = std::string("Update.sums has no ") + name + " line beside the others";
                return std::nullopt;
            }
        sums.stamp = ReleaseStamp{*stamp.number, *stamp.platform, *stamp.validUntil};
    }
    return sums;
}

std::optional<VerifiedRelease> verifyRelease(std::string manifest, std::string sums, std::string signature,
                                             const PublicKey& key, std::string& why) {
    if (!sodiumReady()) {
        why = "libsodium could not start";
        return std::nullopt;
    }
    if (signature.size() != kSignatureSize) {
        why = "Update.sig holds " + std::to_string(signature.size()) + " bytes, not a signature";
        return std::nullopt;
    }
    const std::string signedBytes = manifest + sums;
    if (crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                    reinterpret_cast<const unsigned char*>(signedBytes.data()), signedBytes.size(),
                                    key.data()) != 0) {
        why = "Update.sig does not match Update.upd and Update.sums under this program's key";
        return std::nullopt;
    }
    std::optional<SignedSums> parsed = parseReleaseSums(sums, why);
    if (!parsed) return std::nullopt;
    for (const ManifestEntry& entry : parseManifest(manifest).entries)
        if (!parsed->digests.count(entry.file)) {
            why = "Update.sums has no SHA-256 for " + entry.file;
            return std::nullopt;
        }
    return VerifiedRelease{std::move(manifest), std::move(sums), std::move(signature), std::move(parsed->digests),
                           std::move(parsed->stamp)};
}

std::string stampRefusal(const VerifiedRelease& release, std::string_view platform,
                         std::optional<std::uint64_t> installed, std::chrono::sys_days day) {
    if (!release.stamp) return "Update.sums has no release number: signed before releases were numbered";
    const ReleaseStamp& stamp = *release.stamp;
    const std::string name = "release " + std::to_string(stamp.number);
    if (stamp.platform != platform) return name + " is for " + stamp.platform + ", not " + std::string(platform);
    if (installed && stamp.number < *installed)
        return name + " is older than release " + std::to_string(*installed) + ", installed already";
    if (day > stamp.validUntil) return name + " was valid until " + dateText(stamp.validUntil) + " and has expired";
    return {};
}

std::string signRelease(std::string_view manifest, std::string_view sums, const SecretKey& key) {
    if (!sodiumReady()) return {};
    std::string signedBytes;
    signedBytes.reserve(manifest.size() + sums.size());
    signedBytes.append(manifest).append(sums);
    std::string signature(kSignatureSize, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(signedBytes.data()), signedBytes.size(), key.data());
    return signature;
}

bool writeKeyPair(const fs::path& folder, std::string& why) {
    if (!sodiumReady()) {
        why = "libsodium could not start";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path publicFile = folder / kPublicKeyFile, secretFile = folder / kSecretKeyFile;
    for (const fs::path& file : {publicFile, secretFile})
        if (fs::exists(file, ec)) {
            why = file.string() + " already exists; a key pair is never replaced";
            return false;
        }
    PublicKey publicKey{};
    SecretKey secretKey{};
    crypto_sign_keypair(publicKey.data(), secretKey.data());
    const bool written = writeTextFile(secretFile, toHex(secretKey) + "\n", true) &&
                         writeTextFile(publicFile, toHex(publicKey) + "\n", false);
    sodium_memzero(secretKey.data(), secretKey.size());
    if (!written) why = "cannot write the key files into " + folder.string();
    return written;
}

std::optional<SecretKey> readSecretKey(const fs::path& file, std::string& why) {
    if (!sodiumReady()) {
        why = "libsodium could not start";
        return std::nullopt;
    }
    const std::optional<std::string> text = readSmallFile(file);
    std::optional<SecretKey> key = text ? fromHex<64>(*text) : std::nullopt;
    if (!key) {
        why = file.string() + " is not a secret key file";
        return std::nullopt;
    }
    // The key holds its seed and its public half: both must belong together.
    PublicKey publicKey{};
    SecretKey rebuilt{};
    crypto_sign_seed_keypair(publicKey.data(), rebuilt.data(), key->data());
    const bool whole = sodium_memcmp(rebuilt.data(), key->data(), rebuilt.size()) == 0;
    sodium_memzero(rebuilt.data(), rebuilt.size());
    if (!whole) {
        why = file.string() + " is not a secret key file";
        return std::nullopt;
    }
    return key;
}

PublicKey publicHalf(const SecretKey& key) {
    PublicKey publicKey{};
    crypto_sign_ed25519_sk_to_pk(publicKey.data(), key.data());
    return publicKey;
}

namespace {
std::optional<PublicKey>& installedKey() {
    static std::optional<PublicKey> key;
    return key;
}
}  // namespace

void setReleaseKey(std::optional<PublicKey> key) { installedKey() = key; }
const std::optional<PublicKey>& releaseKey() { return installedKey(); }

}  // namespace varnel
