// Lists the shell's desktop root as any Windows program sees it: one line
// per entry, "name<TAB>parsing name" in UTF-8. An entry whose name is given
// as an argument is also opened, and its own entries follow it, each line
// starting with a TAB. The tests read the navigation pane's entries with it.
// With --show it opens the new-style Open dialog instead, for a screenshot.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::string displayName(IShellFolder* folder, PCUITEMID_CHILD item, SHGDNF flags) {
    STRRET ret{};
    if (FAILED(folder->GetDisplayNameOf(item, flags, &ret))) return {};
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&ret, item, &text))) return {};
    std::string name = utf8(text);
    CoTaskMemFree(text);
    return name;
}

// Calls back with each entry of the folder, folders and files alike.
template <typename Visit>
void forEachEntry(IShellFolder* folder, Visit&& visit) {
    IEnumIDList* entries = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &entries) != S_OK || !entries) return;
    PITEMID_CHILD item = nullptr;
    while (entries->Next(1, &item, nullptr) == S_OK) {
        visit(item);
        CoTaskMemFree(item);
    }
    entries->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::set<std::string> opened;
    for (int i = 1; i < argc; ++i) opened.insert(utf8(argv[i]));
    if (FAILED(CoInitialize(nullptr))) return 2;
    if (argc == 2 && std::wstring(argv[1]) == L"--show") {
        IFileOpenDialog* dialog = nullptr;
        if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                    reinterpret_cast<void**>(&dialog))))
            return 1;
        dialog->Show(nullptr);
        dialog->Release();
        return 0;
    }
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return 1;
    forEachEntry(desktop, [&](PITEMID_CHILD item) {
        const std::string name = displayName(desktop, item, SHGDN_NORMAL);
        std::printf("%s\t%s\n", name.c_str(), displayName(desktop, item, SHGDN_FORPARSING).c_str());
        if (!opened.count(name)) return;
        IShellFolder* inside = nullptr;
        if (FAILED(desktop->BindToObject(item, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&inside)))) return;
        forEachEntry(inside, [&](PITEMID_CHILD child) {
            std::printf("\t%s\n", displayName(inside, child, SHGDN_NORMAL).c_str());
        });
        inside->Release();
    });
    std::fflush(stdout);
    desktop->Release();
    CoUninitialize();
    return 0;
}
