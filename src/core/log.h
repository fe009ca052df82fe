#pragma once
// Error.log and loggaren.log in the program folder. Each call appends one
// line (the caller's text and CR LF) and closes the file again, so a line is
// on disk when the call returns. A line that cannot be written is dropped:
// logging never stops the caller.

#include <string>

#include "platform/problem_report.h"

namespace varnel {

// True when the main program was started with the switch "loggaren".
extern bool TraceOn;

void logError(const std::string& line);
void logTrace(const std::string& line);

// "label", TAB, number, TAB, description: the common error-log line.
std::string errorLine(const std::string& label, int number, const std::string& description);

// Writes a problem the platform layer reports as its error-log line: the
// common line, TAB, what happened.
void logPlatformProblem(const platform::Problem& problem);

// Writes the error-log line for the exception being handled; call from a catch block.
void logCaught(const std::string& label);

// Runs one step of a guarded procedure: a failure writes its error-log line
// under `label` and the caller goes on with its next step.
template <typename Step>
bool guarded(const std::string& label, Step&& step) {
    try {
        step();
        return true;
    } catch (...) {
        logCaught(label);
        return false;
    }
}

}  // namespace varnel
