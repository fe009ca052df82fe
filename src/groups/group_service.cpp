#include "groups/group_service.h"

#include <algorithm>
#include <iterator>

#include "core/log.h"
#include "core/registry.h"
#include "core/setting_text.h"
#include "groups/database_groups.h"

namespace varnel {

namespace {

// Only when every source is read-only.
const char* const kNoStore = "There is no place to store groups.";

}  // namespace

GroupService::GroupService(PlaceTargets& targets) : targets_(&targets) {
    addSource(std::make_unique<DatabaseGroups>());
}

GroupService::GroupService() : ownTargets_(std::make_unique<PlaceTargets>()), targets_(ownTargets_.get()) {
    addSource(std::make_unique<DatabaseGroups>());
}

GroupService::~GroupService() = default;

void GroupService::addSource(std::unique_ptr<GroupSource> source) { sources_.push_back(std::move(source)); }

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
            if (source->managed() == managed) order.push_back(source.get());
    return order;
}

GroupSource* GroupService::sourceFor(const std::string& name) {
    for (GroupSource* source : lookupOrder())
        if (source->holds(name)) return source;
    for (const auto& source : sources_)
        if (source->writable()) return source.get();
    return nullptr;
}

// ---- reading ------------------------------------------------------------------

bool GroupService::reloadList() {
    try {
        GroupListing read;
        read.names = currentNames();
        read.available = !read.names.empty();
        if (read.available) read.active = regText(queryValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup"));
        listing_ = std::move(read);
        notify({GroupEvent::ListRead, ""});
        return listing_.available;
    } catch (...) {
        logCaught("LoadListFromDb");
        return false;
    }
}

std::vector<std::string> GroupService::currentNames() {
    std::vector<std::string> names, managed;
    for (const auto& source : sources_) {
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
    std::optional<PlaceSet> places;
    for (GroupSource* source : lookupOrder())
        if ((places = source->places(name))) break;
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

std::string GroupService::activeGroup() const { return readSettingText("CurrentGroup"); }

void GroupService::setActiveGroup(const std::string& name) {
    writeSettingText("CurrentGroup", name);
    notify({GroupEvent::Activated, name});
}

std::optional<PlaceSet> GroupService::activateGroup(const std::string& name) {
    setActiveGroup(name);
    reloadList();
    const std::optional<PlaceSet> places = loadGroup(name);
    if (places) targets_->apply(*places);
    return places;
}

// ---- the user's changes -------------------------------------------------------------

GroupWrite GroupService::saveNewGroup(const std::string& name, const PlaceSet& places) {
    GroupSource* source = sourceFor(name);
    if (!source) return {kNoStore};
    const GroupWrite stored = source->add(name, places);
    if (!stored.ok()) return stored;
    notify({GroupEvent::Added, name});
    setActiveGroup(name);
    reloadList();
    loadGroup(name);
    targets_->apply(loadedPlaces_, Reach::PlacesBarRunOnly);
    showSaved(name, places);
    return stored;
}

GroupWrite GroupService::saveChangedGroup(const std::string& name, const PlaceSet& places) {
    GroupSource* source = sourceFor(name);
    if (!source) return {kNoStore};
    const GroupWrite stored = source->change(name, places);
    if (!stored.ok()) return stored;
    notify({GroupEvent::Changed, name});
    // First as the group was loaded before the change, then as saved.
    if (activeGroup() == name) targets_->apply(loadedPlaces_, Reach::PlacesBarRunOnly);
    showSaved(name, places);
    return stored;
}

void GroupService::showSaved(const std::string& name, const PlaceSet& places) {
    loadedPlaces_ = places;
    reloadList();
    loadGroup(name);
    if (activeGroup() == name) targets_->apply(loadedPlaces_);
}

GroupWrite GroupService::deleteGroup(const std::string& name) {
    GroupSource* source = sourceFor(name);
    if (!source) return {kNoStore};
    const GroupWrite removed = source->remove(name);
    if (!removed.ok()) return removed;
    notify({GroupEvent::Deleted, name});
    reloadList();
    loadGroup(activeGroup());
    return removed;
}

}  // namespace varnel
