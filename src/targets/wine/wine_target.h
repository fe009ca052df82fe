#pragma once
// The group in the Places Bar and navigation pane of the user's Wine prefix.
// Wine writes in the background: a change returns at once, and the state
// follows when Wine is done.

#include <memory>

#include "targets/desktop_lists/desktop_folders.h"
#include "targets/place_target.h"
#include "targets/wine/wine_places.h"

namespace varnel::desktop {

class WineTarget : public PlaceTarget {
public:
    explicit WineTarget(const DesktopFolders& folders);

    std::string name() const override { return "Wine"; }
    void apply(const PlaceSet& places) override;
    void remove() override { wine_.update({}); }
    void cleanUpEarlierRun() override { wine_.cleanUpEarlierRun(); }
    std::vector<TargetReport> report(const PlaceSet& group) const override;
    std::string lastFailure() const override { return wine_.failure().toStdString(); }

private:
    WinePlaces wine_;
};

}  // namespace varnel::desktop
