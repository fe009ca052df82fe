#pragma once
// Starting with the desktop session: the user's autostart entry for the
// program ($XDG_CONFIG_HOME/autostart/varnel-zize.desktop; on Windows the
// "Varnel Zize" value of the user's Run key), written and removed by the
// tray's "Start at login" item. Off until the user turns it on.

#include <QString>

namespace varnel {

// The autostart entry's file (on Windows the Run key's value, for messages).
QString autostartEntryPath();

// Whether the session starts the program: our entry exists and is not hidden.
bool autostartEnabled();

// Writes the entry (starting the running program file) or removes it; false
// when the file could not be written or removed.
bool setAutostart(bool on);

}  // namespace varnel
