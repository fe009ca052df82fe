#pragma once
// --export FILE and --import FILE: the user's own groups written to a
// [Groups] file and read into another user's, whether or not a copy runs.

#include <QString>
#include <functional>

namespace varnel {

// Writes the user's own groups to `file`. 0 when every group was written,
// 2 when one was left out (each named on standard error) or the file could
// not be written.
int exportGroups(const QString& file);

// Adds the groups of `file` the user does not have and prints a line for
// each group; then `tellRunningCopy` lets a running copy offer them. 2 with
// nothing added when the file cannot be read or a line of it makes no sense.
int importGroups(const QString& file, const std::function<void()>& tellRunningCopy);

}  // namespace varnel
