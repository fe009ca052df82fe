#pragma once
// Signed releases: the SHA-256 of every file of a release in Update.sums, an
// Ed25519 signature over Update.upd followed by Update.sums in Update.sig,
// and the key pairs a publisher signs with.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

using Sha256Digest = std::array<unsigned char, 32>;
using PublicKey = std::array<unsigned char, 32>;
using SecretKey = std::array<unsigned char, 64>;
inline constexpr size_t kSignatureSize = 64;

inline constexpr const char* kSumsFile = "Update.sums";
inline constexpr const char* kSignatureFile = "Update.sig";
inline constexpr const char* kPublicKeyFile = "public.key";
inline constexpr const char* kSecretKeyFile = "secret.key";

// SHA-256 of data that arrives in pieces (a download, a file read in blocks).
class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;
    void add(const void* data, size_t size);
    Sha256Digest finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest of a whole file; nothing when it cannot be read.
std::optional<Sha256Digest> sha256OfFile(const std::filesystem::path& file);

std::string toHex(const unsigned char* bytes, size_t size);
template <size_t N>
std::string toHex(const std::array<unsigned char, N>& bytes) {
    return toHex(bytes.data(), N);
}
// Exactly 2*N hex digits (either case); blanks and line ends around them allowed.
bool fromHex(std::string_view text, unsigned char* out, size_t size);
template <size_t N>
std::optional<std::array<unsigned char, N>> fromHex(std::string_view text) {
    std::array<unsigned char, N> bytes{};
    if (!fromHex(text, bytes.data(), N)) return std::nullopt;
    return bytes;
}

// What a release says about itself, in three lines at the top of
// Update.sums ("Release: 20261208143000", "Platform: Linux", "Valid-Until:
// 2027-03-08"). Being signed, they let a copy refuse an older release than
// the one it installed, another platform's, and one a mirror keeps serving
// past its last valid day (UTC). Update.upd stays as older copies read it.
struct ReleaseStamp {
    std::uint64_t number = 0;  // grows with every release the publisher signs
    std::string platform;      // "Linux" or "Windows"
    std::chrono::sys_days validUntil{};
};
std::string stampLines(const ReleaseStamp& stamp);
std::string dateText(std::chrono::sys_days day);  // "YYYY-MM-DD"
std::chrono::sys_days todayUtc();

// Update.sums: the stamp, then one line per file of the manifest, the SHA-256
// in lower-case hex, two blanks, the manifest path, CR LF.
std::string sumsLine(const Sha256Digest& digest, const std::string& file);
using ReleaseSums = std::map<std::string, Sha256Digest>;
struct SignedSums {
    ReleaseSums digests;
    std::optional<ReleaseStamp> stamp;  // none in a release signed before stamps
};
// Reads Update.sums strictly: any line out of form, a stamp line twice or a
// stamp without all three lines, or a path listed twice with two digests,
// makes the whole file unusable (`why` says which line).
std::optional<SignedSums> parseReleaseSums(std::string_view text, std::string& why);

// A release whose signature and sums held under the program's key.
struct VerifiedRelease {
    std::string manifest, sums, signature;  // the exact bytes that were verified
    ReleaseSums digests;
    std::optional<ReleaseStamp> stamp;
};
// Checks the signature over manifest + sums and that every file the manifest
// names has a digest. Nothing, and the reason in `why`, when anything fails.
std::optional<VerifiedRelease> verifyRelease(std::string manifest, std::string sums, std::string signature,
                                             const PublicKey& key, std::string& why);

// Why a copy for `platform` that installed release `installed` last (none
// before its first) may not install `release` on `day`; empty when it may.
// A release without a stamp is older than every stamped one, so it is
// refused even before the first install.
std::string stampRefusal(const VerifiedRelease& release, std::string_view platform,
                         std::optional<std::uint64_t> installed, std::chrono::sys_days day);

// The detached signature over manifest + sums.
std::string signRelease(std::string_view manifest, std::string_view sums, const SecretKey& key);

// Writes public.key and secret.key (hex text) into `folder`; never replaces
// an existing secret key. The secret key file is readable by its owner only.
bool writeKeyPair(const std::filesystem::path& folder, std::string& why);
std::optional<SecretKey> readSecretKey(const std::filesystem::path& file, std::string& why);
PublicKey publicHalf(const SecretKey& key);

// The key the running program verifies releases with, installed by its
// main() from the key compiled into it; none in a build without a key, where
// updates are installed unverified.
void setReleaseKey(std::optional<PublicKey> key);
const std::optional<PublicKey>& releaseKey();

}  // namespace varnel
