#pragma once
// Stand-ins for the editor's and the tray's controls that keep what the
// engine shows, so tests and benchmarks can read it back. They fail like the
// real control arrays on a misuse: loading an item twice or touching one
// that is not loaded throws.

#include <array>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/views.h"

namespace varnel::test {

struct RecordingGroupList final : GroupListView {
    std::vector<std::string> items;
    std::string text;

    void clear() override { items.clear(); }
    void addItem(const std::string& name, int position) override {
        if (position < 0 || static_cast<size_t>(position) > items.size()) throw std::out_of_range("position");
        items.insert(items.begin() + position, name);
    }
    void setText(const std::string& t) override { text = t; }
};

struct RecordingPlaceBoxes final : PlaceBoxesView {
    std::array<std::string, 5> texts;

    void setText(int index, const std::string& t) override { texts.at(static_cast<size_t>(index)) = t; }
};

struct RecordingMenuItem final : MenuItemView {
    bool enabled = true;

    void setEnabled(bool e) override { enabled = e; }
};

struct RecordingMenuArray final : MenuItemListView {
    struct Item {
        std::string caption;
        std::string tag;
        bool enabled = true;
    };
    bool placeholderVisible = true;
    std::map<int, Item> items;  // 1 to n

    void setPlaceholderVisible(bool visible) override { placeholderVisible = visible; }
    void unloadItems() override { items.clear(); }
    void loadItem(int index, const std::string& caption, const std::string& tag) override {
        if (index < 1 || items.count(index)) throw std::logic_error("item already loaded");
        items[index] = {caption, tag, true};
    }
    void setItemEnabled(int index, bool enabled) override { items.at(index).enabled = enabled; }

    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (const auto& [index, item] : items) out.push_back(item.caption);
        return out;
    }
    std::vector<bool> enabledStates() const {
        std::vector<bool> out;
        for (const auto& [index, item] : items) out.push_back(item.enabled);
        return out;
    }
};

struct RecordingTrayMenu final : TrayMenuView {
    RecordingMenuItem set, folders;
    RecordingMenuArray groups, openFolders, languages;

    MenuItemView& groupsMenuItem() override { return set; }
    MenuItemView& foldersMenuItem() override { return folders; }
    MenuItemListView& groupMenuItems() override { return groups; }
    MenuItemListView& folderMenuItems() override { return openFolders; }
    MenuItemListView& languageMenuItems() override { return languages; }
};

// Registers a fresh set of recording views for its lifetime.
struct RecordedViews {
    RecordingGroupList groupCombo;
    RecordingPlaceBoxes placeEdits;
    RecordingTrayMenu tray;

    RecordedViews() {
        setGroupListView(&groupCombo);
        setPlaceBoxesView(&placeEdits);
        setTrayMenuView(&tray);
    }
    ~RecordedViews() {
        setGroupListView(nullptr);
        setPlaceBoxesView(nullptr);
        setTrayMenuView(nullptr);
    }
    RecordedViews(const RecordedViews&) = delete;
    RecordedViews& operator=(const RecordedViews&) = delete;
};

}  // namespace varnel::test
