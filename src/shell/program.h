#pragma once
// Program-wide state of the main program and the ways it ends.

#include <functional>

namespace varnel {

// True while and after the splash window serves as the About box.
extern bool AboutMode;

// Ends the process at once: no further window events, no unload handlers.
[[noreturn]] void endProgramNow(int code = 0);

// The update window, reached through hooks so the shell does not depend on
// it: show it modally; close it for the tray, cancelling a running download.
struct UpdateWindowHooks {
    std::function<void()> show;
    std::function<void()> unloadForTray;
};
UpdateWindowHooks& updateWindowHooks();

// Whether a skinned question or alert box is on screen.
bool messageBoxShowing();

// Whether a question or alert box holds the program in its modal showing
// until the user answers. The notice about a missing notification area is
// shown without: it holds nothing up.
bool messageBoxWaiting();

}  // namespace varnel
