#pragma once
// The one owner of the groups: it lists, loads, adds, changes, deletes and
// activates them, and tells whoever follows it about each of these through
// one notification. The editor, the tray and the command line ask it and
// follow it; none of them reads or writes a source itself.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "groups/group_source.h"
#include "policy/organisation_policy.h"
#include "programs/program_bindings.h"
#include "targets/place_targets.h"

namespace varnel {

// The group list as it was read last.
struct GroupListing {
    // False when no source had a group (or none could be read).
    bool available = false;
    std::vector<std::string> names;
    // The active group when the list was read ("" for none).
    std::string active;
};

// What happened.
enum class GroupEvent {
    ListRead,     // the list was read again: listing() holds it
    GroupLoaded,  // a group was loaded: loadedPlaces() holds it when it was found
    Added,
    Changed,
    Deleted,
    Activated,    // another group is the active one
    ProgramShown, // the group of the program in front is shown, or no longer
};

struct GroupNotice {
    GroupEvent event;
    std::string name;    // the group concerned ("" for ListRead)
    bool found = false;  // GroupLoaded: the group was there
};

class GroupService {
public:
    using Listener = std::function<void(const GroupNotice&)>;

    // The user's group database as its only source; what is applied goes to
    // `targets`, which must outlive the service.
    explicit GroupService(PlaceTargets& targets);
    // The same with a list of its own: the Places Bar and Office's places.
    GroupService();
    ~GroupService();
    GroupService(const GroupService&) = delete;
    GroupService& operator=(const GroupService&) = delete;

    // Another source after those there; its groups follow theirs in the list.
    void addSource(std::unique_ptr<GroupSource> source);
    // Obeys the organisation's `policy` (which must outlive the service) from
    // now on: its groups are offered as managed ones, and its settings decide
    // the active group and whether the user's own groups are offered.
    void followPolicy(OrganisationPolicy& policy);
    // The policy as it was read last (none when the service follows none).
    const Policy& policy() const;
    // Reads the policy and the list again after a change made outside the
    // program (the organisation's policy, another process's import): where
    // the group to show is another now (or its places are), it is applied,
    // or what was written is removed when there is none. The program in
    // front keeps its group while it still has one.
    void readAgain();

    // Where the active group's places go.
    PlaceTargets& targets() { return *targets_; }

    // Follows every change until unfollow(); listeners run in the order they came.
    int follow(Listener listener);
    void unfollow(int id);

    // ---- reading ----------------------------------------------------------
    // Reads the group list again from every source ("LoadListFromDb" logs a
    // failure); false when there is no group.
    bool reloadList();
    const GroupListing& listing() const { return listing_; }
    // The names every source holds now, without telling anyone.
    std::vector<std::string> currentNames();
    // Loads the group `name`; nothing for a name no source has.
    std::optional<PlaceSet> loadGroup(const std::string& name);
    // The places of the group found last (a name that was not found leaves them).
    const PlaceSet& loadedPlaces() const { return loadedPlaces_; }
    // True when a new group may not take this name.
    bool nameTaken(const std::string& name);
    // False for a group the user may use but not change.
    bool mayChange(const std::string& name);
    // True for a group the organisation hands out.
    bool isManaged(const std::string& name);

    // ---- the active group ---------------------------------------------------
    // The group the organisation sets where it sets one that is offered, or
    // else the user's choice ("" where the policy does not offer the user's
    // own groups and the choice is one of them).
    std::string activeGroup() const;
    // The group the organisation keeps active; "" when the user chooses.
    std::string enforcedGroup() const;
    // Makes `name` the active group: the list is read again, the group loaded
    // and its places applied. Nothing is applied for a name no source has,
    // nor while the organisation sets another group.
    std::optional<PlaceSet> activateGroup(const std::string& name);

    // ---- the program in front ------------------------------------------------
    // Shows the group of the program that came to the front, or the active
    // group for a program without one; nothing for one to leave alone, nor
    // where the organisation sets the active group. Nothing is written when
    // the places to show are those shown.
    void programInFront(const ProgramInFront& program);
    // The program whose group is shown, as its binding names it, and that
    // group; both "" while the active group is shown.
    const std::string& shownProgram() const { return shownProgram_; }
    const std::string& shownProgramGroup() const { return shownProgramGroup_; }
    // Binds exactly `programs` to the group `name`; false for a group no
    // source offers. The program in front gets its group at once.
    bool setProgramsOfGroup(const std::string& name, const std::vector<std::string>& programs);

    // ---- the user's changes ---------------------------------------------------
    // Stores a new group and makes it the active one (unless the organisation
    // sets the active group). The Places Bar
    // procedure runs twice, as the group read back and as saved, each a run
    // with its trace; every other target gets the group once.
    GroupWrite saveNewGroup(const std::string& name, const PlaceSet& places);
    // Stores the group's new places. For the active group the Places Bar
    // procedure runs as the group was loaded before and again as saved;
    // every other target gets the saved group once.
    GroupWrite saveChangedGroup(const std::string& name, const PlaceSet& places);
    // Deletes a group; then the list is read again and the active group loaded.
    GroupWrite deleteGroup(const std::string& name);

private:
    void notify(const GroupNotice& notice);
    // The source of the group `name`; for a name none holds, the first the user may change.
    GroupSource* sourceFor(const std::string& name);
    // The sources in the order a name is looked up: the managed ones first;
    // the user's own left out where the policy does not offer them.
    std::vector<GroupSource*> lookupOrder() const;
    // Whether a source that is offered now holds the group `name`.
    bool offers(const std::string& name) const;
    // Applies the places to show, or removes what was written when there are
    // none; writes nothing when they are shown already.
    void showPlaces(const std::optional<PlaceSet>& places);
    // The places of an offered group, without telling anyone; none when no source offers it.
    std::optional<PlaceSet> offeredPlaces(const std::string& name);
    // The active group is shown again from now on (after a change of it).
    void forgetProgramShown();
    // Shows the group of the program in front where it has one that is
    // offered and the organisation sets none, the active group otherwise;
    // the active group only where `evenForNoProgram` or a program's group is
    // shown now.
    void showForProgramInFront(bool evenForNoProgram);
    // The refusal of a change no source can take.
    GroupWrite noSource() const;
    // Reads the policy again, when the service follows one.
    void readPolicy();
    void setActiveGroup(const std::string& name);
    // A saved group read and loaded again, and applied as saved when it is the active one.
    void showSaved(const std::string& name, const PlaceSet& places);

    OrganisationPolicy* policy_ = nullptr;
    std::unique_ptr<PlaceTargets> ownTargets_;
    PlaceTargets* targets_;
    std::vector<std::unique_ptr<GroupSource>> sources_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
    GroupListing listing_;
    ProgramInFront inFront_;
    std::string shownProgram_, shownProgramGroup_;
    PlaceSet loadedPlaces_;
};

}  // namespace varnel
