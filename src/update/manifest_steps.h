#pragma once
// The main program's side of an update: which files of the manifest are
// newer than the installed ones, and the roll-back of a cancelled batch. The
// update window implements UpdateWindowView; the engine reaches it only
// through that interface.

#include <optional>
#include <string>
#include <vector>

namespace varnel {

// The download list: manifest paths and their versions, same indexes.
struct DownloadList {
    std::vector<std::string> files;
    std::vector<std::string> versions;
};

// The update window as the engine drives it.
class UpdateWindowView {
public:
    virtual ~UpdateWindowView() = default;
    virtual void showMessage(const std::string& text) = 0;  // the server's message shown
    virtual void hideMessage() = 0;
    virtual void showStatus(const std::string& text) = 0;   // the status line shown
    virtual void setCheckEnabled(bool enabled) = 0;
    virtual void setUpdateEnabled(bool enabled) = 0;
    virtual void setCancelEnabled(bool enabled) = 0;
    // The alert box with a language text; returns when the user closed it.
    virtual void showAlert(const std::string& text) = 0;
    virtual void unload() = 0;
};

// Reads Update.upd in the program folder, builds the download list from the
// entries whose version is newer than the installed one and shows the
// outcome on `window`. Paths that would leave the program folder are refused
// with one error-log line each. Returns the list when it selected files;
// when it selected nothing the window keeps the list it had.
std::optional<DownloadList> readManifestFile(UpdateWindowView& window);

// True when tbl_Update lists `file` and its stored version comes before `version`.
bool checkVersion(const std::string& file, const std::string& version);

// Deletes the downloaded main program and database from Temp (their rows
// back to '1'), tells the user, puts every backup in Temp back in its place
// with version '1' and closes the update window.
void cancelUpdate(UpdateWindowView& window);

// The first step of cancelUpdate on its own, for a batch that ends without
// the updater: the main program and database waiting in Temp are deleted and
// their rows go back to '1'.
void discardWaitingUpdate();

// The error-log line of a refused manifest path: label, 75, the description, the path.
std::string refusedPathLine(const std::string& label, const std::string& path);

}  // namespace varnel
