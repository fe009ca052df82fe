#include "groups/group_service.h"

#include <algorithm>
#include <iterator>

#include "core/log.h"
#include "core/registry.h"
#include "core/setting_text.h"
#include "groups/database_groups.h"
#include "groups/managed_groups.h"
#include "lang/text_table.h"

namespace varnel {

namespace {

// Only when every source is read-only.
const char* const kNoStore = "There is no place to store groups.";

}  // namespace

GroupWrite GroupService::noSource() const {
    // Where the organisation offers only its groups, the user's are not there to write.
    if (!policy().allowsOwnGroups()) return {Texts.ManagedGroup};
    return {kNoStore};
}

GroupService::GroupService(PlaceTargets& targets) : targets_(&targets) {
    addSource(std::make_unique<DatabaseGroups>());
}

GroupService::GroupService() : ownTargets_(std::make_unique<PlaceTargets>()), targets_(ownTargets_.get()) {
    addSource(std::make_unique<DatabaseGroups>());
}

GroupService::~GroupService() = default;

void GroupService::addSource(std::unique_ptr<GroupSource> source) { sources_.push_back(std::move(source)); }

void GroupService::followPolicy(OrganisationPolicy& policy) {
    policy_ = &policy;
    addSource(std::make_unique<ManagedGroups>(policy));
}

const Policy& GroupService::policy() const {
    static const Policy none;
    return policy_ ? policy_->last() : none;
}

void GroupService::readPolicy() {
    if (policy_) policy_->read();
}

void GroupService::readAgain() {
    reloadList();
    const std::string active = activeGroup();
    loadGroup(active);
    // The tooltip says whether the organisation sets the group: tell it even
    // where the name stays.
    notify({GroupEvent::Activated, active});
    showForProgramInFront(true);
}

void GroupService::showPlaces(const std::optional<PlaceSet>& places) {
    if (!places) {
        if (targets_->applied() != PlaceSet{}) targets_->remove();
    } else if (*places != targets_->applied()) {
        targets_->apply(*places);
    }
}

std::optional<PlaceSet> GroupService::offeredPlaces(const std::string& name) {
    if (name.empty()) return std::nullopt;
    for (GroupSource* source : lookupOrder())
        if (std::optional<PlaceSet> places = source->places(name)) return places;
    return std::nullopt;
}

bool GroupService::offers(const std::string& name) const {
    for (GroupSource* source : lookupOrder())
        if (source->holds(name)) return true;
    return false;
}

int GroupService::follow(Listener listener) {
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void GroupService::unfollow(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [id](const auto& l) { return l.first == id; }),
                     listeners_.end());
}

void GroupService::notify(const GroupNotice& notice) {
    // By index: a listener may stop following while it is told.
    for (size_t i = 0; i < listeners_.size(); ++i) {
        const Listener listener = listeners_[i].second;
        listener(notice);
    }
}

std::vector<GroupSource*> GroupService::lookupOrder() const {
    std::vector<GroupSource*> order;
    for (bool managed : {true, false})
        for (const auto& source : sources_)
            if (source->managed() == managed && (managed || policy().allowsOwnGroups())) order.push_back(source.get());
    return order;
}

GroupSource* GroupService::sourceFor(const std::string& name) {
    for (GroupSource* source : lookupOrder())
        if (source->holds(name)) return source;
    for (GroupSource* source : lookupOrder())
        if (source->writable()) return source;
    return nullptr;
}

// ---- reading ------------------------------------------------------------------

bool GroupService::reloadList() {
    try {
        GroupListing read;
        read.names = currentNames();
        read.available = !read.names.empty();
        if (read.available) read.active = activeGroup();
        listing_ = std::move(read);
        notify({GroupEvent::ListRead, ""});
        return listing_.available;
    } catch (...) {
        logCaught("LoadListFromDb");
        return false;
    }
}

std::vector<std::string> GroupService::currentNames() {
    readPolicy();
    std::vector<std::string> names, managed;
    for (GroupSource* source : lookupOrder()) {
        std::vector<std::string> more = source->names();
        std::vector<std::string>& into = source->managed() ? managed : names;
        into.insert(into.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    // A managed group takes the place of the user's of the same name.
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& name) {
                                   return std::find(managed.begin(), managed.end(), name) != managed.end();
                               }),
                names.end());
    names.insert(names.end(), managed.begin(), managed.end());
    return names;
}

