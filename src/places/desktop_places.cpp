#include "places/desktop_places.h"

namespace varnel {

namespace {
std::unique_ptr<DesktopPlaces>& installed() {
    static std::unique_ptr<DesktopPlaces> places;
    return places;
}
}  // namespace

DesktopPlaces* desktopPlaces() { return installed().get(); }

void setDesktopPlaces(std::unique_ptr<DesktopPlaces> places) { installed() = std::move(places); }

}  // namespace varnel
