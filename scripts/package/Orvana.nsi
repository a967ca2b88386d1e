; Per-user installer of Orvana. Installs into the user's local programs
; folder, so no administrator prompt is needed and setting.ini beside the
; program stays writable.
;
; makensis -DVERSION=2.02 -DVERSION_NUMBERS=2.2.0.0 -DFILES=<folder> -DOUTFILE=<setup.exe> Orvana.nsi
; FILES holds Orvana.exe, OrvanaFull.exe, Orvana.ico, README.txt, LICENSE and
; THIRD-PARTY-NOTICES.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Orvana"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "The Orvana developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Orvana developers. GNU General Public License, version 2 or later."

!include "MUI2.nsh"
!define MUI_ICON "${FILES}\Orvana.ico"
!define MUI_UNICON "${FILES}\Orvana.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Orvana.exe"
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Orvana"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    ; setting.ini is the user's and is never part of the package, so an
    ; upgrade keeps it.
    File "${FILES}\Orvana.exe"
    File "${FILES}\OrvanaFull.exe"
    File "${FILES}\README.txt"
    File "${FILES}\LICENSE"
    File "${FILES}\THIRD-PARTY-NOTICES"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Orvana.lnk" "$INSTDIR\Orvana.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Orvana (all controls).lnk" "$INSTDIR\OrvanaFull.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall Orvana.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Orvana developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orvana.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ; Only what the installer put there, and the program's own settings;
    ; photos and recordings live in the user's Videos folder and stay, and
    ; so does $LOCALAPPDATA\Orvana (the user's own settings, the record of
    ; recordings under way): never removed here.
    Delete "$INSTDIR\Orvana.exe"
    Delete "$INSTDIR\OrvanaFull.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES"
    Delete "$INSTDIR\setting.ini"
    Delete "$INSTDIR\Uninstall.exe"
    ; Not /r: a file the user put there keeps the folder.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}\Orvana.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Orvana (all controls).lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall Orvana.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
