// Fuzz target: the names an update gives files. A backup name leads back to
// the file it was made from (names without "&" keep their old form, which
// older roll-backs rely on), and the version order is a proper order.
#include "base/text.h"
#include "fuzz_support.h"
#include "update/update_paths.h"
#include "update/version_order.h"

using namespace varnel;
using fuzz::fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto texts = fuzz::fields(data, size, 3);
    for (const std::string& path : texts) {
        if (!isSafeRelativePath(path)) continue;
        const std::string backup = backupName(path);
        if (restoredPath(backup) != path) fail("a backup name restores to another file", path);
        if (path.find('&') == std::string::npos && backup != replaceAll(path, "\\", "&"))
            fail("a backup name changed its old form", path);
        if (path.find('\\') != std::string::npos && backup.find('&') == std::string::npos)
            fail("the backup of a file in a sub-folder is not marked as one", path);
    }
    for (std::size_t i = 0; i + 2 < texts.size() || i == 0; ++i) {
        const std::string& a = texts[i];
        const std::string& b = texts[i + 1];
        const std::string& c = texts[i + 2];
        if (versionComesBefore(a, a)) fail("a version comes before itself", a);
        if (versionComesBefore(a, b) && versionComesBefore(b, a)) fail("two versions come before each other", a + "|" + b);
        if (versionComesBefore(a, b) && versionComesBefore(b, c) && !versionComesBefore(a, c))
            fail("the version order is not transitive", a + "|" + b + "|" + c);
        if (a.size() < b.size() && b.compare(0, a.size(), a) == 0 && !versionComesBefore(a, b))
            fail("a version does not come before the longer version it begins", a + "|" + b);
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t k = 0; k < n; ++k) {
            if (a[k] == b[k]) continue;
            if (versionComesBefore(a, b) != (static_cast<unsigned char>(a[k]) < static_cast<unsigned char>(b[k])))
                fail("versions are not ordered by their first differing character", a + "|" + b);
            break;
        }
    }
    return 0;
}
