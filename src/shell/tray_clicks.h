#pragma once
// Whether the desktop's notification area reports double clicks on the icon.

namespace varnel {

// False where the icon is shown as a StatusNotifierItem (KDE, GNOME with its
// tray extension and others): such a host reports every click as one single
// activation, so a double click never arrives.
bool trayReportsDoubleClicks();

}  // namespace varnel
