#include "targets/place_targets.h"

#include "core/log.h"
#include "targets/places_bar/places_bar_target.h"

namespace varnel {

std::string stateText(const TargetReport& report) {
    switch (report.state) {
        case TargetState::HoldsGroup: return "holds the group";
        case TargetState::NotInstalled: return "not installed here";
        case TargetState::Off: return "off";
        case TargetState::Failed: break;
    }
    return "failed: " + report.reason;
}

PlaceTargets::PlaceTargets() { add(std::make_unique<PlacesBarTarget>()); }

PlaceTargets::PlaceTargets(std::vector<std::unique_ptr<PlaceTarget>> targets) {
    for (auto& target : targets) add(std::move(target));
}

PlaceTargets::~PlaceTargets() = default;

void PlaceTargets::cleanUpEarlierRun() {
    for (const auto& target : targets_) guarded("DesktopPlaces", [&] { target->cleanUpEarlierRun(); });
}

void PlaceTargets::add(std::unique_ptr<PlaceTarget> target) {
    target->onStateChanged([this] { checkFailures(); });
    targets_.push_back(std::move(target));
}

void PlaceTargets::apply(const PlaceSet& places, Reach reach) {
    if (ended_) return;
    for (const auto& target : targets_) {
        if (reach == Reach::PlacesBarRunOnly && target->delivery() != Delivery::EveryRun) continue;
        // The Places Bar procedure logs its own steps; a target beyond it
        // that throws costs one line and the others still get the group.
        guarded("DesktopPlaces", [&] { target->apply(places); });
    }
    if (reach == Reach::PlacesBarRunOnly) return;
    applied_ = places;
    checkFailures();
}

void PlaceTargets::remove() {
    for (const auto& target : targets_) guarded("DesktopPlaces", [&] { target->remove(); });
    applied_ = {};
}

void PlaceTargets::removeForGood() {
    ended_ = true;
    remove();
}

std::vector<TargetReport> PlaceTargets::report(const PlaceSet& group) const {
    std::vector<TargetReport> lines;
    for (const auto& target : targets_) {
        std::vector<TargetReport> own;
        guarded("DesktopPlaces", [&] { own = target->report(group); });
        lines.insert(lines.end(), own.begin(), own.end());
    }
    return lines;
}

void PlaceTargets::checkFailures() {
    if (ended_) return;
    for (const auto& target : targets_) {
        if (target->delivery() != Delivery::OncePerChange) continue;
        const std::string name = target->name(), failure = target->lastFailure();
        // A write that went through put the group there again.
        if (failure.empty()) {
            told_.erase(name);
            continue;
        }
        if (!told_.insert(name).second) continue;
        if (failureListener_) failureListener_({name, TargetState::Failed, failure});
    }
}

}  // namespace varnel
