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
; user's own (unelevated, writable by any of the user's programs) registry and folders say; so
; one started with those rights refuses to (RefuseElevated). Only the choice "for everyone"
; asks for the administrator prompt, by starting itself again.
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
Var SplitToken      ; 1 where UAC gives the account a limited token and a full one
Var Raised          ; 1 in the setup the administrator prompt started (/Raised)
Var Continued       ; 1 there when this one's pages went on from the first page (/Continue)
Var CanElevate      ; 1 for an administrator whom UAC started without them
Var UserPrograms    ; the user's own programs folder, %LOCALAPPDATA%\Programs
Var ProgramFilesOther ; Program Files of the other architecture, where the other copy lives
Var Place           ; where installs of the mode go
Var AllUsersButton

; The setup's and the uninstaller's look: the program's icon, and its icon and sign pictures on
; its windows' brown (art/, drawn by make-setup-art.sh).
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "art/side.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "art/side.bmp"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "art/header.bmp"
!define MUI_ABORTWARNING
!define /math INSTALLED_MB ${INSTALLED_FILES_KB} / 1024
!define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} ${VERSION}"
; What is installed, one thing a line.
!define BULLET "$\r$\n${U+2022} "
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} by ${PUBLISHER} on this computer:$\r$\n${BULLET}the program (${INSTALLED_MB} MB)${BULLET}a shortcut in the Start menu${BULLET}opening saved readings (.boa files) with a double click${BULLET}an entry to remove it in Settings > Apps$\r$\n$\r$\nPlease close ${PRODUCT} if it is running, then click Next to continue."
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipIfContinued
!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
; The folder of the kind's place on a line of its own, so that no path breaks across lines.
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT} in the folder below: a new or empty folder, or the one an earlier version is in, inside$\r$\n$Place"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; The exit code by which the setup the administrator prompt started asks the one that started
; it, which runs with the user's own rights, to start the program (bit 29: an application's own
; code, never a Windows error).
!define RUN_REQUESTED 0x20000001

!macro RequireAdmin
    MessageBox MB_ICONSTOP "Please run this as an administrator: ${PRODUCT} is installed for everyone who uses this computer." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
!macroend

; With an administrator's full rights nothing is done for one user: that user's registry and
; folders, which any of the user's programs can change, would choose what runs and is written
; with those rights. Restarting without them is not offered: with UAC off, or for another
; account's administrator, there is no token of the user's own to restart with.
!macro RefuseElevated
    MessageBox MB_ICONSTOP "Setup is running with administrator rights, which never install or remove ${PRODUCT} only for you. Start it again without them (not with Run as administrator)." /SD IDOK
    SetErrorLevel 5 ; ERROR_ACCESS_DENIED
    Quit
!macroend

; Calls FUNCTION with ARGUMENT on the stack and pops its result into RESULT. Every function
; takes its arguments and leaves its results on the stack and restores the registers it uses,
; so that no call changes its caller's values.
!macro CallWith FUNCTION ARGUMENT RESULT
    Push "${ARGUMENT}"
    Call ${FUNCTION}
    Pop ${RESULT}
!macroend

; Helpers both the setup and the uninstaller need, hence defined for each.
!macro Helpers PREFIX
; $Elevated: 1 with an administrator's full rights; $CanElevate: 1 for an administrator whom UAC
; started without them, whom the administrator prompt can raise. The token's elevation type
; tells; only a token without a linked one (UAC off, or a standard account) is asked whether it
; is an administrator's, as an unelevated token may still list the administrators' group.
Function ${PREFIX}ReadAccount
    Push $0
    Push $1
    Push $2
    StrCpy $Elevated 0
    StrCpy $CanElevate 0
    StrCpy $2 1 ; TokenElevationTypeDefault
    System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0' ; TOKEN_QUERY
    ${If} $0 <> 0
        System::Call 'advapi32::GetTokenInformation(p r1, i 18, *i .r2, i 4, *i .r0) i .r0' ; TokenElevationType
        System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    StrCpy $SplitToken 1
    ${If} $2 = 2 ; TokenElevationTypeFull
        StrCpy $Elevated 1
    ${ElseIf} $2 = 3 ; TokenElevationTypeLimited
        StrCpy $CanElevate 1
    ${Else}
        StrCpy $SplitToken 0
        UserInfo::GetAccountType
        Pop $0
        ${If} $0 == "Admin"
            StrCpy $Elevated 1
        ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Push PROGRAM, Push PARAMETERS, Call: starts PROGRAM through the administrator prompt, waits
