; The Windows installer: both programs with their libraries and Qt's plugins
; in one folder under Program Files, a Start-menu entry, the .ZMT files
; opened by zmtsetup.exe, and an uninstaller that Windows lists under
; installed programs and that takes all of it away again. scripts/windows passes
; VERSION, RELEASE (the folder to install), ICON and OUTFILE.
Unicode true
; 64-bit stubs: the 32-bit default does not start where only 64-bit Windows
; programs run (Wine without its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define PRODUCT "ZEL MORVA TOUCH Setup"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\zmtsetup"
; The configuration files' type. Windows ignores the case of extensions, so
; .zmt stands for .ZMT too.
!define CLASSES "Software\Classes"
!define PROGID "zmtsetup.Configuration"
; SHCNE_ASSOCCHANGED: Explorer shows the new icon and command at once.
!define NOTIFY_ASSOCIATIONS "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\zmtsetup" "InstallDir"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "LegalCopyright" "zmtsetup developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zmtsetup.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the default; Windows' own language picks between them.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"
; The type's name in Explorer, in the language the installer runs in.
LangString FILE_TYPE_NAME ${LANG_RUSSIAN} "Конфигурация ZEL MORVA TOUCH"
LangString FILE_TYPE_NAME ${LANG_ENGLISH} "ZEL MORVA TOUCH configuration"

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${RELEASE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\zmtsetup.exe"
  WriteRegStr HKLM "Software\zmtsetup" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "zmtsetup developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zmtsetup.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; .ZMT files open in zmtsetup.exe, with their own icon (the program's
  ; second one). An extension another program has already claimed stays
  ; its: ours joins the extension's "Open with" list instead.
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "$(FILE_TYPE_NAME)"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\zmtsetup.exe,1"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\zmtsetup.exe" "%1"'
  WriteRegStr HKLM "${CLASSES}\.zmt\OpenWithProgids" "${PROGID}" ""
  ReadRegStr $0 HKLM "${CLASSES}\.zmt" ""
  StrCmp $0 "" 0 +2
    WriteRegStr HKLM "${CLASSES}\.zmt" "" "${PROGID}"
  System::Call '${NOTIFY_ASSOCIATIONS}'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; Only what the installer put there: the folder may have been one the user
  ; chose and keeps other files in. Settings stay in the user's %APPDATA%.
  Delete "$INSTDIR\zmtsetup.exe"
  Delete "$INSTDIR\zmtctl.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\README.txt"
  RMDir /r "$INSTDIR\doc"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\zmtsetup"
  ; The association, and of the extension only what was ours.
  DeleteRegKey HKLM "${CLASSES}\${PROGID}"
  DeleteRegValue HKLM "${CLASSES}\.zmt\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\.zmt\OpenWithProgids"
  ReadRegStr $0 HKLM "${CLASSES}\.zmt" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegValue HKLM "${CLASSES}\.zmt" ""
  DeleteRegKey /ifempty HKLM "${CLASSES}\.zmt"
  System::Call '${NOTIFY_ASSOCIATIONS}'
SectionEnd
