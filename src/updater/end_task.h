#pragma once
// Asking the main program to close by its window title: on Linux through its
// close channel (a local socket named after the title, see close_channel.h).

#include <string>

namespace varnel::updater {

// False when no program with that title listens. When one was there but the
// request cannot reach it, shows "EndTask: cannot terminate <title> task"
// and answers false.
bool EndTask(const std::string& title);

}  // namespace varnel::updater