; for it and quits with its exit code. Returns only when it could not start, leaving the error
; on the stack (1223 when the prompt was declined). SHELLEXECUTEINFOW with every member after
; the first two pointer-sized (nShow and dwHotKey are padded to that size anyway), so one layout
; fits 32 and 64 bits.
Function ${PREFIX}RunElevated
    Exch $1
    Exch
    Exch $0
    Push $2
    Push $3
    System::Call '*(&l4, i 0x140, p $HWNDPARENT, w "runas", w r0, w r1, p 0, p ${SW_SHOWNORMAL}, p, p, p, p, p, p, p) p .r2'
    System::Call 'shell32::ShellExecuteExW(p r2) i .r3 ?e' ; SEE_MASK_NOCLOSEPROCESS|NOASYNC
    Pop $0
    ${If} $3 <> 0
        HideWindow
        System::Call '*$2(i, i, p, p, p, p, p, p, p, p, p, p, p, p, p .r3)'
        System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
        System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r1)'
        System::Call 'kernel32::CloseHandle(p r3)'
        System::Free $2
        !if "${PREFIX}" == ""
            ${If} $1 = ${RUN_REQUESTED}
                Call StartInstalledProgram
                StrCpy $1 0
            ${EndIf}
        !endif
        SetErrorLevel $1
        Quit
    ${EndIf}
    System::Free $2
    Pop $3
    Pop $2
    Exch $0
    Exch
    Pop $1
FunctionEnd

; Push FOLDER, Call, Pop: 1 when FOLDER\${EXE} runs, else 0. Windows refuses to open a running
; program for writing. Unlike a named object, which anyone may create first, only that copy
; running (or a program holding the file against writing, which would stop the update anyway)
; makes it so.
Function ${PREFIX}InUse
    Exch $0
    Push $1
    Push $2
    StrCpy $2 0
    System::Call 'kernel32::CreateFileW(w "$0\${EXE}", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r0 ?e'
    Pop $1
    ${If} $0 == -1
        ${If} $1 = 32 ; ERROR_SHARING_VIOLATION
            StrCpy $2 1
        ${EndIf}
    ${Else}
        System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
    StrCpy $0 $2
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro Helpers ""
!insertmacro Helpers "un."

; Files in use cannot be replaced or removed: while the program runs (RUNNING = 1), an
; interactive setup asks for it to be closed, a silent one stops before changing anything.
!macro StopOrRetry RUNNING RETRY
    ${If} ${RUNNING} = 1
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Please close it (File > Exit) in every window, then click Retry." /SD IDCANCEL IDRETRY ${RETRY}
        SetErrorLevel 32 ; ERROR_SHARING_VIOLATION
        Quit
    ${EndIf}
!macroend

; Push FOLDER, Call, Pop: 1 when FOLDER lies inside the place for installs of the mode, else 0:
; Program Files per machine (either architecture's: the other copy is removed from its own),
; the user's own programs folder per user. Anywhere else others may write: other users (a new
; folder under C:\ lets every user change it, and an elevated update would run what they put
; there), or, for what HKCU names, any program of the user. Nothing is installed or run there.
Function InOwnArea
    Exch $0
    Push $1
    ; "..", "." and "/" resolved, so that only the real folder is compared.
    System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r0, p 0)'
    ${If} $Mode == "AllUsers"
        Push $0
        Push "${PROGRAM_FILES}"
        Call IsInside
        Pop $1
        ${If} $1 = 0
            Push $0
            Push $ProgramFilesOther
            Call IsInside
            Pop $1
        ${EndIf}
    ${Else}
        Push $0
        Push $UserPrograms
        Call IsInside
        Pop $1
    ${EndIf}
    StrCpy $0 $1
    Pop $1
    Exch $0
