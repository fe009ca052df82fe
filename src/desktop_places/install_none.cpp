#include "desktop_places/install.h"

namespace varnel {

// The common dialogs of this platform read the Places Bar itself.
void installDesktopPlaces() {}

}  // namespace varnel
