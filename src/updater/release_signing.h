#pragma once
// The maker's side of signed releases: "genkey <folder>" makes a key pair,
// "makeversion1 <secret key file>" signs the release it builds with
// Update.sums and Update.sig beside Update.upd, and "signrelease <secret key
// file>" signs it again once the published manifest has been edited, or to
// renew its last valid day.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "update/release_signature.h"

namespace varnel::updater {

// Writes a key pair into `folder` (relative to the working folder); the text
// the updater shows afterwards says where, or why not.
std::string genkey(const std::string& folder);

// The secret key for makeversion1, read before anything of the release is
// touched. A key inside the release folder is refused: it would be published.
std::optional<SecretKey> releaseSigningKey(const std::string& keyFile, std::string& why);

// The release number in the release folder's Update.sums, if it has one:
// read before an earlier build's proof is removed, so the next number is higher.
std::optional<std::uint64_t> previousReleaseNumber();

// Deletes Update.sums and Update.sig of an earlier build: they are no part
// of the release's files and must never outlive the manifest they signed.
void removeReleaseProof();

// After the manifest is written: with a key, writes Update.sums, stamped
// with the next release number, this build's platform and a last valid day
// 90 days ahead, and Update.sig. Returns what the maker is told beside
// "Upd file created".
std::string finishRelease(const std::optional<SecretKey>& key, std::optional<std::uint64_t> previousRelease);

// "signrelease <secret key file>": signs the Update.upd of the release folder
// as it stands, after the maker raised versions or added a Message line, as
// a new release valid for another 90 days. Returns what the maker is told.
std::string signrelease(const std::string& keyFile);

// The usage box's note on the release key this updater checks with.
std::string releaseKeyNote();

}  // namespace varnel::updater
