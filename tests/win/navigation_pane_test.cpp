// The group in the navigation pane of the new-style Open/Save dialog, read
// back through the registry's own functions and through the shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/path_text.h"
#include "targets/navigation_pane/navigation_pane_target.h"
#include "targets/place_targets.h"
#include "targets/places_bar/places_bar.h"
#include "platform/platform.h"
#include "platform/win/wide_text.h"
#include "support/test_env.h"

// Last: its HKEY_CURRENT_USER macro would hide the engine's constant.
#include <windows.h>

using namespace varnel;

namespace {

const std::string kNameSpace = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\";
const std::string kHidden = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel";
const std::string kSlots[] = {"{377C742E-5507-469C-A9EA-0FB0926479B1}", "{377C742E-5507-469C-A9EA-0FB0926479B2}",
                              "{377C742E-5507-469C-A9EA-0FB0926479B3}", "{377C742E-5507-469C-A9EA-0FB0926479B4}",
                              "{377C742E-5507-469C-A9EA-0FB0926479B5}"};
const std::string kAnother = "{6B1D0C55-3F0A-4E7B-8D52-2A9C4E1F0B7D}";

std::string typed(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if (type == REG_DWORD) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(*reinterpret_cast<const DWORD*>(data.data())));
        return std::string("DWORD:") + hex;
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return (type == REG_EXPAND_SZ ? "EXPAND_SZ:" : type == REG_SZ ? "SZ:" : "TYPE" + std::to_string(type) + ":") +
           platform::narrow(text);
}

// Every value of the key and of the keys below it, as "Key\Path|name=TYPE:data", sorted;
// `view` KEY_WOW64_32KEY reads as a 32-bit program does.
void readTree(HKEY root, const std::string& path, std::vector<std::string>& out, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, platform::widen(path).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameSize = 16384, type = 0, size = 4096;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        out.push_back(path + "|" + platform::narrow(std::wstring_view(name, nameSize)) + "=" + typed(type, data, size));
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        if (RegEnumKeyW(key, i, name, 256) != ERROR_SUCCESS) break;
        readTree(root, path + "\\" + platform::narrow(name), out, view);
    }
    RegCloseKey(key);
    std::sort(out.begin(), out.end());
}

std::vector<std::string> tree(HKEY root, const std::string& path, REGSAM view = 0) {
    std::vector<std::string> out;
    readTree(root, path, out, view);
    return out;
}

