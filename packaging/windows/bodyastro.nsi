; The setup program for Windows: installs the program's folder, a Start menu shortcut and the
; .boa file type, and registers with Add/Remove Programs. Per machine by default, as home programs
; are: one copy in Program Files, which ordinary accounts cannot change, and one entry to remove
; for everyone who shares the computer (/AllUsers). Per user, without an administrator
; (/CurrentUser, or the choice on the first page): in the user's own programs folder, with every
; registration under HKCU. Never over a running copy, and never into a folder that is not empty
; and not ours.
; makensis -DPRODUCT_NSH=product.nsh -DSOURCE_DIR=folder -DFILES_NSH=files.nsh -DOUTFILE=setup.exe bodyastro.nsi
; PRODUCT_NSH is the product's identity as CMake writes it (product.nsh.in), for the build's
; architecture; FILES_NSH comes from setup-files.cmake run on the same folder. -DVERSION=x.y
; gives another version than the project's (the setup check's older copy).

!macro Required NAME
    !ifndef ${NAME}
        !error "Define ${NAME} (makensis -D${NAME}=...)"
    !endif
!macroend
!insertmacro Required PRODUCT_NSH
!insertmacro Required SOURCE_DIR
!insertmacro Required FILES_NSH
!insertmacro Required OUTFILE

!include "${PRODUCT_NSH}"
!if "${ARCH}" == "x64"
    ; A 64-bit program itself, so that it runs where only 64-bit code runs; it sees the 64-bit
    ; Program Files and registry.
    Target amd64-unicode
    !define MULTIUSER_USE_PROGRAMFILES64
!else
    Unicode true
!endif
ManifestDPIAware true
SetCompressor /SOLID lzma
; A file that cannot be written (one in use) stops the install instead of being passed over,
; which would leave old and new files mixed.
AllowSkipFiles off

!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PACKAGE}"
!define PROGID "CorvaneSoftware.BodyAstrology.Reading"
!define TYPE_DESCRIPTION "Body astrology reading"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; makensis works in the script's folder.
!define ICON "../../assets/icon/bodyastro.ico"
; RUNNING_MUTEX is held by the program while it runs (app/system_windows.cpp), in the global
; namespace or, where that is refused, the session's.

; Per machine for administrators unless they choose otherwise, per user for everyone else.
; The folder: Program Files (Program Files (x86) for the 32-bit program on 64-bit Windows), or
; %LOCALAPPDATA%\Programs; an earlier install's folder of the same kind is kept.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INIT_FUNCTIONQUIT QuitWithoutAdministrator
; The uninstaller knows its kind from where its install was registered.
!define MULTIUSER_NOUNINSTALL
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "${FILES_NSH}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"

; Windows' Properties > Details for the setup program itself: four numbers wanted.
!searchparse /noerrors "${VERSION}.0.0.0" "" V1 "." V2 "." V3 "." V4 "."
VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}. All rights reserved."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT} in the following folder. It must be a new or empty folder, or the one an earlier version was installed in."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro RequireAdmin
    ; Program Files and HKLM are for administrators; say so instead of failing file by file.
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_ICONSTOP "Please run this as an administrator: ${PRODUCT} is installed for everyone who uses this computer." /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
!macroend

Function QuitWithoutAdministrator
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
FunctionEnd

; Files in use cannot be replaced or removed: while the program runs, an interactive setup asks
; for it to be closed, a silent one stops before changing anything.
!macro RunningCheck PREFIX
Function ${PREFIX}StopIfRunning
    retry:
    ; Access denied means it exists, held by another user's copy.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Global\${RUNNING_MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 = 0
    ${AndIf} $1 <> 5
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0 ?e'
        Pop $1
        ${If} $0 = 0
        ${AndIf} $1 <> 5
            Return
        ${EndIf}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Please close it (File > Exit) in every window, then click Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 32 ; ERROR_SHARING_VIOLATION
    Quit
FunctionEnd
!macroend
!insertmacro RunningCheck ""
!insertmacro RunningCheck "un."

