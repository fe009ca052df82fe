#pragma once
// Where the desktop's places lists and our journal of them live.

#include <QString>

namespace varnel::desktop {

struct DesktopFolders {
    QString config;  // $XDG_CONFIG_HOME
    QString data;    // $XDG_DATA_HOME
    QString state;   // $XDG_STATE_HOME/Varnel
    QString winePrefix;
    // From the XDG folders, $WINEPREFIX and their defaults.
    static DesktopFolders fromEnvironment();
};

}  // namespace varnel::desktop
