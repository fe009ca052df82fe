#pragma once
// Which running copy owns the desktop's places lists: the one holding a lock
// file in the user's data folder for its whole life.

#include <QString>

namespace varnel {

// Takes the lock at `path` and holds it until the process ends. A lock that
// cannot be taken is another copy's only while another copy runs: a copy
// that was killed leaves its lock behind, and its process number may since
// belong to another process (or to this one), so the lock would never read
// as stale. Then the lock is taken over. False when another copy owns it.
bool ownDesktopPlaces(const QString& path);

}  // namespace varnel