FunctionEnd

; Push PATH, Push FOLDER, Call, Pop: 1 when PATH lies below FOLDER (compared without case, as
; Windows does), else 0.
Function IsInside
    Exch $1
    Exch
    Exch $0
    Push $2
    StrLen $2 "$1\"
    StrCpy $2 $0 $2
    ${If} $1 != ""
    ${AndIf} $2 == "$1\"
    ${AndIf} $0 != "$1\"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $2
    Exch $0
    Exch
    Pop $1
FunctionEnd

; Call, Pop THIS, Pop OTHER: the folders of the installed copies of this mode's kind, this
; architecture's and the other's, each empty if none. Per machine HKLM names them (its two
; views), per user HKCU (one key for both); a folder outside the mode's place is not ours.
Function FindInstalledCopies
    Push $0
    Push $1
    Push $2
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ; 32-bit Windows has one view, which both name.
    SetRegView ${OTHER_VIEW}
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView default
    ${If} $1 == $0
        StrCpy $1 ""
    ${EndIf}
    !insertmacro CallWith InOwnArea $0 $2
    ${If} $2 = 0
        StrCpy $0 ""
    ${EndIf}
    !insertmacro CallWith InOwnArea $1 $2
    ${If} $2 = 0
        StrCpy $1 ""
    ${EndIf}
    Pop $2
    Exch $1
    Exch
    Exch $0
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
    Push $0
    Call FindInstalledCopies
    Pop $0
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${EndIf}
    Pop $0 ; the other architecture's
    Pop $0
    ${If} $GivenFolder != ""
        StrCpy $INSTDIR $GivenFolder
    ${EndIf}
FunctionEnd

; Push SWITCHES, Call, Pop: for everyone without an administrator's full rights, the setup
; again through the administrator prompt, with SWITCHES too; its exit code is this one's.
; Returns only if it did not start, leaving the error. NSIS takes /D= off the command line
; before the script sees it, so the folder is handed on by itself, last and unquoted as /D=
; must be.
Function StartElevated
    Exch $1
    Push $0
    StrCpy $0 "/AllUsers /Raised $1 $Parameters"
    ${If} $GivenFolder != ""
        StrCpy $0 "$0 /D=$GivenFolder"
    ${EndIf}
    Push $EXEPATH
    Push $0
    Call RunElevated
    Exch
    Pop $0
    Exch
    Pop $1
FunctionEnd

; Stops while the program runs from the folder installed into or from a copy to be removed;
; per user only the user's own copies are looked at.
Function StopIfRunning
    Push $0
    Push $1
    Push $2
    retry:
    Call FindInstalledCopies
    Pop $1
    Pop $2
    !insertmacro CallWith InUse $INSTDIR $0
    ${If} $1 != ""
        !insertmacro CallWith InUse $1 $1
        IntOp $0 $0 | $1
    ${EndIf}
    ${If} $2 != ""
        !insertmacro CallWith InUse $2 $2
        IntOp $0 $0 | $2
    ${EndIf}
    !insertmacro StopOrRetry $0 retry
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Call, Pop: empty when $INSTDIR may be installed into (inside the mode's place, and it does not
; exist, is empty, or holds an installed copy of this kind), else why not. A folder that is none
; of these could be one that ordinary users write to, with an uninstaller planted for an
; administrator's setup to run.
Function CheckFolder
    Push $0
    Push $1
    Push $2
    StrCpy $0 "$INSTDIR is not inside $Place: please choose a folder there."
    !insertmacro CallWith InOwnArea $INSTDIR $1
    ${If} $1 = 1
        Call FindInstalledCopies
        Pop $1
        Pop $2
        StrCpy $0 ""
        ${If} $INSTDIR != $1
        ${AndIf} $INSTDIR != $2
        ${AndIf} ${FileExists} "$INSTDIR\*.*"
            FindFirst $1 $2 "$INSTDIR\*.*"
            ${DoWhile} $2 != ""
                ${If} $2 != "."
                ${AndIf} $2 != ".."
                    StrCpy $0 "$INSTDIR is not empty and holds no earlier version of ${PRODUCT}: please choose a new or empty folder."
                    ${Break}
                ${EndIf}
                FindNext $1 $2
            ${Loop}
            FindClose $1
        ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; Push FOLDER, Call: runs the uninstaller of the installed copy in FOLDER, if any (one that
; FindInstalledCopies found: never one that merely lies in the chosen folder).
Function RemoveCopy
    Exch $0
    Push $1
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
    Pop $1
    Pop $0
