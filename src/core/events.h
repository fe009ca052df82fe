#pragma once
// Long engine steps let queued window events run between their tests. The
// Qt programs point the hook at their event loop; without one it does nothing.

#include <functional>

namespace varnel {

extern std::function<void()> processPendingEvents;

// Calls the hook when one is set.
void letPendingEventsRun();

}  // namespace varnel
