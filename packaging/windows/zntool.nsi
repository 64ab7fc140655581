; The Windows installer of zntool, made by tools/windows/build.sh:
;   makensis -DVERSION=1.2.3 -DFILES=<files.nsh> -DOUTFILE=<setup.exe>
;            -DICON=sys/kv.ic zntool.nsi
; FILES is the list build.sh writes of the program's folder as the zip has it (zntool.exe,
; zntool.com, the DLLs, plugins\, translations\, sys\), an Install and an Uninstall macro, so the
; uninstaller removes exactly what was installed and nothing a user put beside it.
; A 64-bit installer: a 32-bit one would install into the 32-bit Program Files and registry.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${FILES}"

!define APP "zntool"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "ZN module debugging tool ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zntool.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "zntool"
  !insertmacro Install
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts in the program's folder: a user who may not write its sys\ gets a copy
  ; of it in the user's own folder, filled from these defaults.
  CreateShortCut "$SMPROGRAMS\ZN module debugging tool.lnk" "$INSTDIR\zntool.exe" "" \
    "$INSTDIR\zntool.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZN module debugging tool"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zntool.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\ZN module debugging tool.lnk"
  !insertmacro Uninstall
  Delete "$INSTDIR\uninstall.exe"
  ; Only an emptied folder goes; one still holding a user's file stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
