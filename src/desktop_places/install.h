#pragma once
// The program's start-up hands the desktop's file-dialog places to the places
// engine here: the Linux desktops' lists, or the navigation pane of Windows.

namespace varnel {

// Cleans up after an earlier run that was killed, then installs the desktop
// places for applyPlaces and removePlaces, unless another running copy of the program owns
// them. Call once, before anything applies a group.
void installDesktopPlaces();

}  // namespace varnel
