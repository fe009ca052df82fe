#pragma once
// The group in the navigation pane of Windows' new-style Open/Save dialog.
// The setting "DesktopPlaces" = "none" keeps it out.

#include "targets/navigation_pane/navigation_pane.h"
#include "targets/place_target.h"

namespace varnel {

class NavigationPaneTarget : public PlaceTarget {
public:
    explicit NavigationPaneTarget(NavigationPaneForm form = NavigationPane::formOfThisSystem()) : pane_(form) {}

    std::string name() const override { return "Navigation pane"; }
    void apply(const PlaceSet& places) override;
    void remove() override { pane_.remove(); }
    // Our marked slots are what a killed run leaves: they go.
    void cleanUpEarlierRun() override { pane_.remove(); }
    std::vector<TargetReport> report(const PlaceSet& group) const override;
    std::string lastFailure() const override { return pane_.failure(); }

private:
    NavigationPane pane_;
};

}  // namespace varnel
