// Fuzz target: sequences of registry calls from two stores on one file. A
// store must always see what is in the file (as a fresh store reads it), and
// what it writes must read back the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "core/log.h"
#include "core/program_folder.h"
#include "fuzz_support.h"
#include "platform/linux/file_registry.h"

using namespace varnel;
using fuzz::fail;
using platform::FileRegistry;
using platform::HKey;
using platform::RegistryBackend;

namespace {

constexpr HKey kRoot = platform::HKEY_CURRENT_USER_HANDLE;

// Every key with its values, in enumeration order: what a store shows.
void walk(RegistryBackend& reg, HKey key, const std::string& path, std::string& out) {
    out += "[" + path + "]\n";
    for (std::uint32_t i = 0;; ++i) {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (reg.enumValue(key, i, &name, &type, &data) != 0) break;
        out += fuzz::printable(name) + "=" + std::to_string(type) + ":" +
               fuzz::printable(std::string(data.begin(), data.end())) + "\n";
    }
    std::vector<std::string> children;
    for (std::uint32_t i = 0;; ++i) {
        char name[2048];
        if (reg.enumKey(key, i, name, sizeof name) != 0) break;
        children.emplace_back(name);
    }
    for (const auto& child : children) {
        HKey sub = 0;
        if (reg.openKey(key, child, &sub) != 0) {
            out += "(cannot open " + fuzz::printable(child) + ")\n";
            continue;
        }
        walk(reg, sub, path + "\\" + child, out);
        reg.closeKey(sub);
    }
}

std::string view(RegistryBackend& reg) {
    std::string out;
    walk(reg, kRoot, "HKEY_CURRENT_USER", out);
    return out;
}

// Names as the registry calls take them: C strings.
std::string name(FuzzedDataProvider& in, std::size_t most) {
    std::string text = in.ConsumeRandomLengthString(most);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

std::string keyPath(FuzzedDataProvider& in) {
    static const char* const parts[] = {"Software", "software", "Varnel", "VarnelZize", "Office", "12.0", "a", "B"};
    std::string path;
    const int depth = in.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < depth; ++i) {
        if (!path.empty()) path += '\\';
        path += in.ConsumeBool() ? std::string(parts[in.ConsumeIntegralInRange<std::size_t>(0, 7)])
                                 : name(in, 12);
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto folder = fuzz::scratchFolder() / "store";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    setProgramFolder(folder);  // the store's log lines go here
    const auto file = folder / "HKEY_CURRENT_USER.reg";

    FileRegistry stores[2] = {FileRegistry(file), FileRegistry(file)};
    FuzzedDataProvider in(data, size);
    for (int step = 0; step < 48 && in.remaining_bytes() > 0; ++step) {
        FileRegistry& store = stores[in.ConsumeBool() ? 1 : 0];
        {
            FileRegistry fresh(file);
            const std::string seen = view(store), there = view(fresh);
            if (seen != there) fail("a store does not see what another store wrote", seen + "----\n" + there);
        }
        HKey key = 0;
        const std::string path = keyPath(in);
        const bool create = in.ConsumeBool();
        if ((create ? store.createKey(kRoot, path, &key) : store.openKey(kRoot, path, &key)) != 0) continue;
        const std::string valueName = name(in, 10);
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            std::string text = in.ConsumeRandomLengthString(24);
            text.push_back('\0');
            store.setValue(key, valueName, platform::regtype::Sz, reinterpret_cast<const std::uint8_t*>(text.data()),
                           static_cast<std::uint32_t>(text.size()));
            break;
        }
        case 1: {
            const std::uint32_t type = in.ConsumeIntegralInRange<std::uint32_t>(0, 11);
            const auto bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 16));
            store.setValue(key, valueName, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
            break;
        }
        case 2: store.deleteValue(key, valueName); break;
        case 3: store.deleteKey(key, keyPath(in)); break;
        case 4: {
            std::uint32_t type = 0, got = 0;
            store.queryValue(key, valueName, &type, nullptr, &got);
            break;
        }
        }
        if (key != kRoot) store.closeKey(key);
    }
    FileRegistry fresh(file);
    const std::string expected = view(fresh);
    for (auto& store : stores)
        if (view(store) != expected) fail("a store's view differs from the file after the calls");
    if (std::filesystem::exists(file)) {
        std::string text;
        {
            FILE* f = std::fopen(file.c_str(), "rb");
            char buf[4096];
            std::size_t n;
            while (f && (n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
            if (f) std::fclose(f);
        }
        platform::RegKeyNode root;
        if (!platform::parseRegFile(text, root)) fail("the store wrote a file it cannot read", text);
    }
    // Refusing a name the file cannot hold is logged; anything else is a fault.
    std::ifstream log(folder / "Error.log", std::ios::binary);
    for (std::string line; std::getline(log, line);)
        if (line.find(" refused: ") == std::string::npos) fail("the store logged an error", line);
    return 0;
}
