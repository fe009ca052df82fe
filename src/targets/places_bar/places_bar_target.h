#pragma once
// The Places Bar of the old-style Open/Save dialog and the user-defined
// places of every Office version: one target, written by the Places Bar
// procedure at every run, its failures in the error log only.

#include "targets/place_target.h"

namespace varnel {

class PlacesBarTarget : public PlaceTarget {
public:
    std::string name() const override { return "Places Bar"; }
    void apply(const PlaceSet& places) override;
    void remove() override;
    // Lines "Places Bar" and "Office".
    std::vector<TargetReport> report(const PlaceSet& group) const override;
    Delivery delivery() const override { return Delivery::EveryRun; }
};

}  // namespace varnel
