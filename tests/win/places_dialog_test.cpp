// The proof that counts: the common Open dialog itself shows the group that
// applyPlaces wrote, and its own places again after the remove.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/registry.h"
#include "targets/places_bar/places_bar.h"
#include "support/test_env.h"

// Last: its HKEY_CURRENT_USER macro would hide the engine's constant.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

using namespace varnel;

namespace {

constexpr platform::HKey kUser = platform::HKEY_CURRENT_USER_HANDLE;
constexpr UINT_PTR kGiveUpTimer = 1;

struct DialogRun {
    bool initialised = false;
    bool placesBarFound = false;
    std::vector<std::string> captions;
};
DialogRun* current = nullptr;

std::vector<std::string> buttonTexts(HWND toolbar) {
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        LRESULT length = SendMessageA(toolbar, TB_GETBUTTONTEXTA, button.idCommand, 0);
        std::string text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        if (length > 0)
            SendMessageA(toolbar, TB_GETBUTTONTEXTA, button.idCommand, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length > 0 ? static_cast<size_t>(length) : 0);
        texts.push_back(text);
    }
    return texts;
}

// Reads the places bar (the toolbar ctl1 of the explorer-style dialog) once
// the dialog has initialised, then cancels the dialog.
UINT_PTR CALLBACK hook(HWND child, UINT message, WPARAM w, LPARAM l) {
    HWND dialog = GetParent(child);
    if (message == WM_INITDIALOG) {
        // Never leave a test hanging on a dialog nobody closes.
        SetTimer(child, kGiveUpTimer, 30000, nullptr);
    } else if (message == WM_TIMER && w == kGiveUpTimer) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else if (message == WM_NOTIFY && reinterpret_cast<OFNOTIFYA*>(l)->hdr.code == CDN_INITDONE) {
        current->initialised = true;
        HWND bar = GetDlgItem(dialog, ctl1);
        char className[64] = {};
        if (bar) GetClassNameA(bar, className, sizeof className);
        current->placesBarFound = std::string(className) == TOOLBARCLASSNAMEA;
        if (current->placesBarFound) current->captions = buttonTexts(bar);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

DialogRun openDialog(const char* when) {
    DialogRun run;
    current = &run;
    char file[MAX_PATH] = {};
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    open.lpfnHook = hook;
    EXPECT_FALSE(GetOpenFileNameA(&open)) << "the dialog was cancelled, not answered";
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    current = nullptr;
    std::cout << "Places bar " << when << ":";
    for (const auto& caption : run.captions) std::cout << " [" << caption << "]";
    std::cout << std::endl;
    return run;
}

// The caption the shell gives a special folder, such as 5 (the documents).
std::string specialFolderName(int folder) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, folder, &item) != S_OK) return "?";
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
    CoTaskMemFree(item);
    return info.szDisplayName;
}

// What the registry's own command-line tool lists for a key and everything below it.
std::vector<std::string> regQuery(const std::string& key) {
    std::vector<std::string> lines;
    FILE* out = _popen(("reg query \"HKEY_CURRENT_USER\\" + key + "\" /s").c_str(), "r");
    if (!out) return lines;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, out)) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        // The key itself is listed by some versions of the tool and not by others.
        if (!line.empty() && line != "HKEY_CURRENT_USER\\" + key) lines.push_back(line);
    }
    _pclose(out);
    return lines;
}

}  // namespace

TEST(OpenDialog, ThePlacesBarShowsTheAppliedGroupAndItsOwnPlacesAfterTheRemove) {
    test::TestEnvironment env;
    const std::string office = "Software\\Microsoft\\Office\\11.0\\Common\\Open Find\\Places";
    createKey(kUser, office + "\\StandardPlaces\\Desktop");

    DialogRun before = openDialog("before");
    ASSERT_TRUE(before.initialised);
    ASSERT_TRUE(before.placesBarFound);
    ASSERT_FALSE(before.captions.empty());

    applyPlaces({"C:\\windows", "C:\\users", "5", "17", "C:\\Program Files"});

    DialogRun applied = openDialog("after apply");
    EXPECT_EQ(applied.captions, (std::vector<std::string>{"windows", "users", specialFolderName(CSIDL_PERSONAL),
                                                          specialFolderName(CSIDL_DRIVES), "Program Files"}));

    // Another program sees exactly what the apply wrote.
    EXPECT_EQ(regQuery(kPlacesBarKey), (std::vector<std::string>{"    place0    REG_SZ    C:\\windows",
                                                                 "    place1    REG_SZ    C:\\users",
                                                                 "    place2    REG_DWORD    0x5",
                                                                 "    place3    REG_DWORD    0x11",
                                                                 "    place4    REG_SZ    C:\\Program Files"}));
    const std::string root = "HKEY_CURRENT_USER\\" + office;
    std::vector<std::string> places = {root + "\\StandardPlaces", root + "\\StandardPlaces\\Desktop",
                                       "    Show    REG_DWORD    0x0", root + "\\UserDefinedPlaces"};
    const char* names[] = {"windows", "users", "5", "17", "Program Files"};
    const char* paths[] = {"REG_SZ    C:\\windows", "REG_SZ    C:\\users", "REG_DWORD    0x5", "REG_DWORD    0x11",
                           "REG_SZ    C:\\Program Files"};
    for (int j = 0; j < 5; ++j) {
        places.push_back(root + "\\UserDefinedPlaces\\Place" + std::to_string(j));
        places.push_back(std::string("    Name    ") + (j == 2 || j == 3 ? "REG_DWORD    0x" : "REG_SZ    ") +
                         (j == 2 ? "5" : j == 3 ? "11" : names[j]));
        places.push_back(std::string("    Path    ") + paths[j]);
    }
    EXPECT_EQ(regQuery(office), places);

    removePlaces();
    DialogRun removed = openDialog("after remove");
    EXPECT_EQ(removed.captions, before.captions);
    EXPECT_NE(removed.captions, applied.captions);
    EXPECT_FALSE(env.exists("Error.log"));
}
