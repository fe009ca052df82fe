#pragma once
// The active group in the navigation pane of the new-style Open/Save dialog:
// one shell namespace entry per folder, in five fixed slots marked as ours.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/registry.h"

namespace varnel {

// Windows: the per-user entries Microsoft documents for storage providers.
// Wine: what Wine's shell reads instead, since it merges no per-user classes
// and lacks the documented target class: a folder shortcut whose class is in
// the machine's classes, beside the per-user namespace entry.
enum class NavigationPaneForm { Windows, Wine };

inline constexpr int kNavigationPaneSlots = 5;

// Carried by our keys (the slot number, from 1): only marked keys are removed.
inline constexpr const char* kNavigationPaneMarker = "VarnelZizeSlot";

inline constexpr const char* kDesktopNameSpaceKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
inline constexpr const char* kHideDesktopIconsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel";

// One value of a slot's entry, as it goes into the registry.
struct NavigationPaneValue {
    HKey root;
    std::string key;
    std::string name;  // empty: the key's default value
    std::uint32_t type;
    std::string text;  // for the text types
    std::uint32_t number = 0;
};

// The slot's class identifier, braces included; the five sort in slot order.
std::string navigationPaneSlotId(int slot);

// The caption of a folder given as a Windows path: its last component.
std::string navigationPaneCaption(const std::string& folder);

// Every value of the entry that shows `folder` (a Windows path) as `caption`
// in `slot`, in writing order: the classes first, the namespace entry that
// sends the shell looking for them last.
std::vector<NavigationPaneValue> navigationPaneEntry(NavigationPaneForm form, int slot, const std::string& folder,
                                                     const std::string& caption, const std::string& icon);

// The keys a slot can occupy in either form, the namespace entry first; each
// goes with everything below it.
std::vector<std::pair<HKey, std::string>> navigationPaneSlotKeys(int slot);

// Writes and removes the entries through the registry layer, and tells the
// shell once after each change.
class NavigationPane {
public:
    explicit NavigationPane(NavigationPaneForm form = formOfThisSystem());

    // Wine's form when the program runs under Wine.
    static NavigationPaneForm formOfThisSystem();

    // Slot i shows place i; a slot whose place is not the full path of an
    // existing folder is emptied.
    void apply(const std::array<std::string, 5>& places);
    // Empties every slot that carries our marker, in either form: also what
    // a killed run left behind.
    void remove();
    // The first folder of `places` that its slot does not show as apply
    // writes it; nothing when every one does.
    std::optional<std::string> missingFolder(const std::array<std::string, 5>& places) const;
    // The key the last apply could not write; empty when it wrote all.
    const std::string& failure() const { return failure_; }

private:
    static std::optional<std::string> slotFolder(const std::string& place);
    bool clearSlot(int slot);

    NavigationPaneForm form_;
    std::string icon_;
    std::string failure_;
};

}  // namespace varnel
