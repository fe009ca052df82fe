// The group service's part for the program in front: the group of a program
// that has one is shown while it is in front, the active group otherwise.
#include "groups/group_service.h"

namespace varnel {

void GroupService::forgetProgramShown() {
    if (shownProgram_.empty()) return;
    shownProgram_.clear();
    shownProgramGroup_.clear();
    notify({GroupEvent::ProgramShown, ""});
}

void GroupService::programInFront(const ProgramInFront& program) {
    if (program.leaveAlone) return;
    inFront_ = program;
    if (targets_->endedForGood()) return;
    // Without a program's group shown there is nothing to put back for a
    // program that has none.
    showForProgramInFront(false);
}

void GroupService::showForProgramInFront(bool evenForNoProgram) {
    // The organisation's group stays whatever is in front.
    auto [name, group] = enforcedGroup().empty() ? bindingOf(inFront_) : std::pair<std::string, std::string>{};
    // A binding to a group that is no longer offered counts as none.
    std::optional<PlaceSet> places = offeredPlaces(group);
    if (!places) {
        if (!evenForNoProgram && shownProgram_.empty()) return;
        name.clear();
        group.clear();
        places = offeredPlaces(activeGroup());
    }
    showPlaces(places);
    if (name == shownProgram_ && group == shownProgramGroup_) return;
    shownProgram_ = name;
    shownProgramGroup_ = group;
    notify({GroupEvent::ProgramShown, group});
}

bool GroupService::setProgramsOfGroup(const std::string& name, const std::vector<std::string>& programs) {
    readPolicy();
    if (!offers(name)) return false;
    varnel::setProgramsOfGroup(name, programs);
    programInFront(inFront_);
    return true;
}

}  // namespace varnel