; $R0: empty when $INSTDIR may be installed into (it does not exist, is empty, or is where our
; install of this kind is registered), else why not. A folder that is neither could be one that
; ordinary users write to, with an uninstaller planted for an administrator's setup to run.
Function CheckFolder
    StrCpy $R0 ""
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
    ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
        Return
    ${EndIf}
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
        ${If} $2 != "."
        ${AndIf} $2 != ".."
            StrCpy $R0 "$INSTDIR is not empty and holds no earlier version of ${PRODUCT}: please choose a new or empty folder."
            ${Break}
        ${EndIf}
        FindNext $1 $2
    ${Loop}
    FindClose $1
FunctionEnd

; Runs the uninstaller of the copy registered in the current registry view, if any. Only the
; registered one is run, never one that merely lies in the chosen folder.
Function RemoveInstalledCopy
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
        DetailPrint "Removing the installed copy in $0"
        ; _? runs it in place and waits for it; it cannot delete itself from there.
        ClearErrors
        ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
        ${If} ${Errors}
        ${OrIf} $1 <> 0
            MessageBox MB_ICONSTOP "The installed copy in $0 could not be removed (code $1); nothing new was installed." /SD IDOK
            Abort
        ${EndIf}
        Delete "$0\${UNINSTALLER}"
        RMDir "$0"
    ${EndIf}
FunctionEnd

Function .onInit
    ; /AllUsers without an administrator stops with a code, also when silent.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AllUsers" $1
    ${IfNot} ${Errors}
        !insertmacro RequireAdmin
    ${EndIf}
    ; /D=folder comes first: the install modes would replace it with their defaults.
    StrCpy $R9 $INSTDIR
    !insertmacro MULTIUSER_INIT
    ${If} $R9 != ""
        StrCpy $INSTDIR $R9
    ${EndIf}
    Call StopIfRunning
FunctionEnd

Function .onVerifyInstDir
    Call CheckFolder
    ${If} $R0 != ""
        Abort
    ${EndIf}
FunctionEnd

Function un.onInit
    ; Per user when this folder is the one registered for this user; otherwise per machine.
    SetShellVarContext current
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != $INSTDIR
        SetShellVarContext all
        !insertmacro RequireAdmin
    ${EndIf}
    Call un.StopIfRunning
FunctionEnd

Section
    ; Checked again: the program may have been started while the pages were open.
    Call StopIfRunning
    Call CheckFolder
    ${If} $R0 != ""
        MessageBox MB_ICONSTOP "$R0" /SD IDOK
        Abort
    ${EndIf}
    ; An installed copy of this kind, of any version and either architecture, is removed first
    ; by its own uninstaller, which knows what that version installed: nothing it shipped and
    ; this one does not is left behind. Per machine, the 64-bit and 32-bit copies are registered
    ; in the registry's two views; per user, both share one key.
    ${If} ${RunningX64}
        SetRegView 64
        Call RemoveInstalledCopy
        SetRegView 32
        Call RemoveInstalledCopy
        SetRegView default
    ${Else}
        Call RemoveInstalledCopy
    ${EndIf}

    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "Body astrology readings for your sun, opposite and ascending signs"

    ; The .boa file type: double-clicking a saved reading opens it in the program.
    WriteRegStr SHCTX "Software\Classes\.boa" "" "${PROGID}"
    WriteRegStr SHCTX "Software\Classes\.boa\OpenWithProgids" "${PROGID}" ""
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "${TYPE_DESCRIPTION}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "FriendlyTypeName" "${TYPE_DESCRIPTION}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.corvanesoftware.com/"
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${INSTALLED_FILES_KB}
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

    ; Explorer picks up the new file type and icon without a restart.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    !insertmacro UninstallFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only if empty: readings the user saved here stay, and so does the folder holding them.
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"

    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\.boa\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.boa\OpenWithProgids"
    ; .boa is left to another program that has taken it over since.
    ReadRegStr $0 SHCTX "Software\Classes\.boa" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue SHCTX "Software\Classes\.boa" ""
    ${EndIf}
    DeleteRegKey /ifempty SHCTX "Software\Classes\.boa"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ; The program's lock folder of the user who uninstalls, when the program left it empty.
    SetShellVarContext current
    RMDir "$LOCALAPPDATA\${LOCK_FOLDER}"
    RMDir "$LOCALAPPDATA\${PUBLISHER}"
SectionEnd
