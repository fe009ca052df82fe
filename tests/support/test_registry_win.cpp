#include <cstdlib>
#include <stdexcept>
#include <string>

#include "core/registry.h"
#include "platform/win/win_registry.h"
#include "support/test_env.h"

// Last: its HKEY_CURRENT_USER macro would hide the engine's constant.
#include <windows.h>

namespace varnel::test {

namespace {

// The tests run in a Wine prefix (or a Windows account) of their own, so the
// current user's hive is theirs: clearing what the tests write gives every
// test an empty tree while keeping what Windows itself keeps there.
void clearTestKeys() {
    for (const char* key : {"Software\\VarnelTest", "Software\\Varnel", "Software\\Microsoft\\Office",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32",
                            "Software\\Missing", "Software\\NoSuchKey"})
        RegDeleteTreeA(HKEY_CURRENT_USER, key);
    // The parent that an apply leaves behind, unless something else lives in it.
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies");
    HKEY explorer = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", &explorer) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(explorer, "Kept");
        RegCloseKey(explorer);
    }
}

}  // namespace

void installTestRegistry(const std::filesystem::path&) {
    // Clearing the keys in someone's real account would lose their settings
    // and Office places: only a hive made for the tests may be cleared.
    const char* privateHive = std::getenv("VARNEL_TEST_PRIVATE_HIVE");
    if (!privateHive || std::string(privateHive) != "1")
        throw std::runtime_error("The registry tests clear keys of the current user's hive: run them in a "
                                 "Wine prefix or Windows account of their own, with VARNEL_TEST_PRIVATE_HIVE=1 "
                                 "(scripts/wine-run.sh does both)");
    clearTestKeys();
    setRegistryBackend(std::make_unique<platform::WinRegistry>());
}

void removeTestRegistry() { setRegistryBackend(nullptr); }

}  // namespace varnel::test
