#pragma once
// A runtime failure as the program reports it: a number and a description,
// written into Error.log by the guard that catches it.

#include <exception>
#include <string>

namespace varnel {

class RuntimeError : public std::exception {
public:
    RuntimeError(int number, std::string description)
        : number_(number), description_(std::move(description)) {}

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

// The error numbers the program raises itself; the numbering follows the
// classic runtime's so that log lines read the same on every platform.
namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int FileExists = 58;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPicture = 481;
}  // namespace err

[[noreturn]] void raiseError(int number);

// Converts any exception escaping a guarded step into number and description.
struct CaughtError {
    int number;
    std::string description;
};
CaughtError describeCurrentException();

}  // namespace varnel
