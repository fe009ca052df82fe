#include "targets/owner_lock.h"

#include <QLockFile>
#include <memory>

#include "places/single_instance.h"

namespace varnel {

bool ownDesktopPlaces(const QString& path) {
    static std::unique_ptr<QLockFile> owner;
    if (owner && owner->isLocked()) return true;
    owner = std::make_unique<QLockFile>(path);
    if (owner->tryLock(0)) return true;
    if (anotherCopyRunning()) return false;
    // Only a file nobody holds open goes: a copy that is still starting
    // keeps its lock.
    return owner->removeStaleLockFile() && owner->tryLock(0);
}

}  // namespace varnel
