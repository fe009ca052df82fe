// Fuzz target: any store text, once read, is written so that reading it
// again gives the same keys and values (nothing lost, nothing made up).
#include "fuzz_support.h"
#include "platform/linux/reg_text.h"

using namespace varnel;
using fuzz::fail;
using platform::RegKeyNode;

namespace {

void compareTrees(const RegKeyNode& a, const RegKeyNode& b, const std::string& path, const std::string& input) {
    if (a.name != b.name) fail("a key name changed on its way through the file: " + path, input);
    if (a.values.size() != b.values.size()) fail("the values of a key changed: " + path, input);
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        const auto& x = a.values[i];
        const auto& y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data)
            fail("value \"" + fuzz::printable(x.name) + "\" of " + path + " changed", input);
    }
    if (a.subKeys.size() != b.subKeys.size()) fail("the sub-keys of a key changed: " + path, input);
    for (auto i = a.subKeys.begin(), j = b.subKeys.begin(); i != a.subKeys.end(); ++i, ++j)
        compareTrees(*i->second, *j->second, path + "\\" + fuzz::printable(i->second->name), input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    RegKeyNode read;
    platform::parseRegFile(input, read);
    const std::string written = platform::formatRegFile(read);
    RegKeyNode again;
    if (!platform::parseRegFile(written, again)) fail("the store cannot read the text it wrote", input);
    compareTrees(read, again, "HKEY_CURRENT_USER", input);
    if (platform::formatRegFile(again) != written) fail("writing the same tree twice gave two texts", input);
    return 0;
}
