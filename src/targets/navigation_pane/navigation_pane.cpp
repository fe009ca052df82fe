#include "targets/navigation_pane/navigation_pane.h"

#include <system_error>

#include "base/text.h"
#include "core/log.h"
#include "core/path_text.h"
#include "platform/platform.h"

namespace varnel {

namespace {

using platform::regtype::Dword;
using platform::regtype::ExpandSz;
using platform::regtype::Sz;

// Made once for this program; only the last digit tells the slots apart.
constexpr const char* kSlotIdStem = "{377C742E-5507-469C-A9EA-0FB0926479B";

// The class keys: 64-bit programs read the first, 32-bit ones the second.
constexpr std::array<const char*, 2> kClassRoots = {"Software\\Classes\\CLSID\\",
                                                    "Software\\Classes\\Wow6432Node\\CLSID\\"};

// The shell class that shows a folder given in the entry's property bag.
constexpr const char* kFolderTargetClass = "{0E5AAE11-A475-4c5b-AB00-C66DE400274E}";
// Wine's folder shortcut: it reads its folder from the value Target.
constexpr const char* kWineFolderShortcutClass = "{0AFACED1-E828-11D1-9187-B532F1E9575D}";
// A folder that holds folders and files, shown in the tree.
constexpr std::uint32_t kFolderAttributes = 0xF080004D;
// Beside the cloud storage providers, which use 0x42.
constexpr std::uint32_t kFirstSortOrder = 0x42;

void logFailure(const std::string& what) {
    logError(errorLine("DesktopPlaces", 75, "Path/File access error: " + what));
}

}  // namespace

std::string navigationPaneSlotId(int slot) { return kSlotIdStem + std::to_string(slot + 1) + "}"; }

std::string navigationPaneCaption(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    const size_t cut = path.rfind('\\');
    return cut == std::string::npos || cut + 1 == path.size() ? path : path.substr(cut + 1);
}

std::vector<NavigationPaneValue> navigationPaneEntry(NavigationPaneForm form, int slot, const std::string& folder,
                                                     const std::string& caption, const std::string& icon) {
    const std::string id = navigationPaneSlotId(slot);
    const auto marker = static_cast<std::uint32_t>(slot + 1);
    std::vector<NavigationPaneValue> values;
    auto text = [&](HKey root, const std::string& key, const char* name, const std::string& value,
                    std::uint32_t type = Sz) { values.push_back({root, key, name, type, value, 0}); };
    auto number = [&](HKey root, const std::string& key, const char* name, std::uint32_t value) {
        values.push_back({root, key, name, Dword, {}, value});
    };
    const HKey classes = form == NavigationPaneForm::Windows ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    for (const char* classRoot : kClassRoots) {
        const std::string key = classRoot + id;
        // The marker first: a key cut short by a crash is still known as ours.
        number(classes, key, kNavigationPaneMarker, marker);
        text(classes, key, "", caption);
        if (form == NavigationPaneForm::Windows) {
            number(classes, key, "System.IsPinnedToNameSpaceTree", 1);
            number(classes, key, "SortOrderIndex", kFirstSortOrder + static_cast<std::uint32_t>(slot));
            text(classes, key + "\\DefaultIcon", "", icon);
            text(classes, key + "\\InProcServer32", "", "%systemroot%\\system32\\shell32.dll", ExpandSz);
            text(classes, key + "\\Instance", "CLSID", kFolderTargetClass);
            number(classes, key + "\\Instance\\InitPropertyBag", "Attributes", 0x11);
            // Plain text: a "%" in a folder's name must not name another folder.
            text(classes, key + "\\Instance\\InitPropertyBag", "TargetFolderPath", folder);
            number(classes, key + "\\ShellFolder", "FolderValueFlags", 0x28);
        } else {
            text(classes, key + "\\InProcServer32", "", "shdocvw.dll");
            text(classes, key + "\\InProcServer32", "ThreadingModel", "Apartment");
            text(classes, key + "\\Instance", "CLSID", kWineFolderShortcutClass);
            text(classes, key + "\\Instance\\InitPropertyBag", "Target", folder);
        }
        number(classes, key + "\\ShellFolder", "Attributes", kFolderAttributes);
    }
    const std::string entry = std::string(kDesktopNameSpaceKey) + "\\" + id;
    number(HKEY_CURRENT_USER, entry, kNavigationPaneMarker, marker);
    text(HKEY_CURRENT_USER, entry, "", caption);
    // Windows would show the entry on the desktop too.
    if (form == NavigationPaneForm::Windows) number(HKEY_CURRENT_USER, kHideDesktopIconsKey, id.c_str(), 1);
    return values;
}

std::vector<std::pair<HKey, std::string>> navigationPaneSlotKeys(int slot) {
    const std::string id = navigationPaneSlotId(slot);
    std::vector<std::pair<HKey, std::string>> keys{{HKEY_CURRENT_USER, std::string(kDesktopNameSpaceKey) + "\\" + id}};
    for (HKey root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char* classRoot : kClassRoots) keys.emplace_back(root, classRoot + id);
    return keys;
}

NavigationPane::NavigationPane(NavigationPaneForm form)
    : form_(form), icon_(pathText(platform::executablePath()) + ",0") {}

NavigationPaneForm NavigationPane::formOfThisSystem() {
    return platform::runningUnderWine() ? NavigationPaneForm::Wine : NavigationPaneForm::Windows;
}

// The folder slot `slot` shows for `place`, as a Windows path; nothing for a
// number (the Places Bar's special folders), a relative path or a folder
// that is not there.
std::optional<std::string> NavigationPane::slotFolder(const std::string& place) {
    std::string folder = place;
    if (platform::rewritesForwardSlashes()) folder = replaceAll(folder, "/", std::string(1, platform::placeSeparator()));
    const std::filesystem::path path = pathFromText(folder);
    std::error_code error;
    if (!path.is_absolute() || !std::filesystem::is_directory(path, error)) return std::nullopt;
    return folder;
}

void NavigationPane::apply(const std::array<std::string, 5>& places) {
    failure_.clear();
    bool changed = false;
    for (int slot = 0; slot < kNavigationPaneSlots; ++slot) {
        const std::optional<std::string> folder = slotFolder(places[static_cast<size_t>(slot)]);
        if (!folder) {
            changed |= clearSlot(slot);
            continue;
        }
        changed = true;
        for (const NavigationPaneValue& v :
             navigationPaneEntry(form_, slot, *folder, navigationPaneCaption(*folder), icon_)) {
            const bool written = v.type == Dword ? writeRegistryDword(v.root, v.key, v.name, v.number)
                                                 : writeRegistryText(v.root, v.key, v.name, v.text, v.type);
            if (written) continue;
            // The namespace entry comes last: a slot cut short shows nothing.
            logFailure(v.key);
            failure_ = v.key + " (not written)";
            clearSlot(slot);
            break;
        }
    }
    if (changed) platform::notifyShellNamespaceChanged();
}

std::optional<std::string> NavigationPane::missingFolder(const std::array<std::string, 5>& places) const {
    for (int slot = 0; slot < kNavigationPaneSlots; ++slot) {
        const std::optional<std::string> folder = slotFolder(places[static_cast<size_t>(slot)]);
        if (!folder) continue;
        // The slot's markers, and the folder where it names it.
        for (const NavigationPaneValue& v :
             navigationPaneEntry(form_, slot, *folder, navigationPaneCaption(*folder), icon_)) {
            if (v.name != kNavigationPaneMarker && v.text != *folder) continue;
            const RegValue there = queryValue(v.root, v.key, v.name);
            const bool same = v.type == Dword ? there == RegValue{static_cast<std::int32_t>(v.number)}
                                              : there == RegValue{v.text};
            if (!same) return folder;
        }
    }
    return std::nullopt;
}

void NavigationPane::remove() {
    failure_.clear();
    bool changed = false;
    for (int slot = 0; slot < kNavigationPaneSlots; ++slot) changed |= clearSlot(slot);
    if (changed) platform::notifyShellNamespaceChanged();
}

bool NavigationPane::clearSlot(int slot) {
    bool cleared = false;
    for (const auto& [root, key] : navigationPaneSlotKeys(slot)) {
        if (!std::holds_alternative<std::int32_t>(queryValue(root, key, kNavigationPaneMarker))) continue;
        if (deleteRegistryTree(root, key)) cleared = true;
        else logFailure(key);
    }
    // No other program uses the slot's identifier: its value is ours.
    cleared |= deleteRegistryValue(HKEY_CURRENT_USER, kHideDesktopIconsKey, navigationPaneSlotId(slot));
    return cleared;
}

}  // namespace varnel