bool GroupService::isManaged(const std::string& name) {
    // For a name no source holds, sourceFor gives one the user may change.
    const GroupSource* source = sourceFor(name);
    return source && source->managed();
}

std::optional<PlaceSet> GroupService::loadGroup(const std::string& name) {
    readPolicy();
    const std::optional<PlaceSet> places = offeredPlaces(name);
    if (places) loadedPlaces_ = *places;
    notify({GroupEvent::GroupLoaded, name, places.has_value()});
    return places;
}

bool GroupService::nameTaken(const std::string& name) {
    return std::any_of(sources_.begin(), sources_.end(), [&](const auto& source) { return source->holds(name); });
}

bool GroupService::mayChange(const std::string& name) {
    const GroupSource* source = sourceFor(name);
    return source && source->writable();
}

// ---- the active group -------------------------------------------------------------

std::string GroupService::enforcedGroup() const {
    const std::string enforced = policy().activeGroup();
    if (enforced.empty()) return enforced;
    // Only a group that is offered can be kept active.
    return offers(enforced) ? enforced : std::string();
}

std::string GroupService::activeGroup() const {
    const std::string enforced = enforcedGroup();
    if (!enforced.empty()) return enforced;
    const std::string chosen = readSettingText("CurrentGroup");
    if (policy().allowsOwnGroups()) return chosen;
    // Only the managed groups are offered: a choice among the user's own is none.
    return offers(chosen) ? chosen : std::string();
}

void GroupService::setActiveGroup(const std::string& name) {
    writeSettingText("CurrentGroup", name);
    notify({GroupEvent::Activated, name});
}

std::optional<PlaceSet> GroupService::activateGroup(const std::string& name) {
    const std::string enforced = enforcedGroup();
    if (!enforced.empty() && enforced != name) return std::nullopt;
    setActiveGroup(name);
    forgetProgramShown();
    reloadList();
    const std::optional<PlaceSet> places = loadGroup(name);
    if (places) targets_->apply(*places);
    return places;
}

// ---- the user's changes -------------------------------------------------------------

GroupWrite GroupService::saveNewGroup(const std::string& name, const PlaceSet& places) {
    GroupSource* source = sourceFor(name);
    if (!source) return noSource();
    const GroupWrite stored = source->add(name, places);
    if (!stored.ok()) return stored;
    notify({GroupEvent::Added, name});
    // Where the organisation sets the active group, the new one is only stored.
    const bool becomesActive = enforcedGroup().empty();
    if (becomesActive) {
        setActiveGroup(name);
        forgetProgramShown();
    }
    reloadList();
    loadGroup(name);
    if (becomesActive) targets_->apply(loadedPlaces_, Reach::PlacesBarRunOnly);
    showSaved(name, places);
    return stored;
}

GroupWrite GroupService::saveChangedGroup(const std::string& name, const PlaceSet& places) {
    GroupSource* source = sourceFor(name);
    if (!source) return noSource();
    const GroupWrite stored = source->change(name, places);
    if (!stored.ok()) return stored;
    notify({GroupEvent::Changed, name});
    // First as the group was loaded before the change, then as saved.
    if (shownProgram_.empty() && activeGroup() == name) targets_->apply(loadedPlaces_, Reach::PlacesBarRunOnly);
    showSaved(name, places);
    return stored;
}

void GroupService::showSaved(const std::string& name, const PlaceSet& places) {
    loadedPlaces_ = places;
    reloadList();
    loadGroup(name);
    // The group shown now gets its new places: the active one, or the
    // group of the program in front.
    if (!shownProgram_.empty() ? shownProgramGroup_ == name : activeGroup() == name) targets_->apply(loadedPlaces_);
}

GroupWrite GroupService::deleteGroup(const std::string& name) {
    GroupSource* source = sourceFor(name);
    if (!source) return noSource();
    const GroupWrite removed = source->remove(name);
    if (!removed.ok()) return removed;
    notify({GroupEvent::Deleted, name});
    varnel::forgetProgramsOfGroup(name);
    if (shownProgramGroup_ == name) programInFront(inFront_);
    reloadList();
    loadGroup(activeGroup());
    return removed;
}

}  // namespace varnel
