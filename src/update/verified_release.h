#pragma once
// What a signed release vouches for once the program has a release key: the
// files a batch downloads, and the main program and database that wait in
// Temp until the updater moves them into place. Without a key none of these
// checks runs and updates install as they arrive.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "update/release_signature.h"

namespace varnel {

// The SHA-256 check of one file of a batch while it downloads.
class DownloadDigestCheck {
public:
    DownloadDigestCheck(std::string file, std::optional<Sha256Digest> expected, std::function<void()> onRefused);
    void add(const void* data, size_t size) { hash_.add(data, size); }
    // True when what arrived is the file the verified release lists.
    bool passes();
    // True when the release lists an empty file: nothing arriving is then the whole file.
    bool expectsEmpty() const;
    // Writes the error-log line naming the file, then runs the refusal.
    void refuse() const;

private:
    std::string file_;
    std::optional<Sha256Digest> expected_;
    std::function<void()> onRefused_;
    Sha256Stream hash_;
};

// The check for a manifest file of `release`, the one the last Check
// verified; nothing when the program has no key.
std::unique_ptr<DownloadDigestCheck> downloadCheckFor(const std::string& file,
                                                      const std::optional<VerifiedRelease>& release,
                                                      std::function<void()> onRefused);

// Why this copy may not install a verified release: another platform's, one
// past its last valid day, or one older than the release it installed last
// (stampRefusal). Empty when it may.
std::string installRefusal(const VerifiedRelease& release);

// The highest release number this copy installed, kept in the settings as
// "InstalledRelease"; none before its first signed update.
std::optional<std::uint64_t> installedRelease();
// Keeps the release's number once all its files are in place; never lowers it.
void recordInstalledRelease(const VerifiedRelease& release);

// Leaves the verified Update.upd, Update.sums and Update.sig of `release` in
// Temp, beside the files that wait there, for the updater to check them
// against. Nothing without a key or a release.
void saveVerifiedReleaseForUpdater(const std::optional<VerifiedRelease>& release);

// What waits in Temp for the updater, and the release that vouches for it.
struct WaitingFiles {
    bool verified = true;
    std::vector<std::string> entries;        // manifest paths of the files that wait
    std::optional<VerifiedRelease> release;  // when the program has a key and files wait
};

// The updater's check before it moves Temp's main program and database into
// place: the saved release must verify under the updater's own key, be one
// this copy may install (installRefusal) and list each waiting file's digest.
// When not, the error log names the reason, the waiting files are deleted
// and their versions go back to '1' (the next Check offers them again) and
// `verified` is false: the old files stay.
// The caller lets the main program end first when waitingFilesNeedCheck().
WaitingFiles checkWaitingFiles();
// True when checkWaitingFiles has files to read: the program has a release
// key and files wait in Temp.
bool waitingFilesNeedCheck();

// After the updater's move: the release counts as installed when every file
// that waited now has its place with the release's digest.
void recordWhenInPlace(const WaitingFiles& waiting);

}  // namespace varnel
