#pragma once
// Desktops without a notification area (GNOME without its AppIndicator
// extension): the program says so once, over the editor, and goes on there.

namespace varnel {

class Program;

// When the desktop offers no notification area, shows the "NoTray" alert
// (without waiting for it) as soon as the editor is on screen.
void reportMissingTrayOnce(Program& program);

}  // namespace varnel
