; SPDX-License-Identifier: GPL-3.0-or-later
; Copyright (C) 2026 DP3tools maintainers
;
; The Windows installer, made by scripts/package.sh with
;   makensis -DVERSION=5.x -DVERSION_QUAD=5.x.0.0 -DSTAGE=FOLDER -DICON=FILE -DOUTFILE=FILE
; from the folder that also goes into the zip. It installs for the current user
; only (no administrator) into %LOCALAPPDATA%\Programs\DP3tools, adds Start-menu
; entries for the window and the README, and lists itself in the user's
; installed programs. The uninstaller removes what was installed and, when run
; interactively, asks before removing the settings (%APPDATA%\dp3tools) and
; the keyer backups (%LOCALAPPDATA%\dp3tools); run silently (/S) it keeps them.

; A 64-bit installer for 64-bit programs (and for wine64, which runs the tests).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "DP3tools"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DP3tools"
!define SETTINGS_KEY "Software\DP3tools"
!define MENU_FOLDER "$SMPROGRAMS\DP3tools"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\DP3tools"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 DP3tools maintainers. GPL-3.0-or-later."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!if /FileExists "${STAGE}/dp3tools.exe"
  !define MUI_FINISHPAGE_RUN "$INSTDIR\dp3tools.exe"
!endif
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "DP3tools"
  SetOutPath "$INSTDIR"
  File "${STAGE}/dp3.exe"
!if /FileExists "${STAGE}/dp3tools.exe"
  File "${STAGE}/dp3tools.exe"
!endif
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
!if /FileExists "${STAGE}/dp3tools.exe"
  CreateShortcut "${MENU_FOLDER}\DP3tools.lnk" "$INSTDIR\dp3tools.exe" "" \
    "$INSTDIR\dp3tools.exe" 0 SW_SHOWNORMAL "" "Configure Ditpulse 3 keyers"
!endif
  CreateShortcut "${MENU_FOLDER}\DP3tools README.lnk" "$INSTDIR\README.txt"

  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "DP3tools maintainers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://dp3tools.org/"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dp3.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; Only what the installer put there: a folder the user chose may hold more.
  Delete "$INSTDIR\dp3.exe"
  Delete "$INSTDIR\dp3tools.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "${MENU_FOLDER}\DP3tools.lnk"
  Delete "${MENU_FOLDER}\DP3tools README.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"

  ; The settings and the backups of the keyers' settings stay unless the
  ; user says otherwise; a silent uninstall never asks and keeps them.
  IfSilent keep
  StrCmp "$APPDATA" "" keep
  StrCmp "$LOCALAPPDATA" "" keep
  IfFileExists "$APPDATA\dp3tools\*.*" ask
  IfFileExists "$LOCALAPPDATA\dp3tools\*.*" ask
  IfFileExists "$INSTDIR\dp3tools.cfg" ask keep
  ask:
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your DP3tools settings and the backups of your keyers' settings?$\r$\n$\r$\n\
    $APPDATA\dp3tools$\r$\n$LOCALAPPDATA\dp3tools$\r$\n$\r$\n\
    The backups are the only copies of what your keyers held before each write." \
    /SD IDNO IDNO keep
  RMDir /r "$APPDATA\dp3tools"
  RMDir /r "$LOCALAPPDATA\dp3tools"
  Delete "$INSTDIR\dp3tools.cfg"
  keep:
  RMDir "$INSTDIR"
SectionEnd
