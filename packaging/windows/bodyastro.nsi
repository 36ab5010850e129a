; The setup program for Windows: installs the program's folder for every user of the machine,
; a Start menu shortcut and the .boa file type, and registers with Add/Remove Programs.
; Per machine, as home programs are: one copy in Program Files, which ordinary accounts cannot
; change, and one entry to remove for everyone who shares the computer.
; makensis -DVERSION=1.0 -DSOURCE_DIR=folder -DFILES_NSH=files.nsh -DOUTFILE=setup.exe bodyastro.nsi
; FILES_NSH comes from setup-files.cmake run on the same folder.

!macro Required NAME
    !ifndef ${NAME}
        !error "Define ${NAME} (makensis -D${NAME}=...)"
    !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required SOURCE_DIR
!insertmacro Required FILES_NSH
!insertmacro Required OUTFILE

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Corvane Body Astrology"
!define PUBLISHER "Corvane Software"
!define EXE "bodyastro.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CorvaneBodyAstrology"
!define PROGID "CorvaneSoftware.BodyAstrology.Reading"
!define TYPE_DESCRIPTION "Body astrology reading"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; makensis works in the script's folder.
!define ICON "../../assets/icon/bodyastro.ico"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${FILES_NSH}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; 32-bit program: Program Files (x86) on 64-bit Windows.
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
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
!insertmacro MUI_PAGE_WELCOME
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
        MessageBox MB_ICONSTOP "Please run this as an administrator: it installs ${PRODUCT} for everyone who uses this computer." /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext all
    !insertmacro RequireAdmin
FunctionEnd

Function un.onInit
    SetShellVarContext all
    !insertmacro RequireAdmin
FunctionEnd

Section
    ; An installed copy, of any version, is removed first by its own uninstaller, which knows
    ; what that version installed: nothing it shipped and this one does not is left behind.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
        DetailPrint "Removing the installed copy in $0"
        ; _? runs it in place and waits for it; it cannot delete itself from there.
        ExecWait '"$0\${UNINSTALLER}" /S _?=$0'
        Delete "$0\${UNINSTALLER}"
        RMDir "$0"
    ${EndIf}

    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "Body astrology readings for your sun, opposite and ascending signs"

    ; The .boa file type: double-clicking a saved reading opens it in the program.
    WriteRegStr HKLM "Software\Classes\.boa" "" "${PROGID}"
    WriteRegStr HKLM "Software\Classes\.boa\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "${TYPE_DESCRIPTION}"
    WriteRegStr HKLM "Software\Classes\${PROGID}" "FriendlyTypeName" "${TYPE_DESCRIPTION}"
    WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.corvanesoftware.com/"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${INSTALLED_FILES_KB}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; Explorer picks up the new file type and icon without a restart.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    !insertmacro UninstallFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only if empty: readings the user saved here stay, and so does the folder holding them.
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"

    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    DeleteRegValue HKLM "Software\Classes\.boa\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKLM "Software\Classes\.boa\OpenWithProgids"
    ; .boa is left to another program that has taken it over since.
    ReadRegStr $0 HKLM "Software\Classes\.boa" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue HKLM "Software\Classes\.boa" ""
    ${EndIf}
    DeleteRegKey /ifempty HKLM "Software\Classes\.boa"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
