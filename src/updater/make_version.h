#pragma once
// The release builder behind "makeversion1": run in the folder that holds a
// release, it gives every file of the release a row with version '1' in the
// release database's tbl_Update and writes the manifest Update.upd with one
// line per file.

#include <string>

namespace varnel {

// Lists the release's files (three folder levels deep, then the folder's own
// files; the program's own logs are no part of a release), inserts their rows and writes Update.upd; returns the text it wrote.
// The caller has emptied both tables and deleted the old manifest.
std::string makeVersion();

}  // namespace varnel
