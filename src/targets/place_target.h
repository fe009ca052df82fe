#pragma once
// One place the active group goes to (the Places Bar, a desktop's file-dialog
// list, ...): every such place implements this, and the program keeps a list
// of them for the platform it runs on.

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace varnel {

// A group's five places, in slot order.
using PlaceSet = std::array<std::string, 5>;

enum class TargetState {
    HoldsGroup,    // every non-empty place of the group is in its list
    NotInstalled,  // the list does not exist on this computer
    Off,           // the setting "DesktopPlaces" leaves it out
    Failed,        // see the reason
};

// One line of the answer to "where is the group now".
struct TargetReport {
    std::string target;  // "Places Bar", "Office", "GTK", ...
    TargetState state = TargetState::HoldsGroup;
    std::string reason;  // with Failed: what went wrong, for a person to read

    bool operator==(const TargetReport&) const = default;
};

// "holds the group", "not installed here", "off", "failed: REASON".
std::string stateText(const TargetReport& report);

// How often a target is written: the Places Bar procedure runs as often as
// a change asks for it (a Save runs it twice), every other target once per
// change.
enum class Delivery { EveryRun, OncePerChange };

class PlaceTarget {
public:
    virtual ~PlaceTarget() = default;

    // As "--status" and the user's notice name it.
    virtual std::string name() const = 0;

    // Puts these places (empty ones skipped) into the list, replacing what an
    // earlier apply put there; the user's own entries stay.
    virtual void apply(const PlaceSet& places) = 0;
    // Takes out exactly what we put there.
    virtual void remove() = 0;
    // Takes out what a killed earlier run left behind; called once at the start.
    virtual void cleanUpEarlierRun() {}
    // Where the group `group` stands in the list (or lists) this target writes.
    virtual std::vector<TargetReport> report(const PlaceSet& group) const = 0;

    // Why the last write failed; empty when it went through (or is still
    // under way). Reads nothing: it is asked after every change.
    virtual std::string lastFailure() const { return {}; }

    virtual Delivery delivery() const { return Delivery::OncePerChange; }

    // Called when the target's state changes on its own, after an apply or
    // remove has returned (a write that finishes later).
    void onStateChanged(std::function<void()> listener) { stateChanged_ = std::move(listener); }

protected:
    void stateChanged() const {
        if (stateChanged_) stateChanged_();
    }

private:
    std::function<void()> stateChanged_;
};

}  // namespace varnel
