#pragma once
// The texts every window shows, read from the chosen language file. One
// member per key of the file format, named exactly as the key.

#include <string>

namespace varnel {

struct TextTable {
    std::string AddNew, Change, Save, Delete, NewGroupName, SaveTheChanges, DeleteCurrentGroup, Cancel, Ok,
        SetPaths, Show, Hide, About, Exit, Update, BrowseTitle, SelectShortcutGroup, language, FillAllFields,
        FillName, EmptyDb, NewUpdatesAvalible, NoNewUpdatesAvalible, DownloadCancelled, Check, Finished, UpToDate,
        Restart, CantConnect, Downloading, CurrentGroup, ChangesRestart, UpdateExe, NewNameExists, Help, Folders;
    // Keys newer than the oldest language files: a file without them leaves
    // the English text.
    std::string StartAtLogin = "Start at login";
    std::string NoTray = "No notification area: right-click this window for the menu.";
    std::string UpdateByPackage = "Installed for all users: the package manager updates it.";
    std::string UpdateNotVerified = "The update could not be verified.";
    // Names that screen readers give the skin's controls; "%1" is the place's number.
    std::string GroupList = "Groups";
    std::string PlaceName = "Place %1";
    std::string BrowsePlace = "Browse for place %1";
    std::string DeleteGroup = "Delete the group";
    std::string Minimize = "Minimize";
    std::string Close = "Close";
    std::string DownloadProgress = "Download progress";
    // A list the group goes to could not take it: "%1" is the list (GTK,
    // KDE, Qt, Wine, Navigation pane), "%2" what went wrong.
    std::string TargetFailed = "The group did not reach %1. Check %2.";
    // The organisation's policy: its groups' mark, the answer to a change of
    // one, the tooltip's note on the group it sets, and its turned-off update.
    std::string Managed = "managed";
    std::string ManagedGroup = "Your organisation manages this group; it cannot be changed here.";
    std::string SetByOrganisation = "set by your organisation";
    std::string UpdateTurnedOff = "Your organisation has turned the online update off.";
    // Groups of the programs in front: the tooltip's "Finance for WINWORD.EXE",
    // the tray's submenu, and the notice where the desktop does not tell.
    std::string ForProgram = "for";
    std::string Programs = "Programs";
    // The editor's Programs button, for screen readers.
    std::string ProgramsOfGroup = "The programs whose file dialogs get this group";
    std::string ProgramsNotSeen =
        "This desktop does not tell which program is in front: the groups of programs are not shown.";
};

// The table of the running program, empty until the language file is read,
// and the name of the language it was read from.
extern TextTable Texts;
extern std::string CurrentLanguage;

}  // namespace varnel
