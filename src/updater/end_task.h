#pragma once
// Asking the main program to close by its window title (on Linux through
// its close channel, see platform::requestCloseWindow).

#include <string>

namespace varnel::updater {

// False when no window carries the title. When one was found but is gone
// before the request reaches it, shows "EndTask: cannot terminate <title>
// task" and answers false.
bool EndTask(const std::string& title);

}  // namespace varnel::updater
