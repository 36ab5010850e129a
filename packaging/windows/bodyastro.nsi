; The setup program for Windows: installs the program's folder, a Start menu shortcut and the
; .boa file type, and registers with Add/Remove Programs. Per machine by default for
; administrators, as home programs are: one copy in Program Files, which ordinary accounts cannot
; change, and one entry to remove for everyone who shares the computer (/AllUsers). Per user,
; without an administrator (/CurrentUser, or the choice on the first page): in the user's own
; programs folder, with every registration under HKCU. Never over a running copy, and never into
; a folder that is not empty and not ours.
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
    !define PROGRAM_FILES "$PROGRAMFILES64"
    !define OTHER_VIEW 32
!else
    Unicode true
    !define PROGRAM_FILES "$PROGRAMFILES"
    !define OTHER_VIEW 64
!endif
; Started with the rights of whoever starts it, never raised for a per-user install: a setup
; that an administrator runs elevated "only for me" would do, with full rights, whatever the
; user's own (unelevated, writable by any of the user's programs) registry and folders say.
; Only the choice "for everyone" asks for the administrator prompt, by starting itself again.
RequestExecutionLevel user
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

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"
!include "x64.nsh"
!include "${FILES_NSH}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"
; The uninstaller the setup writes is signed as makensis makes it, where the release signs
; (SIGN_SCRIPT does nothing otherwise).
!ifdef SIGN_SCRIPT
    !uninstfinalize '"${SIGN_SCRIPT}" "%1" uninstaller-${ARCH} "${PRODUCT} Uninstall"' = 0
!endif

; Windows' Properties > Details for the setup program itself: four numbers wanted.
!searchparse /noerrors "${VERSION}.0.0.0" "" V1 "." V2 "." V3 "." V4 "."
VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}. All rights reserved."

Var Mode            ; AllUsers or CurrentUser
Var ModeGiven       ; 1 when /AllUsers or /CurrentUser chose it
Var GivenFolder     ; /D=folder, which the modes' defaults must not replace
Var Parameters      ; the command line, handed on when the setup starts itself elevated
Var Elevated        ; 1 with an administrator's full rights
Var CanElevate      ; 1 for an administrator whom UAC started without them
Var UserPrograms    ; the user's own programs folder, %LOCALAPPDATA%\Programs
Var ProgramFilesOther ; Program Files of the other architecture, where the other copy lives
Var Place           ; where installs of the mode go
Var AllUsersButton

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
Page custom ModePage ModePageLeave
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT} in the following folder. It must be inside $Place, and a new or empty folder or the one an earlier version was installed in."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro RequireAdmin
    MessageBox MB_ICONSTOP "Please run this as an administrator: ${PRODUCT} is installed for everyone who uses this computer." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
!macroend

; Helpers both the setup and the uninstaller need, hence defined for each.
!macro Helpers PREFIX
; $Elevated, $CanElevate: what this process may do for everyone. An administrator's unelevated
; process counts as a user's (UserInfo); its token's elevation type says that the administrator
; prompt can raise it.
Function ${PREFIX}ReadAccount
    StrCpy $Elevated 0
    StrCpy $CanElevate 0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $Elevated 1
        Return
    ${EndIf}
    System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0' ; TOKEN_QUERY
    ${If} $0 <> 0
        System::Call 'advapi32::GetTokenInformation(p r1, i 18, *i .r2, i 4, *i .r3) i .r0' ; TokenElevationType
        System::Call 'kernel32::CloseHandle(p r1)'
        ${If} $0 <> 0
        ${AndIf} $2 = 3 ; TokenElevationTypeLimited
            StrCpy $CanElevate 1
        ${EndIf}
    ${EndIf}
FunctionEnd

; Starts $R0 with the parameters $R1 through the administrator prompt, waits for it and quits
; with its exit code. Returns only when it could not start ($R2: the error; 1223 when the
; prompt was declined). SHELLEXECUTEINFOW with every member after the first two pointer-sized
; (nShow and dwHotKey are padded to that size anyway), so one layout fits 32 and 64 bits.
Function ${PREFIX}RunElevated
    System::Call '*(&l4, i 0x140, p $HWNDPARENT, w "runas", w R0, w R1, p 0, p ${SW_SHOWNORMAL}, p, p, p, p, p, p, p) p .r0'
    System::Call 'shell32::ShellExecuteExW(p r0) i .r1 ?e' ; SEE_MASK_NOCLOSEPROCESS|NOASYNC
    Pop $R2
    ${If} $1 <> 0
        HideWindow
        System::Call '*$0(i, i, p, p, p, p, p, p, p, p, p, p, p, p, p .r2)'
        System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
        System::Call 'kernel32::GetExitCodeProcess(p r2, *i .r3)'
        System::Call 'kernel32::CloseHandle(p r2)'
        System::Free $0
        SetErrorLevel $3
        Quit
    ${EndIf}
    System::Free $0
