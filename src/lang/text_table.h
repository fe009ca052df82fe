#pragma once
// The texts every window shows, read from the chosen language file. One
// member per key of the file format, named exactly as the key.

#include <string>

namespace varnel {

struct TextTable {
    std::string AddNew, Change, Save, Delete, NewGroupName, SaveTheChanges, DeleteCurrentGroup, Cancel, Ok,
        SetPaths, Show, Hide, About, Exit, Update, BrowseTitle, SelectShortcutGroup, language, FillAllFields,
        FillName, EmptyDb, NewUpdatesAvalible, NoNewUpdatesAvalible, DownloadCancelled, Check, Finished, UpToDate,
        Restart, CantConnect, Downloading, CurrentGroup, ChangesRestart, UpdateExe, NewNameExists, Help, Folders,
        UpdateNotVerified;
};

// The table of the running program, empty until the language file is read,
// and the name of the language it was read from.
extern TextTable Texts;
extern std::string CurrentLanguage;

}  // namespace varnel
