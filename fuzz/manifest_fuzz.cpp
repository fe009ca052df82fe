// Fuzz target: the manifest reader and the check that keeps a manifest's
// paths inside the program folder. Whatever the manifest holds, no path that
// passes the check leads out of the folder, and every line the release
// builder writes reads back as the file and version it was made from.
#include "core/program_folder.h"
#include "fuzz_support.h"
#include "update/manifest.h"
#include "update/update_paths.h"

using namespace varnel;
using fuzz::fail;

namespace {

bool inside(const std::filesystem::path& folder, const std::filesystem::path& target) {
    const auto rel = target.lexically_normal().lexically_relative(folder.lexically_normal());
    if (rel.empty() || rel == ".") return false;
    for (const auto& part : rel)
        if (part == "..") return false;
    return true;
}

// A file and version the release builder can write: what a folder walk and a
// version text can hold.
bool writable(const std::string& file, const std::string& version) {
    auto clean = [](const std::string& s) {
        return s.find_first_of("\t|\r\n") == std::string::npos && (s.empty() || (s.front() != ' ' && s.back() != ' '));
    };
    return !file.empty() && file != "Message" && clean(file) && clean(version) &&
           version.find(file) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto folder = fuzz::scratchFolder() / "program";
    static const bool made = [&] {
        for (const char* sub : {"Db", "Build/Icon", "Language", "Temp"}) std::filesystem::create_directories(folder / sub);
        setProgramFolder(folder);
        return true;
    }();
    (void)made;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Manifest manifest = parseManifest(input);
    if (manifest.message && manifest.message->find_first_of("\t|\n") != std::string::npos)
        fail("the message kept a TAB, \"|\" or line break", *manifest.message);
    for (const ManifestEntry& entry : manifest.entries) {
        if (entry.file == "Message") fail("a Message line became a file entry", input);
        if ((entry.file + entry.version).find_first_of("\t|\n") != std::string::npos)
            fail("an entry kept a TAB, \"|\" or line break", entry.file + "|" + entry.version);
        if (isSafeRelativePath(entry.file) && !inside(folder, programPath(entry.file)))
            fail("a manifest path passed the check but leads out of the program folder", entry.file);
        if (writable(entry.file, entry.version)) {
            const Manifest line = parseManifest(manifestLine(entry.file, entry.version));
            if (line.entries.size() != 1 || line.entries[0].file != entry.file ||
                line.entries[0].version != entry.version || line.message)
                fail("a line of the release builder reads back differently", entry.file + "|" + entry.version);
        }
    }
    return 0;
}
