#include "programs/program_bindings.h"

#include <algorithm>

#include "base/text.h"
#include "core/registry.h"
#include "platform/platform.h"

namespace varnel {

namespace {

namespace regtype = platform::regtype;

}  // namespace

bool sameProgram(const std::string& a, const std::string& b) {
    return platform::programNamesIgnoreCase() ? toLowerAscii(a) == toLowerAscii(b) : a == b;
}

std::vector<std::pair<std::string, std::string>> programBindings() {
    std::vector<std::pair<std::string, std::string>> bindings;
    platform::RegistryBackend& registry = registryBackend();
    HKey key = 0;
    if (registry.openKey(HKEY_CURRENT_USER, kProgramsKey, &key) != platform::regerr::Success) return bindings;
    for (std::uint32_t index = 0;; ++index) {
        std::string program;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (registry.enumValue(key, index, &program, &type, &data) != platform::regerr::Success) break;
        if (type != regtype::Sz || program.empty()) continue;
        std::string group(data.begin(), data.end());
        group.erase(std::find(group.begin(), group.end(), '\0'), group.end());
        bindings.emplace_back(program, group);
    }
    registry.closeKey(key);
    return bindings;
}

std::vector<std::string> programsOfGroup(const std::string& group) {
    std::vector<std::string> programs;
    for (const auto& [program, bound] : programBindings())
        if (bound == group) programs.push_back(program);
    return programs;
}

std::pair<std::string, std::string> bindingOf(const ProgramInFront& program) {
    const auto bindings = programBindings();
    for (const std::string& name : program.names)
        for (const auto& [bound, group] : bindings)
            if (sameProgram(bound, name)) return {bound, group};
    return {};
}

void setProgramsOfGroup(const std::string& group, const std::vector<std::string>& programs) {
    RegistryChangeBatch batch;
    for (const auto& binding : programBindings()) {
        const std::string& program = binding.first;
        const bool stays = std::any_of(programs.begin(), programs.end(),
                                       [&](const std::string& p) { return sameProgram(p, program); });
        // A program given now is written again under the name given now.
        if (stays || binding.second == group) deleteRegistryValue(HKEY_CURRENT_USER, kProgramsKey, program);
    }
    for (const std::string& program : programs) writeRegistryText(HKEY_CURRENT_USER, kProgramsKey, program, group);
}

void forgetProgramsOfGroup(const std::string& group) { setProgramsOfGroup(group, {}); }

}  // namespace varnel
