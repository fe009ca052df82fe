#pragma once
// The file steps of a download batch, around each download the update
// window starts: where the new file goes, the old copy's move to Temp and
// its removal once the new file has arrived.

#include <optional>
#include <string>

namespace varnel {

// The update server's base address: the organisation's server when it names
// one, else the settings value "UpdateServer" (REG_SZ) when present, else
// the maker's server. Always ends with "/".
std::string updateServerBase(const std::string& organisationServer = {});

// The address of a manifest path on the server: "\" becomes "/" and each
// folder or file name is percent-encoded, so "#", "?", "%" or a blank in a
// name reach the server as part of the name.
std::string updateFileUrl(const std::string& base, const std::string& file);

// Gets the program folder ready for the download of `file` and returns where
// it goes, relative to the program folder. The old copy of a file in a
// folder moves to Temp under its backup name and the new one takes its
// place; the main program and the database go to Temp and set
// `restartNeeded`. A file of the program folder itself keeps its old copy in
// place: its backup name would hold no "&", so a roll-back could never bring
// it back, and the download replaces it only once complete. A path that
// would leave the program folder is refused (one error-log line, nothing
// touched) and answers nothing.
std::optional<std::string> prepareDestination(const std::string& file, bool& restartNeeded);

// Deletes the backup of a file whose download completed, after giving the
// new file the old copy's permissions (a download arrives as plain data; a
// program or script in a folder must stay executable). Files of the program
// folder itself have none (so the main program's new copy waiting in Temp is
// never taken for one).
void dropBackup(const std::string& file);

}  // namespace varnel