FunctionEnd

Function .onInit
    Call ReadAccount
    Call ReadPlaces
    Call ChooseMode
    Call Elevate
    Call StopIfRunning
FunctionEnd

; The places of the two kinds of install.
Function ReadPlaces
    GetKnownFolderPath $UserPrograms {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB} ; FOLDERID_UserProgramFiles
    ${If} $UserPrograms == ""
        SetShellVarContext current
        StrCpy $UserPrograms "$LOCALAPPDATA\Programs"
    ${EndIf}
    ; From HKLM, which only administrators change (unlike the environment).
    SetRegView ${OTHER_VIEW}
    ReadRegStr $ProgramFilesOther HKLM "Software\Microsoft\Windows\CurrentVersion" "ProgramFilesDir"
    SetRegView default
FunctionEnd

; The mode /AllUsers or /CurrentUser chose; else for everyone for administrators, unless they
; choose otherwise on the first page, and only for the user for anyone else.
Function ChooseMode
    Push $0
    ${GetParameters} $Parameters
    StrCpy $GivenFolder $INSTDIR
    StrCpy $ModeGiven 1
    ClearErrors
    ${GetOptions} $Parameters "/Raised" $0
    ${IfNot} ${Errors}
        StrCpy $Raised 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $Parameters "/Continue" $0
    ${IfNot} ${Errors}
        StrCpy $Continued 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $Parameters "/AllUsers" $0
    ${IfNot} ${Errors}
        Call SetAllUsers
    ${Else}
        ClearErrors
        ${GetOptions} $Parameters "/CurrentUser" $0
        ${IfNot} ${Errors}
            Call SetCurrentUser
        ${ElseIf} "$Elevated$CanElevate" != "00"
            StrCpy $ModeGiven 0
            Call SetAllUsers
        ${Else}
            StrCpy $ModeGiven 0
            Call SetCurrentUser
        ${EndIf}
    ${EndIf}
    Pop $0
FunctionEnd

