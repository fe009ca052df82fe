#pragma once
// What a signed release vouches for once the program has a release key: the
// files a batch downloads, and the main program and database that wait in
// Temp until the updater moves them into place. Without a key none of these
// checks runs and updates install as they arrive.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "update/release_signature.h"

namespace varnel {

// The release the last Check verified; cleared when a Check starts.
void setVerifiedRelease(std::optional<VerifiedRelease> release);
const std::optional<VerifiedRelease>& verifiedRelease();

// The SHA-256 check of one file of a batch while it downloads.
class DownloadDigestCheck {
public:
    DownloadDigestCheck(std::string file, std::optional<Sha256Digest> expected, std::function<void()> onRefused);
    void add(const void* data, size_t size) { hash_.add(data, size); }
    // True when what arrived is the file the verified release lists.
    bool passes();
    // Writes the error-log line naming the file, then runs the refusal.
    void refuse() const;

private:
    std::string file_;
    std::optional<Sha256Digest> expected_;
    std::function<void()> onRefused_;
    Sha256Stream hash_;
};

// The check for a manifest file of the verified release; nothing when the
// program has no key.
std::unique_ptr<DownloadDigestCheck> downloadCheckFor(const std::string& file, std::function<void()> onRefused);

// Leaves the verified Update.upd, Update.sums and Update.sig in Temp, beside
// the files that wait there, for the updater to check them against.
void saveVerifiedReleaseForUpdater();

// The updater's check before it moves Temp's main program and database into
// place: the saved release must verify under the updater's own key and each
// waiting file must have its digest. When not, the error log names the
// reason, the waiting files are deleted and their versions go back to '1'
// (the next Check offers them again) and the answer is false: the old files stay.
// Waits while `mainProgramRunning` answers true before it reads anything.
bool waitingFilesVerified(const std::function<bool()>& mainProgramRunning);

}  // namespace varnel
