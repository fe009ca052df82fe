#include "programs/program_bindings.h"

#include <algorithm>

#include "base/text.h"
#include "core/registry.h"
#include "platform/platform.h"

namespace varnel {

bool sameProgram(const std::string& a, const std::string& b) {
    return platform::programNamesIgnoreCase() ? toLowerAscii(a) == toLowerAscii(b) : a == b;
}

bool namesProgram(const std::vector<std::string>& programs, const std::string& program) {
    return std::any_of(programs.begin(), programs.end(), [&](const std::string& p) { return sameProgram(p, program); });
}

std::vector<std::pair<std::string, std::string>> programBindings() {
    std::vector<std::pair<std::string, std::string>> bindings;
    for (const NamedValue& value : listValues(HKEY_CURRENT_USER, kProgramsKey)) {
        const std::string* group = value.value ? std::get_if<std::string>(&*value.value) : nullptr;
        if (group && !value.name.empty()) bindings.emplace_back(value.name, *group);
    }
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
        // A program given now is written again under the name given now.
        if (namesProgram(programs, program) || binding.second == group)
            deleteRegistryValue(HKEY_CURRENT_USER, kProgramsKey, program);
    }
    for (const std::string& program : programs) writeRegistryText(HKEY_CURRENT_USER, kProgramsKey, program, group);
}

void forgetProgramsOfGroup(const std::string& group) { setProgramsOfGroup(group, {}); }

}  // namespace varnel
