// The group service's part for the program in front: the group of a program
// that has one is shown while it is in front, the active group otherwise.
#include "groups/group_service.h"

namespace varnel {

std::optional<PlaceSet> GroupService::offeredPlaces(const std::string& name) {
    if (name.empty()) return std::nullopt;
    for (GroupSource* source : lookupOrder())
        if (std::optional<PlaceSet> places = source->places(name)) return places;
    return std::nullopt;
}

void GroupService::forgetProgramShown() {
    if (shownProgram_.empty()) return;
    shownProgram_.clear();
    shownProgramGroup_.clear();
    notify({GroupEvent::ProgramShown, ""});
}

void GroupService::programInFront(const ProgramInFront& program) {
    if (program.leaveAlone) return;
    inFront_ = program;
    // The organisation's group stays whatever is in front.
    if (targets_->endedForGood() || !enforcedGroup().empty()) return;
    auto [name, group] = bindingOf(program);
    // A binding to a group that is no longer offered counts as none.
    std::optional<PlaceSet> places = offeredPlaces(group);
    if (!places) {
        // Without a program's group shown there is nothing to put back.
        if (shownProgram_.empty()) return;
        name.clear();
        group.clear();
        places = offeredPlaces(activeGroup());
    }
    if (!places) {
        if (targets_->applied() != PlaceSet{}) targets_->remove();
    } else if (*places != targets_->applied()) {
        targets_->apply(*places);
    }
    if (name == shownProgram_ && group == shownProgramGroup_) return;
    shownProgram_ = name;
    shownProgramGroup_ = group;
    notify({GroupEvent::ProgramShown, group});
}

bool GroupService::setProgramsOfGroup(const std::string& name, const std::vector<std::string>& programs) {
    const std::vector<std::string> names = currentNames();
    if (std::find(names.begin(), names.end(), name) == names.end()) return false;
    varnel::setProgramsOfGroup(name, programs);
    programInFront(inFront_);
    return true;
}

}  // namespace varnel
