#pragma once
// Which programs use which group: the user's settings, one REG_SZ value per
// program under the settings' Programs key (value name = the program, data =
// the group).

#include <string>
#include <utility>
#include <vector>

namespace varnel {

inline constexpr const char* kProgramsKey = "Software\\Varnel\\VarnelZize\\Programs";

// The program in front as the platform names it, for finding its group.
struct ProgramInFront {
    // The names a binding may use: the executable's file name, and on Linux
    // the window's WM_CLASS instance and class. Empty when nobody's program
    // is in front.
    std::vector<std::string> names;
    // Leave the group as it is: the program's own windows, the desktop and
    // panels, no active window, a file dialog another process shows.
    bool leaveAlone = false;
    bool operator==(const ProgramInFront&) const = default;
};

// Every binding, program and group, in the store's order.
std::vector<std::pair<std::string, std::string>> programBindings();
// The programs bound to `group`.
std::vector<std::string> programsOfGroup(const std::string& group);
// The binding of `program`: the name it is bound by, and the group; both ""
// for none. Program names compare as the platform compares file names
// (without regard to case on Windows).
std::pair<std::string, std::string> bindingOf(const ProgramInFront& program);
// Binds exactly `programs` to `group` (none: the group has no programs); a
// program bound to another group moves to this one.
void setProgramsOfGroup(const std::string& group, const std::vector<std::string>& programs);
// Takes every binding to `group` away (the group was deleted).
void forgetProgramsOfGroup(const std::string& group);
// Whether two program names are the same program.
bool sameProgram(const std::string& a, const std::string& b);
// Whether `programs` names `program`.
bool namesProgram(const std::vector<std::string>& programs, const std::string& program);

}  // namespace varnel