; For one user never with an administrator's full rights. For everyone without them, when no
; first page asks (the mode given, or silent), through the administrator prompt now; without an
; administrator account it stops with a code, also when silent. The setup the prompt started
; never starts itself again: it goes on with the rights it was given (Windows gives the full
; ones; Wine's gives none, and would start it again and again).
Function Elevate
    ${If} $Mode == "CurrentUser"
    ${AndIf} $Elevated = 1
        !insertmacro RefuseElevated
    ${EndIf}
    ${If} $Mode == "AllUsers"
    ${AndIf} $Elevated = 0
    ${AndIf} $Raised != 1
        ${If} $ModeGiven = 1
        ${OrIf} ${Silent}
            ${IfNot} $CanElevate = 1
                !insertmacro RequireAdmin
            ${EndIf}
            Push ""
            Call StartElevated
            Pop $0
            SetErrorLevel $0
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; The first page: for everyone or only for me, offered to administrators. Only for me is
; offered only to a setup without an administrator's full rights.
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
    ${If} $Elevated = 1
        EnableWindow $0 0
        ${NSD_CreateLabel} 22u 66u -22u 24u "To install only for you, start Setup again without administrator rights."
        Pop $1
    ${EndIf}
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
        Push /Continue
        Call StartElevated
        Pop $0
        Abort
    ${EndIf}
FunctionEnd

; The finish page's Run box. The program runs with the rights of whoever started the setup: the
; setup the administrator prompt started asks the one that started it to start the program;
; one started with an administrator's full rights where UAC splits them (Run as administrator)
; has none of the user's own to give it, so offers no Run box.
Function SkipIfContinued
    ${If} $Continued = 1
        Abort
    ${EndIf}
FunctionEnd

Function FinishPageShow
    ${If} $SplitToken = 1
    ${AndIf} $Elevated = 1
    ${AndIf} $Raised != 1
        ${NSD_Uncheck} $mui.FinishPage.Run
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Function RunProgram
    ${If} $Raised = 1
        SetErrorLevel ${RUN_REQUESTED}
    ${Else}
        Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
FunctionEnd

; In the setup that started the elevated one: the program it installed for everyone, where HKLM,
; which only administrators write, says.
Function StartInstalledProgram
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        Exec '"$0\${EXE}"'
    ${EndIf}
FunctionEnd

Function .onVerifyInstDir
    Call CheckFolder
    Exch $0
    ${If} $0 != ""
        Pop $0
        Abort
    ${EndIf}
    Pop $0
FunctionEnd

Function un.onInit
    Call un.ReadAccount
    ; Per machine when HKLM, which only administrators write, names this folder; otherwise the
    ; user's own install (HKCU), which needs no administrator and is never removed with one's
    ; full rights (a folder the user's programs can change).
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext all
        ; Not again in the uninstaller the administrator prompt started (/Raised), as in the setup.
        ${un.GetParameters} $1
        ClearErrors
        ${un.GetOptions} $1 "/Raised" $2
        ${If} $Elevated = 0
        ${AndIf} ${Errors}
            ; The user's own folder, with the user's own rights, before the prompt (see below).
            SetShellVarContext current
            Call un.RemoveLockFolder
            SetShellVarContext all
            Call un.Elevate
        ${EndIf}
    ${ElseIf} $Elevated = 1
        !insertmacro RefuseElevated
    ${Else}
        SetShellVarContext current
    ${EndIf}
    retry:
    !insertmacro CallWith un.InUse $INSTDIR $0
    !insertmacro StopOrRetry $0 retry
FunctionEnd

; The installed uninstaller through the administrator prompt, not this copy in the user's
; temporary folder; run in place (_?=) if this one was, for its exit code.
Function un.Elevate
    ${IfNot} $CanElevate = 1
        !insertmacro RequireAdmin
    ${EndIf}
    ${un.GetParameters} $1
    StrCpy $1 "/Raised $1"
    ${If} $EXEPATH == "$INSTDIR\${UNINSTALLER}"
        StrCpy $1 "$1 _?=$INSTDIR"
    ${EndIf}
    Push "$INSTDIR\${UNINSTALLER}"
    Push $1
    Call un.RunElevated
    Pop $0
    SetErrorLevel $0
    Quit
FunctionEnd

Section
    ; Checked again: the program may have been started, or the folder changed, since.
    Call StopIfRunning
    Call CheckFolder
    Pop $0
    ${If} $0 != ""
        MessageBox MB_ICONSTOP "$0" /SD IDOK
        Abort
    ${EndIf}
    ; An installed copy of this kind, of any version and either architecture, is removed first
    ; by its own uninstaller, which knows what that version installed: nothing it shipped and
    ; this one does not is left behind.
    Call FindInstalledCopies
    Call RemoveCopy
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

    ; The program's lock folder of the user who uninstalls, when the program left it empty; never
    ; with an administrator's rights: HKCU names $LOCALAPPDATA, and any of the user's programs can
    ; point it, or a link inside it, at a folder that such a delete must not reach.
    SetShellVarContext current
    ${If} $Elevated = 0
        Call un.RemoveLockFolder
    ${EndIf}
SectionEnd

Function un.RemoveLockFolder
    RMDir "$LOCALAPPDATA\${LOCK_FOLDER}"
    RMDir "$LOCALAPPDATA\${PUBLISHER}"
FunctionEnd
