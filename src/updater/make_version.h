#pragma once
// The release builder behind "makeversion1": run in the folder that holds a
// release, it gives every file of the release a row with version '1' in the
// release database's tbl_Update and writes the manifest Update.upd with one
// line per file.

#include <memory>
#include <string>
#include <vector>

namespace varnel {

// The builder one file at a time, so that the updater's window stays alive
// between files of a large release. Lists the release's files (three folder
// levels deep, then the folder's own files; the program's own logs are no
// part of a release) when it is made. The caller has emptied both tables and
// deleted the old manifest.
class ReleaseBuilder {
public:
    ReleaseBuilder();
    ~ReleaseBuilder();
    ReleaseBuilder(const ReleaseBuilder&) = delete;
    ReleaseBuilder& operator=(const ReleaseBuilder&) = delete;

    // Adds the next file's line and row; false when none was left.
    bool addNextFile();
    // Ends the rows in one transaction, writes Update.upd and returns the text it wrote.
    std::string finish();

private:
    class Database;
    std::vector<std::string> files_;
    size_t next_ = 0;
    std::string buffer_;
    std::unique_ptr<Database> db_;
};

// The whole build in one call.
std::string makeVersion();

}  // namespace varnel
