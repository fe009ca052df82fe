#pragma once
// What the engine asks of the operating system. Each platform folder
// (linux/, win/) implements these; the engine never tests the platform itself.

#include <filesystem>
#include <memory>

#include "platform/registry_backend.h"

namespace varnel::platform {

// The full path of the running program file.
std::filesystem::path executablePath();

// The current user's registry.
std::unique_ptr<RegistryBackend> createRegistryBackend();

// The separator of folder paths in places ('\\' on Windows, '/' elsewhere).
char placeSeparator();

// Whether places have "/" rewritten to the platform separator before they are
// written into the Places Bar (Windows only: there "/" is a foreign separator).
bool rewritesForwardSlashes();

}  // namespace varnel::platform
