#include "core/events.h"

namespace varnel {

std::function<void()> processPendingEvents;

void letPendingEventsRun() {
    if (processPendingEvents) processPendingEvents();
}

}  // namespace varnel
