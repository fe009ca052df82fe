#pragma once
// The maker's side of signed releases: "genkey <folder>" makes a key pair,
// "makeversion1 <secret key file>" signs the release it builds with
// Update.sums and Update.sig beside Update.upd, and "signrelease <secret key
// file>" signs it again once the published manifest has been edited.

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

// Deletes Update.sums and Update.sig of an earlier build: they are no part
// of the release's files and must never outlive the manifest they signed.
void removeReleaseProof();

// After the manifest is written: with a key, writes Update.sums and
// Update.sig. Returns what the maker is told beside "Upd file created".
std::string finishRelease(const std::optional<SecretKey>& key);

// "signrelease <secret key file>": signs the Update.upd of the release folder
// as it stands, after the maker raised versions or added a Message line.
// Returns what the maker is told.
std::string signrelease(const std::string& keyFile);

// The usage box's note on the release key this updater checks with.
std::string releaseKeyNote();

}  // namespace varnel::updater
