#include "core/log.h"

#include <filesystem>
#include <fstream>

#include "core/program_folder.h"
#include "core/runtime_error.h"

namespace varnel {

bool TraceOn = false;

namespace {

void appendLine(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) return;
    out << text << "\r\n";
}

}  // namespace

void logError(const std::string& line) { appendLine(programPath("Error.log"), line); }

void logTrace(const std::string& line) {
    if (!TraceOn) return;
    appendLine(programPath("loggaren.log"), line);
}

std::string errorLine(const std::string& label, int number, const std::string& description) {
    return label + "\t" + std::to_string(number) + "\t" + description;
}

void logPlatformProblem(const platform::Problem& problem) {
    logError(errorLine(problem.label, problem.number, problem.description) + "\t" + problem.detail);
}

void logCaught(const std::string& label) {
    CaughtError e = describeCurrentException();
    logError(errorLine(label, e.number, e.description));
}

}  // namespace varnel
