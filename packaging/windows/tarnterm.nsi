; The Windows installer of TarnTerm, built by scripts/windows-installer.sh
; with Debian's makensis. Per user: no administrator rights, installed into
; %LOCALAPPDATA%\Programs\TarnTerm, registered under HKCU. An install over an
; older one first removes it with its own uninstaller; an uninstall keeps the
; user's settings (HKCU\Software\TarnwickTerm).
;
; Defined by the build: VERSION (3.07), VERSION_QUAD (3.7.0.0), RELEASE (the
; release folder), FILES and UNINSTALL_FILES (include files that install and
; remove its files one by one), ICON, OUTFILE.

; A 64-bit installer for a 64-bit program: it also runs where no 32-bit
; layer is (Wine without its 32-bit half).
Target amd64-unicode
; zlib keeps every part of the installer's own code under the zlib licence.
SetCompressor /SOLID zlib
RequestExecutionLevel user

!include FileFunc.nsh

!define DISPLAY_NAME "Tarnwick's Terminal"
!define PUBLISHER "The TarnTerm authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnTerm"

Name "${DISPLAY_NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\TarnTerm"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${DISPLAY_NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${DISPLAY_NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 The TarnTerm authors"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "TarnTerm"
    ; An older install: its uninstaller removes its files (also those this
    ; version no longer has) and waits, run from where it is (_?=).
    IfFileExists "$INSTDIR\uninstall.exe" 0 fresh
        ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
        Delete "$INSTDIR\uninstall.exe"
    fresh:

    SetOutPath "$INSTDIR"
    !include "${FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${DISPLAY_NAME}.lnk" "$INSTDIR\tarnterm.exe" "" "$INSTDIR\tarnterm.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnterm.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\${DISPLAY_NAME}.lnk"
    ; Only the files it installed, so a folder chosen by hand loses nothing else.
    !include "${UNINSTALL_FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; HKCU\Software\TarnwickTerm, the settings, stays for the next install.
SectionEnd
