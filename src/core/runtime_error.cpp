#include "core/runtime_error.h"

#include <cerrno>
#include <filesystem>
#include <new>

namespace varnel {

namespace {

std::string standardDescription(int number) {
    switch (number) {
    case err::InvalidCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case 7: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::FileNotFound: return "File not found";
    case err::FileAlreadyOpen: return "File already open";
    case err::FileExists: return "File already exists";
    case err::PermissionDenied: return "Permission denied";
    case err::PathFileAccess: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    case err::InvalidPicture: return "Invalid picture";
    default: return "Application-defined or object-defined error";
    }
}

int numberForErrno(int e) {
    switch (e) {
    case ENOENT: return err::FileNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return err::PermissionDenied;
    case EEXIST: return err::FileExists;
    default: return err::PathFileAccess;
    }
}

}  // namespace

void raiseError(int number) { throw RuntimeError(number, standardDescription(number)); }

CaughtError describeCurrentException() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return {e.number(), e.description()};
    } catch (const std::filesystem::filesystem_error& e) {
        int n = numberForErrno(e.code().value());
        return {n, standardDescription(n)};
    } catch (const std::bad_alloc&) {
        return {7, standardDescription(7)};
    } catch (const std::out_of_range&) {
        return {err::SubscriptOutOfRange, standardDescription(err::SubscriptOutOfRange)};
    } catch (const std::exception& e) {
        return {err::InvalidCall, e.what()};
    } catch (...) {
        return {err::InvalidCall, standardDescription(err::InvalidCall)};
    }
}

}  // namespace varnel