FunctionEnd

; $R1: 1 when $R0\${EXE} runs. Windows refuses to open a running program for writing. Unlike a
; named object, which anyone may create first, only that copy running (or a program holding the
; file against writing, which would stop the update anyway) makes it so.
Function ${PREFIX}InUse
    StrCpy $R1 0
    System::Call 'kernel32::CreateFileW(w "$R0\${EXE}", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r0 ?e'
    Pop $1
    ${If} $0 == -1
        ${If} $1 = 32 ; ERROR_SHARING_VIOLATION
            StrCpy $R1 1
        ${EndIf}
    ${Else}
        System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
FunctionEnd
!macroend
!insertmacro Helpers ""
!insertmacro Helpers "un."

; Files in use cannot be replaced or removed: while the program runs ($R1 = 1), an interactive
; setup asks for it to be closed, a silent one stops before changing anything.
!macro StopOrRetry RETRY
    ${If} $R1 = 1
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Please close it (File > Exit) in every window, then click Retry." /SD IDCANCEL IDRETRY ${RETRY}
        SetErrorLevel 32 ; ERROR_SHARING_VIOLATION
        Quit
    ${EndIf}
!macroend

; $R1: 1 when the folder $R0 lies inside the place for installs of the mode: Program Files per
; machine (either architecture's: the other copy is removed from its own), the user's own
; programs folder per user. Anywhere else others may write: other users (a new folder under C:\
; lets every user change it, and an elevated update would run what they put there), or, for
; what HKCU names, any program of the user. Nothing is installed there or run from there.
Function InOwnArea
    StrCpy $R1 0
    ; "..", "." and "/" resolved, so that only the real folder is compared.
    System::Call 'kernel32::GetFullPathNameW(w R0, i ${NSIS_MAX_STRLEN}, w .R2, p 0)'
    ${If} $Mode == "AllUsers"
        StrCpy $R3 "${PROGRAM_FILES}"
        Call IsInside
        StrCpy $R3 $ProgramFilesOther
    ${Else}
        StrCpy $R3 $UserPrograms
    ${EndIf}
    Call IsInside
FunctionEnd

; $R1: 1 also when the path $R2 is below the folder $R3 (compared without case, as Windows does).
Function IsInside
    StrLen $R4 "$R3\"
    StrCpy $R4 $R2 $R4
    ${If} $R3 != ""
    ${AndIf} $R4 == "$R3\"
    ${AndIf} $R2 != "$R3\"
        StrCpy $R1 1
    ${EndIf}
FunctionEnd

; $R5, $R6: the folders of the installed copies of this mode's kind, this architecture's and
; the other's, each empty if none. Per machine HKLM names them (its two views), per user HKCU
; (one key for both); a folder outside the mode's place is not taken for ours.
Function FindInstalledCopies
    ReadRegStr $R5 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $R6 ""
    ${If} ${RunningX64}
        SetRegView ${OTHER_VIEW}
        ReadRegStr $R6 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
        SetRegView default
    ${EndIf}
    ${If} $R6 == $R5
        StrCpy $R6 ""
    ${EndIf}
    StrCpy $R0 $R5
    Call InOwnArea
    ${If} $R1 = 0
        StrCpy $R5 ""
    ${EndIf}
    StrCpy $R0 $R6
    Call InOwnArea
    ${If} $R1 = 0
        StrCpy $R6 ""
    ${EndIf}
FunctionEnd

; Per machine: Program Files and HKLM (for the 64-bit program their 64-bit kinds).
Function SetAllUsers
    StrCpy $Mode "AllUsers"
    SetShellVarContext all
    StrCpy $INSTDIR "${PROGRAM_FILES}\${PRODUCT}"
    StrCpy $Place "${PROGRAM_FILES}"
    Call KeepFolder
FunctionEnd

; Per user: the user's own programs folder and HKCU.
Function SetCurrentUser
    StrCpy $Mode "CurrentUser"
    SetShellVarContext current
    StrCpy $INSTDIR "$UserPrograms\${PRODUCT}"
    StrCpy $Place $UserPrograms
    Call KeepFolder
FunctionEnd

; An earlier install's folder of the mode's kind is kept, /D=folder wins over both.
Function KeepFolder
    Call FindInstalledCopies
    ${If} $R5 != ""
        StrCpy $INSTDIR $R5
    ${EndIf}
    ${If} $GivenFolder != ""
        StrCpy $INSTDIR $GivenFolder
    ${EndIf}
FunctionEnd

; For everyone without an administrator's full rights: the setup again through the
; administrator prompt, for everyone; its exit code is this one's. Returns if it did not start.
Function StartElevated
    StrCpy $R0 $EXEPATH
    StrCpy $R1 "/AllUsers $Parameters" ; /D= stays last
    Call RunElevated
FunctionEnd

; Stops while the program runs from the folder installed into or from a copy to be removed;
; per user only the user's own copies are looked at.
Function StopIfRunning
    retry:
    StrCpy $R0 $INSTDIR
    Call InUse
    StrCpy $R7 $R1
    Call FindInstalledCopies
    ${If} $R5 != ""
        StrCpy $R0 $R5
        Call InUse
        IntOp $R7 $R7 | $R1
    ${EndIf}
    ${If} $R6 != ""
        StrCpy $R0 $R6
        Call InUse
        IntOp $R7 $R7 | $R1
    ${EndIf}
    StrCpy $R1 $R7
    !insertmacro StopOrRetry retry
FunctionEnd

; $R0: empty when $INSTDIR may be installed into (inside the mode's place, and it does not
; exist, is empty, or holds an installed copy of this kind), else why not. A folder that is
; none of these could be one that ordinary users write to, with an uninstaller planted for an
; administrator's setup to run.
Function CheckFolder
    StrCpy $R0 $INSTDIR
    Call InOwnArea
    ${If} $R1 = 0
        StrCpy $R0 "$INSTDIR is not inside $Place: please choose a folder there."
        Return
    ${EndIf}
    Call FindInstalledCopies
    StrCpy $R0 ""
    ${If} $INSTDIR == $R5
    ${OrIf} $INSTDIR == $R6
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

; Runs the uninstaller of the installed copy in $R0, if any (one FindInstalledCopies found:
; never one that merely lies in the chosen folder).
Function RemoveCopy
    ${If} $R0 == ""
    ${OrIfNot} ${FileExists} "$R0\${UNINSTALLER}"
        Return
    ${EndIf}
    DetailPrint "Removing the installed copy in $R0"
    ; _? runs it in place and waits for it; it cannot delete itself from there.
    ClearErrors
    ExecWait '"$R0\${UNINSTALLER}" /S _?=$R0' $1
    ${If} ${Errors}
    ${OrIf} $1 <> 0
        MessageBox MB_ICONSTOP "The installed copy in $R0 could not be removed (code $1); nothing new was installed." /SD IDOK
        Abort
    ${EndIf}
    Delete "$R0\${UNINSTALLER}"
    RMDir "$R0"
FunctionEnd

Function .onInit
    Call ReadAccount
    GetKnownFolderPath $UserPrograms {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB} ; FOLDERID_UserProgramFiles
    ${If} $UserPrograms == ""
        SetShellVarContext current
        StrCpy $UserPrograms "$LOCALAPPDATA\Programs"
    ${EndIf}
    ; From HKLM, which only administrators change (unlike the environment).
    SetRegView ${OTHER_VIEW}
    ReadRegStr $ProgramFilesOther HKLM "Software\Microsoft\Windows\CurrentVersion" "ProgramFilesDir"
    SetRegView default
    ${GetParameters} $Parameters
    StrCpy $GivenFolder $INSTDIR

    StrCpy $ModeGiven 1
    ClearErrors
    ${GetOptions} $Parameters "/AllUsers" $0
    ${IfNot} ${Errors}
        Call SetAllUsers
    ${Else}
        ClearErrors
        ${GetOptions} $Parameters "/CurrentUser" $0
        ${IfNot} ${Errors}
            Call SetCurrentUser
        ${Else}
            ; Administrators install for everyone unless they choose otherwise on the first page.
            StrCpy $ModeGiven 0
            ${If} $Elevated = 1
            ${OrIf} $CanElevate = 1
                Call SetAllUsers
            ${Else}
                Call SetCurrentUser
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ; Without the first page (chosen on the command line, or silent), for everyone is asked for
    ; here; without an administrator account it stops with a code, also when silent.
    ${If} $Mode == "AllUsers"
    ${AndIf} $Elevated = 0
        ${If} $ModeGiven = 1
        ${OrIf} ${Silent}
            ${IfNot} $CanElevate = 1
                !insertmacro RequireAdmin
            ${EndIf}
            Call StartElevated
            SetErrorLevel $R2
            Quit
        ${EndIf}
    ${EndIf}
    Call StopIfRunning
FunctionEnd

; The first page: for everyone or only for me, offered to administrators.
Function ModePage
    ${If} $ModeGiven = 1
    ${OrIf} "$Elevated$CanElevate" == "00"
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Choose Installation Options" "Who should ${PRODUCT} be installed for?"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "Install ${PRODUCT} for everyone who uses this computer (an administrator confirms it), or only for you?"
    Pop $0
    ${NSD_CreateRadioButton} 10u 34u -10u 12u "For &everyone, in ${PROGRAM_FILES}"
    Pop $AllUsersButton
    ${NSD_CreateRadioButton} 10u 52u -10u 12u "Only for &me, in $UserPrograms"
    Pop $0
    ${If} $Mode == "AllUsers"
        ${NSD_Check} $AllUsersButton
    ${Else}
        ${NSD_Check} $0
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $AllUsersButton $0
    ${If} $0 <> ${BST_CHECKED}
        Call SetCurrentUser
    ${ElseIf} $Elevated = 1
        Call SetAllUsers
    ${Else}
        ; The elevated setup goes on from the next page; back here only if the prompt was declined.
        Call StartElevated
        Abort
    ${EndIf}
FunctionEnd

Function .onVerifyInstDir
    Call CheckFolder
    ${If} $R0 != ""
        Abort
    ${EndIf}
FunctionEnd

Function un.onInit
    Call un.ReadAccount
    ; Per machine when HKLM, which only administrators write, names this folder; otherwise the
    ; user's own install (HKCU), which needs no administrator.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext all
        ${If} $Elevated = 0
            ${IfNot} $CanElevate = 1
                !insertmacro RequireAdmin
            ${EndIf}
            ; The installed uninstaller through the administrator prompt, not this copy in the
            ; user's temporary folder; run in place (_?=) if this one was, for its exit code.
            StrCpy $R0 "$INSTDIR\${UNINSTALLER}"
            ${un.GetParameters} $R1
            ${If} $EXEPATH == $R0
                StrCpy $R1 "$R1 _?=$INSTDIR"
            ${EndIf}
            Call un.RunElevated
            SetErrorLevel $R2
            Quit
        ${EndIf}
    ${Else}
        SetShellVarContext current
    ${EndIf}
    retry:
    StrCpy $R0 $INSTDIR
    Call un.InUse
    !insertmacro StopOrRetry retry
FunctionEnd

Section
    ; Checked again: the program may have been started, or the folder changed, since.
    Call StopIfRunning
    Call CheckFolder
    ${If} $R0 != ""
        MessageBox MB_ICONSTOP "$R0" /SD IDOK
        Abort
    ${EndIf}
    ; An installed copy of this kind, of any version and either architecture, is removed first
    ; by its own uninstaller, which knows what that version installed: nothing it shipped and
    ; this one does not is left behind.
    Call FindInstalledCopies
    StrCpy $R0 $R5
    Call RemoveCopy
    StrCpy $R0 $R6
    Call RemoveCopy

    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "Body astrology readings for your sun, opposite and ascending signs"

    ; The .boa file type: double-clicking a saved reading opens it in the program, unless
    ; another program owns the type (for a user, also through the machine's classes, as
    ; Explorer reads them); then the program is only offered under Open with.
    ReadRegStr $0 SHCTX "Software\Classes\.boa" ""
    ${If} $0 == ""
    ${AndIf} $Mode == "CurrentUser"
        ReadRegStr $0 HKLM "Software\Classes\.boa" ""
    ${EndIf}
    ${If} $0 == ""
    ${OrIf} $0 == "${PROGID}"
        WriteRegStr SHCTX "Software\Classes\.boa" "" "${PROGID}"
    ${EndIf}
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
    ; Returns 0 at once: the uninstaller hands over to a copy of itself in TEMP and does not
    ; wait for it. Only '... /S _?=folder' waits and tells (32 while the program runs).
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
    ; .boa stays with another program that owned it before or has taken it over since.
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
