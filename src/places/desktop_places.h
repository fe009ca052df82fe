#pragma once
// The places lists of the desktop's own file dialogs: what applyPlaces
// writes into the Places Bar also reaches them, beside the registry. A
// platform that has such lists installs an implementation at start-up.

#include <array>
#include <memory>
#include <string>

namespace varnel {

class DesktopPlaces {
public:
    virtual ~DesktopPlaces() = default;
    // Puts these places (empty ones skipped) after the user's own entries,
    // replacing what an earlier apply added.
    virtual void apply(const std::array<std::string, 5>& places) = 0;
    // Takes out exactly what apply added; the user's entries stay as they are.
    virtual void remove() = 0;
};

// The installed implementation, or null where there is none (tests).
DesktopPlaces* desktopPlaces();
void setDesktopPlaces(std::unique_ptr<DesktopPlaces> places);

}  // namespace varnel
