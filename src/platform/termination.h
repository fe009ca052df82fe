#pragma once
// How the operating system asks a program to end, delivered as an ordinary
// event: the Qt side of the platform layer (termination_linux.cpp, termination_win.cpp).

#include <functional>

class QObject;

namespace varnel::platform {

// Calls onRequest on the user-interface thread, for as long as context lives,
// when the operating system asks the program to end (SIGTERM, SIGHUP, SIGINT
// where they exist).
void watchTerminationRequests(QObject* context, std::function<void()> onRequest);

}  // namespace varnel::platform
