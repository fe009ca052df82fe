#pragma once
// When a list beyond the Places Bar could not take the group, the user hears
// of it once (until that list holds the group again): a message from the
// tray icon, or without a notification area the program's non-modal notice.

namespace varnel {

class Program;

// Follows the program's targets from now on.
void tellTargetFailures(Program& program);

}  // namespace varnel
