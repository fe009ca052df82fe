// On Windows the system asks a program to end by closing its windows; the
// hidden window titled after the program receives that request.
#include "platform/termination.h"

namespace varnel::platform {

void watchTerminationRequests(QObject*, std::function<void()>) {}

}  // namespace varnel::platform
