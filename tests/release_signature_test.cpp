#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/test_env.h"
#include "update/release_signature.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

struct ReleaseSignature : ::testing::Test {
    test::TestEnvironment env;
    SecretKey secret{};
    PublicKey key{};
    ReleaseSignature() {
        std::string why;
        EXPECT_TRUE(writeKeyPair(env.path("keys"), why)) << why;
        secret = readSecretKey(env.path("keys/secret.key"), why).value();
        key = fromHex<32>(env.readFile("keys/public.key")).value();
    }
    static std::string sums(const std::vector<std::pair<std::string, std::string>>& files) {
        std::string text;
        for (const auto& [file, content] : files) {
            Sha256Stream hash;
            hash.add(content.data(), content.size());
            text += sumsLine(hash.finish(), file);
        }
        return text;
    }
};

}  // namespace

TEST_F(ReleaseSignature, KeyFilesAreAPairAndNeverReplaced) {
    EXPECT_EQ(publicHalf(secret), key);
    EXPECT_EQ(fs::status(env.path("keys/secret.key")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    const std::string before = env.readFile("keys/secret.key");
    std::string why;
    EXPECT_FALSE(writeKeyPair(env.path("keys"), why));
    EXPECT_NE(why.find("already exists"), std::string::npos);
    EXPECT_EQ(env.readFile("keys/secret.key"), before);

    // A secret key whose public half was changed is no key.
    std::string broken = before;
    broken[100] = broken[100] == '0' ? '1' : '0';
    env.writeFile("broken.key", broken);
    EXPECT_FALSE(readSecretKey(env.path("broken.key"), why));
    EXPECT_FALSE(readSecretKey(env.path("keys/public.key"), why));
}

TEST_F(ReleaseSignature, DigestsAreSha256OfTheWholeFile) {
    // FIPS 180-2's test vector, fed in pieces and as a file.
    Sha256Stream hash;
    hash.add("a", 1);
    hash.add("bc", 2);
    EXPECT_EQ(toHex(hash.finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    env.writeFile("abc.txt", "abc");
    EXPECT_EQ(toHex(sha256OfFile(env.path("abc.txt")).value()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_FALSE(sha256OfFile(env.path("missing.txt")));
}

TEST_F(ReleaseSignature, OnlyTheSignedBytesUnderTheRightKeyVerify) {
    const std::string manifest = "Data\\a.txt\t|\t1\r\nVarnel_Zize\t|\t1\r\n\r\n";
    const std::string sumsText = sums({{"Data\\a.txt", "a"}, {"Varnel_Zize", "program"}});
    const std::string signature = signRelease(manifest, sumsText, secret);
    std::string why;
    const auto release = verifyRelease(manifest, sumsText, signature, key, why);
    ASSERT_TRUE(release) << why;
    EXPECT_EQ(release->digests.size(), 2u);
    EXPECT_EQ(sumsText.substr(64, 14), "  Data\\a.txt\r\n");

    // (A raised version and another key are refused end to end in signed_update_test.)
    const std::string moreSums = sumsText + sumsLine(Sha256Digest{}, "Extra.txt");
    // The manifest without a line of sums, properly signed all the same.
    const std::string unlisted = manifest + "Extra.txt\t|\t1\r\n";
    const std::string unlistedSignature = signRelease(unlisted, sumsText, secret);
    // Release stamps the signer never writes, signed all the same.
    const std::string halfStamp = "Release: 7\r\nValid-Until: 2027-03-08\r\n" + sumsText;
    const std::string badDay = "Release: 7\r\nPlatform: Linux\r\nValid-Until: 2027-02-30\r\n" + sumsText;
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> refused{
        {manifest, moreSums, signature, "does not match"},
        {manifest, sumsText, signature.substr(0, 63), "63 bytes"},
        {unlisted, sumsText, unlistedSignature, "no SHA-256 for Extra.txt"},
        {manifest, halfStamp, signRelease(manifest, halfStamp, secret), "no Platform line"},
        {manifest, badDay, signRelease(manifest, badDay, secret), "line 3 is not \"Valid-Until: YYYY-MM-DD\""},
    };
    for (const auto& [m, s, sig, reason] : refused) {
        why.clear();
        EXPECT_FALSE(verifyRelease(m, s, sig, key, why));
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
}

TEST_F(ReleaseSignature, RandomBytesAsSignatureOrSumsNeverVerify) {
    const std::string manifest = "Data\\a.txt\t|\t1\r\n";
    const std::string sumsText = sums({{"Data\\a.txt", "a"}});
    const std::string signature = signRelease(manifest, sumsText, secret);
    std::mt19937 random(20261208);
    auto bytes = [&](size_t size) {
        std::string text(size, '\0');
        for (char& c : text) c = static_cast<char>(random());
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string why;
        const std::string noise = bytes(random() % 3 == 0 ? kSignatureSize : random() % 300);
        EXPECT_FALSE(verifyRelease(manifest, sumsText, noise, key, why));
        EXPECT_FALSE(verifyRelease(manifest, noise, signature, key, why));
        // Sums that look right but are not what was signed.
        std::string mutated = sumsText;
        mutated[random() % mutated.size()] ^= static_cast<char>(1 + random() % 255);
        EXPECT_FALSE(verifyRelease(manifest, mutated, signature, key, why));
        parseReleaseSums(noise, why);
        parseReleaseSums(mutated, why);
    }
}