bool wideKeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, platform::widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool hiddenValueExists(const std::string& name) {
    return RegGetValueW(HKEY_CURRENT_USER, platform::widen(kHidden).c_str(), platform::widen(name).c_str(), RRF_RT_ANY,
                        nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// What Microsoft documents for a folder in the navigation pane, for both the
// 64-bit and the 32-bit class key, in slot `slot`.
std::vector<std::string> documentedClass(int slot, const std::string& folder, const std::string& caption) {
    std::vector<std::string> lines;
    for (const std::string classes : {"Software\\Classes\\CLSID\\", "Software\\Classes\\Wow6432Node\\CLSID\\"}) {
        const std::string k = classes + kSlots[slot];
        char sort[16];
        std::snprintf(sort, sizeof sort, "0x%x", 0x42 + slot);
        for (const std::string& line :
             {k + "|=SZ:" + caption, k + "|System.IsPinnedToNameSpaceTree=DWORD:0x1", k + "|SortOrderIndex=DWORD:" + sort,
              k + "|VarnelZizeSlot=DWORD:0x" + std::to_string(slot + 1),
              k + "\\DefaultIcon|=SZ:" + pathText(platform::executablePath()) + ",0",
              k + "\\InProcServer32|=EXPAND_SZ:%systemroot%\\system32\\shell32.dll",
              k + "\\Instance|CLSID=SZ:{0E5AAE11-A475-4c5b-AB00-C66DE400274E}",
              k + "\\Instance\\InitPropertyBag|Attributes=DWORD:0x11",
              k + "\\Instance\\InitPropertyBag|TargetFolderPath=SZ:" + folder,
              k + "\\ShellFolder|FolderValueFlags=DWORD:0x28", k + "\\ShellFolder|Attributes=DWORD:0xf080004d"})
            lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> documentedEntry(int slot, const std::string& caption) {
    const std::string k = kNameSpace + kSlots[slot];
    return {k + "|=SZ:" + caption, k + "|VarnelZizeSlot=DWORD:0x" + std::to_string(slot + 1)};
}

std::vector<std::string> classesOfAllSlots() {
    std::vector<std::string> lines;
    for (const std::string& id : kSlots)
        for (const std::string classes : {"Software\\Classes\\CLSID\\", "Software\\Classes\\Wow6432Node\\CLSID\\"}) {
            readTree(HKEY_CURRENT_USER, classes + id, lines);
            readTree(HKEY_LOCAL_MACHINE, classes + id, lines);
        }
    return lines;
}

// The test's folders: one with a non-ASCII name and a file in it, and one
// whose name reads as an environment variable, with a file of its own.
struct Folders {
    Folders(const test::TestEnvironment& env)
        : asa(pathText(env.folder() / pathFromText("Projekt Åsa"))), plain(pathText(env.path("plain"))),
          missing(pathText(env.path("missing"))), percent(pathText(env.path("%TEMP%"))) {
        std::filesystem::create_directories(pathFromText(asa));
        std::filesystem::create_directories(pathFromText(plain));
        std::filesystem::create_directories(pathFromText(percent));
        std::ofstream(pathFromText(asa + "\\inside.txt")) << "x";
        std::ofstream(pathFromText(percent + "\\percent.txt")) << "x";
    }
    std::string asa, plain, missing, percent;
};

void clearSlots() {
    for (const std::string& id : kSlots)
        for (const std::string classes : {"Software\\Classes\\CLSID\\", "Software\\Classes\\Wow6432Node\\CLSID\\"}) {
            RegDeleteTreeW(HKEY_CURRENT_USER, platform::widen(classes + id).c_str());
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, platform::widen(classes + id).c_str());
        }
    for (const std::string& id : kSlots) RegDeleteTreeW(HKEY_CURRENT_USER, platform::widen(kNameSpace + id).c_str());
}

// The shell's desktop root as another program lists it, with the content of
// the entries named. Started directly, not through cmd, which would expand a
// name such as "%TEMP%".
std::string desktopRoot(const std::vector<std::string>& opened) {
    const auto probe = platform::executablePath().parent_path() / "desktop_root_probe.exe";
    std::wstring command = L"\"" + probe.wstring() + L"\"";
    for (const std::string& name : opened) command += L" \"" + platform::widen(name) + L"\"";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE reader = nullptr, writer = nullptr;
    if (!CreatePipe(&reader, &writer, &inherited, 0)) return {};
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = writer;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process);
    CloseHandle(writer);
    std::string out;
    if (started) {
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(reader, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(reader);
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    return out;
}

}  // namespace

// Windows' own form, forced where Wine runs it: every key and value as
// documented, a switch, the removal, and nobody else's entry touched.
TEST(NavigationPane, TheWindowsFormIsTheDocumentedOneAndLeavesOtherEntriesAlone) {
    test::TestEnvironment env;
    clearSlots();
    const Folders f(env);
    // Another program's entry, and an unmarked key in one of our slots.
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, platform::widen(kNameSpace + kAnother).c_str(), nullptr, REG_SZ,
                              L"Another", 16), ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, platform::widen(kHidden).c_str(), platform::widen(kAnother).c_str(),
                              REG_DWORD, &one, 4), ERROR_SUCCESS);
    const std::vector<std::string> another = tree(HKEY_CURRENT_USER, kNameSpace + kAnother);

    // "5" names the documents in the Places Bar, not the folder 5 beside us.
    const auto workingFolder = std::filesystem::current_path();
    std::filesystem::create_directory(env.path("5"));
    std::filesystem::current_path(env.folder());
    NavigationPane pane(NavigationPaneForm::Windows);
    pane.apply({f.asa, "5", f.missing, f.plain, f.percent});
    std::filesystem::current_path(workingFolder);

    // The folder paths go in as plain text, never expanded: "%TEMP%" is the folder of that name.
    std::vector<std::string> wanted = documentedClass(0, f.asa, "Projekt Åsa");
    for (const std::string& line : documentedClass(3, f.plain, "plain")) wanted.push_back(line);
    for (const std::string& line : documentedClass(4, f.percent, "%TEMP%")) wanted.push_back(line);
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(classesOfAllSlots(), wanted);
    EXPECT_EQ(tree(HKEY_CURRENT_USER, kNameSpace + kSlots[0]), documentedEntry(0, "Projekt Åsa"));
    EXPECT_EQ(tree(HKEY_CURRENT_USER, kNameSpace + kSlots[3]), documentedEntry(3, "plain"));
    EXPECT_EQ(tree(HKEY_CURRENT_USER, kNameSpace + kSlots[4]), documentedEntry(4, "%TEMP%"));
    for (int slot : {1, 2}) EXPECT_FALSE(wideKeyExists(HKEY_CURRENT_USER, kNameSpace + kSlots[slot])) << slot;
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(hiddenValueExists(kSlots[slot]), slot != 1 && slot != 2) << slot;

    // A switch: the first slot follows, the fourth and fifth are emptied.
    pane.apply({f.plain, "", "", "", ""});
    EXPECT_EQ(classesOfAllSlots(), documentedClass(0, f.plain, "plain"));
    for (int slot : {3, 4}) {
        EXPECT_FALSE(wideKeyExists(HKEY_CURRENT_USER, kNameSpace + kSlots[slot])) << slot;
        EXPECT_FALSE(hiddenValueExists(kSlots[slot])) << slot;
    }

    // A run killed in the middle of writing slot 3 left its class behind; a
    // key in slot 5 without our marker is not ours.
    const std::string cut = "Software\\Classes\\CLSID\\" + kSlots[2];
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, platform::widen(cut).c_str(), L"VarnelZizeSlot", REG_DWORD, &one, 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, platform::widen(cut + "\\InProcServer32").c_str(), nullptr, REG_SZ,
                              L"x", 4), ERROR_SUCCESS);
    const std::string foreign = "Software\\Classes\\CLSID\\" + kSlots[4];
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, platform::widen(foreign).c_str(), nullptr, REG_SZ, L"y", 4),
              ERROR_SUCCESS);

    // The start-up sweep and the removal are one: every marked key goes.
    NavigationPane(NavigationPaneForm::Windows).remove();
    EXPECT_EQ(classesOfAllSlots(), (std::vector<std::string>{foreign + "|=SZ:y"}));
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_FALSE(wideKeyExists(HKEY_CURRENT_USER, kNameSpace + kSlots[slot])) << slot;
        EXPECT_FALSE(hiddenValueExists(kSlots[slot])) << slot;
    }
    EXPECT_EQ(tree(HKEY_CURRENT_USER, kNameSpace + kAnother), another);
    EXPECT_TRUE(hiddenValueExists(kAnother));
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");

    RegDeleteTreeW(HKEY_CURRENT_USER, platform::widen(foreign).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::widen(kNameSpace + kAnother).c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, platform::widen(kHidden).c_str(), platform::widen(kAnother).c_str());
}

