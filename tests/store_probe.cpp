// Writes one text value into a registry store file and ends: a writer that a
// test can watch from outside (for example under strace).
//   store_probe <store file> <key path> <value name> <text>
#include <memory>
#include <string>

#include "core/registry.h"
#include "platform/linux/file_registry.h"

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    varnel::setRegistryBackend(std::make_unique<varnel::platform::FileRegistry>(argv[1]));
    varnel::setValue(varnel::HKEY_CURRENT_USER, argv[2], argv[3], std::string(argv[4]));
    return 0;
}
