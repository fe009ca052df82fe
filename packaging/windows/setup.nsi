; The Windows setup program: installs the release folder for the current
; user, without administrator rights, into %LOCALAPPDATA%\Programs\Varnel Zize
; (laid out as the program folder, so online updates work there), with a
; Start menu entry, an "Apps & features" entry and, on request, the same Run
; value as the tray's "Start at login". /S installs and uninstalls silently;
; /StartAtLogin selects "Start at login" on the command line.
;
; Built by cmake/windows/setup.cmake, which defines:
;   VERSION       the program's version (1.0.3)
;   RELEASE_DIR   the release folder (cmake/release_folder.cmake)
;   OUTFILE       the setup program to write
;   FILES_NSH     the release's files and folders, for the uninstaller
;   RELEASE_TOOL  varnel_release_database.exe, which renews an installed
;                 copy's version rows
;   ICON          the program's icon
;   SIGN          (optional) the command that signs a program file in place
;   UNINSTALLER_COPY  (with SIGN) where a copy of the signed uninstaller goes

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "${FILES_NSH}"

!define PRODUCT "Varnel Zize"
!define PUBLISHER "Varnel"
!define WEBSITE "https://www.varnelzize.se"
!define MAIN_PROGRAM "Varnel_Zize.exe"
!define UPDATER "Varnel_Zize_Update.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The tray's "Start at login" writes this value (src/shell/autostart.cpp).
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Varnel Zize"
; The hidden window the running program is found by (src/shell/main.cpp).
!define PROGRAM_WINDOW "Varnel_Zize"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!ifdef SIGN
  ; Signed as makensis writes them: the uninstaller before it goes into the
  ; setup program, the setup program last.
  !uninstfinalize '"${SIGN}" "%1" "${UNINSTALLER_COPY}"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${MAIN_PROGRAM}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's own languages; Windows' display language chooses.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Swedish"
!insertmacro MUI_LANGUAGE "German"
LangString StartAtLogin ${LANG_ENGLISH} "Start at login"
LangString StartAtLogin ${LANG_SWEDISH} "Starta vid inloggning"
LangString StartAtLogin ${LANG_GERMAN} "Beim Anmelden starten"
LangString StillRunning ${LANG_ENGLISH} "${PRODUCT} is still running. Close it from its tray menu, then try again."
LangString StillRunning ${LANG_SWEDISH} "${PRODUCT} körs fortfarande. Avsluta det från menyn i meddelandefältet och försök igen."
LangString StillRunning ${LANG_GERMAN} "${PRODUCT} läuft noch. Beenden Sie es über sein Menü im Infobereich und versuchen Sie es erneut."
LangString KeepGroups ${LANG_ENGLISH} "Keep your groups for a later installation of ${PRODUCT}?"
LangString KeepGroups ${LANG_SWEDISH} "Behålla dina grupper till en senare installation av ${PRODUCT}?"
LangString KeepGroups ${LANG_GERMAN} "Ihre Gruppen für eine spätere Installation von ${PRODUCT} behalten?"

Var WasRunning

; The manifest, its sums and signature, as fetched or built, and the
; partial copies written beside them.
!macro REMOVE_UPDATE_FILES FOLDER
  !insertmacro REMOVE_WITH_PARTIAL "${FOLDER}\Update.upd"
  !insertmacro REMOVE_WITH_PARTIAL "${FOLDER}\Update.sums"
  !insertmacro REMOVE_WITH_PARTIAL "${FOLDER}\Update.sig"
!macroend
!macro REMOVE_WITH_PARTIAL FILE
  Delete "${FILE}"
  Delete "${FILE}.new"
!macroend