// Wine's form, read by Wine's shell: the desktop root lists each folder under
// its name, opening it lists the folder's content, and after the removal
// neither is there.
TEST(NavigationPane, WinesShellShowsTheFoldersOfWinesForm) {
    if (!platform::runningUnderWine()) GTEST_SKIP() << "Wine's form is read by Wine's shell only";
    test::TestEnvironment env;
    clearSlots();
    const Folders f(env);
    ASSERT_EQ(NavigationPane::formOfThisSystem(), NavigationPaneForm::Wine);

    NavigationPane pane;
    pane.apply({"", f.asa, f.missing, f.plain, f.percent});
    const std::string shown = desktopRoot({"Projekt Åsa", "plain", "%TEMP%"});
    // The shell spells class identifiers in lower case.
    auto parsingName = [](std::string id) {
        for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return "\t::" + id + "\n";
    };
    EXPECT_NE(shown.find("Projekt Åsa" + parsingName(kSlots[1]) + "\tinside.txt\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("plain" + parsingName(kSlots[3])), std::string::npos) << shown;
    // "%TEMP%" opens the folder of that name, not the expanded variable's.
    EXPECT_NE(shown.find("%TEMP%" + parsingName(kSlots[4]) + "\tpercent.txt\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("missing"), std::string::npos) << shown;
    // A 32-bit program finds the same classes through its own view of the
    // registry, beside the same namespace entries.
    for (int slot : {1, 3, 4}) {
        const std::string classKey = "Software\\Classes\\CLSID\\" + kSlots[slot];
        const std::vector<std::string> seen64 = tree(HKEY_LOCAL_MACHINE, classKey, KEY_WOW64_64KEY);
        EXPECT_FALSE(seen64.empty()) << slot;
        EXPECT_EQ(tree(HKEY_LOCAL_MACHINE, classKey, KEY_WOW64_32KEY), seen64) << slot;
        EXPECT_EQ(tree(HKEY_CURRENT_USER, kNameSpace + kSlots[slot], KEY_WOW64_32KEY),
                  tree(HKEY_CURRENT_USER, kNameSpace + kSlots[slot], KEY_WOW64_64KEY)) << slot;
    }
    // Wine's form writes nothing of the per-user classes.
    for (const std::string& id : kSlots)
        EXPECT_FALSE(wideKeyExists(HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\" + id)) << id;

    pane.remove();
    const std::string after = desktopRoot({});
    EXPECT_EQ(after.find("Projekt"), std::string::npos) << after;
    EXPECT_EQ(after.find("plain"), std::string::npos) << after;
    EXPECT_EQ(after.find("%TEMP%"), std::string::npos) << after;
    EXPECT_TRUE(classesOfAllSlots().empty());
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");
}

// The program's list of targets brings the group into the navigation pane
// and takes it out again, unless the setting DesktopPlaces says none; and
// says so.
TEST(NavigationPane, FollowsTheGroupUnlessTheSettingSaysNone) {
    test::TestEnvironment env;
    clearSlots();
    const Folders f(env);
    PlaceTargets targets;
    targets.add(std::make_unique<NavigationPaneTarget>(NavigationPaneForm::Windows));
    auto shown = [] {
        std::vector<int> slots;
        for (int slot = 0; slot < 5; ++slot)
            if (wideKeyExists(HKEY_CURRENT_USER, kNameSpace + kSlots[slot])) slots.push_back(slot);
        return slots;
    };
    auto paneLine = [&] { return stateText(targets.report().at(2)); };
    const PlaceSet group = {f.asa, "", f.plain, "", ""};
    targets.apply(group);
    EXPECT_EQ(shown(), (std::vector<int>{0, 2}));
    EXPECT_EQ(targets.report().at(2).target, "Navigation pane");
    EXPECT_EQ(paneLine(), "holds the group");
    deleteRegistryTree(platform::HKEY_CURRENT_USER_HANDLE, kNameSpace + kSlots[2]);
    EXPECT_EQ(paneLine(), "failed: the navigation pane does not show " + f.plain);
    targets.remove();
    EXPECT_EQ(shown(), std::vector<int>{});

    targets.apply(group);
    setValue(platform::HKEY_CURRENT_USER_HANDLE, kSettingsKey, "DesktopPlaces", std::string("None"));
    targets.apply(group);
    EXPECT_EQ(shown(), std::vector<int>{});
    EXPECT_EQ(paneLine(), "off");
    EXPECT_TRUE(classesOfAllSlots().empty());
    EXPECT_TRUE(keyExists(platform::HKEY_CURRENT_USER_HANDLE, kPlacesBarKey));
    targets.remove();
    EXPECT_FALSE(env.exists("Error.log")) << env.readFile("Error.log");
}
