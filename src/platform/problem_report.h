#pragma once
// A problem the platform layer met and went on from. The error log belongs to
// the engine above this layer, so the platform hands the problem to whatever
// the engine gave it, and the engine writes it as one error-log line.

#include <functional>
#include <string>

namespace varnel::platform {

struct Problem {
    std::string label;        // the log label, e.g. "RegistryStore"
    int number = 0;           // the error number of the line
    std::string description;  // that number's text
    std::string detail;       // what happened, after the description
};

using ProblemReport = std::function<void(const Problem&)>;

}  // namespace varnel::platform