; Asks a running copy to close, as an update does, and waits until its
; program file is free to be replaced or removed. Sets $WasRunning.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  StrCpy $WasRunning 0
  FindWindow $0 "" "${PROGRAM_WINDOW}"
  ${If} $0 = 0
  ${OrIfNot} ${FileExists} "$INSTDIR\${UPDATER}"
    Return
  ${EndIf}
  StrCpy $WasRunning 1
  DetailPrint "endmainapp"
  ExecWait '"$INSTDIR\${UPDATER}" endmainapp'
  ; The window goes first; the program file is free once the process ended.
  StrCpy $1 0
  ${Do}
    FindWindow $0 "" "${PROGRAM_WINDOW}"
    ${If} $0 = 0
      ClearErrors
      FileOpen $2 "$INSTDIR\${MAIN_PROGRAM}" a
      ${IfNot} ${Errors}
        FileClose $2
        Return
      ${EndIf}
    ${EndIf}
    Sleep 250
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 240
  MessageBox MB_OK|MB_ICONSTOP "$(StillRunning)" /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File /r /x Varnel.db "${RELEASE_DIR}/*"
  ; Over an installed copy its groups stay, and its version rows become the
  ; release's: the files are the release's again.
  ${If} ${FileExists} "$INSTDIR\Db\Varnel.db"
    InitPluginsDir
    File "/oname=$PLUGINSDIR\Varnel.db" "${RELEASE_DIR}/Db/Varnel.db"
    File "/oname=$PLUGINSDIR\varnel_release_database.exe" "${RELEASE_TOOL}"
    ; A failure leaves the rows as they were and says why in the details.
    nsExec::ExecToLog '"$PLUGINSDIR\varnel_release_database.exe" --renew "$INSTDIR\Db\Varnel.db" "$PLUGINSDIR\Varnel.db"'
    Pop $0
  ${Else}
    CreateDirectory "$INSTDIR\Db"
    File "/oname=$INSTDIR\Db\Varnel.db" "${RELEASE_DIR}/Db/Varnel.db"
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${MAIN_PROGRAM}" "" "$INSTDIR\${MAIN_PROGRAM}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MAIN_PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${WEBSITE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(StartAtLogin)" SecStartAtLogin
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${MAIN_PROGRAM}"'
SectionEnd

Section "-Finish"
  ; "Start at login" unticked by the user goes, as the tray item does it.
  ${IfNot} ${SectionIsSelected} ${SecStartAtLogin}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ; A silent update over a running copy leaves it running again; the finish
  ; page offers the same.
  ${If} ${Silent}
  ${AndIf} $WasRunning = 1
    Exec '"$INSTDIR\${MAIN_PROGRAM}"'
  ${EndIf}
SectionEnd

Function .onInit
  ; Installed before: its "Start at login" stays as the user chose it.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/StartAtLogin" $2
  ${If} $0 != ""
  ${OrIfNot} ${Errors}
    !insertmacro SelectSection ${SecStartAtLogin}
  ${Else}
    !insertmacro UnselectSection ${SecStartAtLogin}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopy
  ; The program removes what it wrote itself: its settings, the Places Bar
  ; and the other places it filled.
  ${If} ${FileExists} "$INSTDIR\${MAIN_PROGRAM}"
    DetailPrint "deletereg"
    ExecWait '"$INSTDIR\${MAIN_PROGRAM}" deletereg'
  ${EndIf}
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  !insertmacro REMOVE_RELEASE_FILES
  ; What the programs write beside themselves, by name: the chosen folder may
  ; hold the user's own files, so no folder goes with its content.
  Delete "$INSTDIR\Error.log"
  Delete "$INSTDIR\loggaren.log"
  !insertmacro REMOVE_UPDATE_FILES "$INSTDIR"
  ; An update's leftovers in Temp: the files waiting for the updater, the
  ; release they were checked against, and the old copies kept during a
  ; download, whose names hold "&" where their paths hold "\".
  Delete "$INSTDIR\Temp\${MAIN_PROGRAM}"
  Delete "$INSTDIR\Temp\Varnel.db"
  !insertmacro REMOVE_UPDATE_FILES "$INSTDIR\Temp"
  Delete "$INSTDIR\Temp\*&*"
  RMDir "$INSTDIR\Temp"
  ; After a crash in the middle of a write the journal is what repairs the
  ; database: it goes only with the database.
  MessageBox MB_YESNO|MB_ICONQUESTION "$(KeepGroups)" /SD IDYES IDYES keep
    Delete "$INSTDIR\Db\Varnel.db"
    Delete "$INSTDIR\Db\Varnel.db-journal"
  keep:
  Delete "$INSTDIR\${UNINSTALLER}"
  !insertmacro REMOVE_RELEASE_FOLDERS
  RMDir "$INSTDIR"
SectionEnd
