#pragma once

namespace varnel {

// True when at least two of the current user's running processes carry this
// program's file name (exactly, with case): the running copy counts itself,
// so True means another copy runs. A process list that cannot be read
// answers False.
bool anotherCopyRunning();

}  // namespace varnel
