#pragma once
// The main program's side of an update: which files of the manifest are
// newer than the installed ones, and the roll-back of a cancelled batch. The
// update window implements UpdateWindowView; the engine reaches it only
// through that interface.

#include <functional>
#include <string>
#include <vector>

namespace varnel {

// Asks a running download to stop; set by Cancel, the window's close button
// and the tray, cleared by Check and Update.
extern bool CancelDownload;

// The download list: manifest paths and their versions, same indexes. Kept
// as they were when a check selects nothing.
extern std::vector<std::string> UpdateFiles;
extern std::vector<std::string> UpdateVersions;

// The update window `frmUpdate` as the engine drives it.
class UpdateWindowView {
public:
    virtual ~UpdateWindowView() = default;
    virtual void showMessage(const std::string& text) = 0;  // lblMessage visible with the text
    virtual void hideMessage() = 0;
    virtual void showStatus(const std::string& text) = 0;   // lblUpdate visible with the text
    virtual void setCheckEnabled(bool enabled) = 0;         // btnCheck
    virtual void setUpdateEnabled(bool enabled) = 0;        // btnUpdate
    virtual void setCancelEnabled(bool enabled) = 0;        // btnCancel
    // The alert box with a language text; returns when the user closed it.
    virtual void showAlert(const std::string& text) = 0;
    virtual void unload() = 0;
};

// How the engine gets the window: the loader loads it when it is not loaded.
// Without a loader every call goes to a window that ignores it.
void setUpdateWindowLoader(std::function<UpdateWindowView*()> loader);
UpdateWindowView& updateWindow();

// Reads Update.upd in the program folder, rebuilds the download list from
// the entries whose version is newer than the installed one and shows the
// outcome on the update window. Paths that would leave the program folder
// are refused with one error-log line each.
void readUpdateFile();

// True when tbl_Update lists `file` and its stored version comes before `version`.
bool checkVersion(const std::string& file, const std::string& version);

// Deletes the downloaded main program and database from Temp (their rows
// back to '1'), tells the user, puts every backup in Temp back in its place
// with version '1' and closes the update window.
void cancelUpdate();

// The error-log line of a refused manifest path: label, 75, the description, the path.
std::string refusedPathLine(const std::string& label, const std::string& path);

}  // namespace varnel
