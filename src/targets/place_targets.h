#pragma once
// The places the active group goes to on this platform, in the order
// "--status" names them: one change is one apply to every target.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "targets/place_target.h"

namespace varnel {

// How far an apply reaches.
enum class Reach {
    Everywhere,
    // A run of the Places Bar procedure that the same change follows with
    // another (the first of a Save's two): only the targets that see every
    // run get it.
    PlacesBarRunOnly,
};

class PlaceTargets {
public:
    // The Places Bar and Office's places, which every platform has.
    PlaceTargets();
    // Exactly these targets (benchmarks, and tests of some of them).
    explicit PlaceTargets(std::vector<std::unique_ptr<PlaceTarget>> targets);
    ~PlaceTargets();
    PlaceTargets(const PlaceTargets&) = delete;
    PlaceTargets& operator=(const PlaceTargets&) = delete;

    // A target after those there.
    void add(std::unique_ptr<PlaceTarget> target);

    // Takes out what a killed earlier run left in any target.
    void cleanUpEarlierRun();

    void apply(const PlaceSet& places, Reach reach = Reach::Everywhere);
    // Takes out what every target holds of ours.
    void remove();
    // The program's end: removes as remove() does, and from then on nothing
    // is applied, so that a request still under way cannot bring the group
    // back after the removal.
    void removeForGood();
    bool endedForGood() const { return ended_; }
    // The places applied last; none after a removal.
    const PlaceSet& applied() const { return applied_; }

    // Every target's lines, in order, for the group `group` (the places last
    // applied when none is given).
    std::vector<TargetReport> report(const PlaceSet& group) const;
    std::vector<TargetReport> report() const { return report(applied_); }

    // Told once when a target that is written once per change fails, and
    // again only after a write to it has gone through since.
    using FailureListener = std::function<void(const TargetReport&)>;
    void onFailure(FailureListener listener) { failureListener_ = std::move(listener); }

private:
    void checkFailures();

    std::vector<std::unique_ptr<PlaceTarget>> targets_;
    PlaceSet applied_{};
    bool ended_ = false;
    FailureListener failureListener_;
    std::set<std::string> told_;
};

}  // namespace varnel
