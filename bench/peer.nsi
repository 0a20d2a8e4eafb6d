; The peer the quiet install is measured against: a stored (uncompressed) installer of the same
; tree, made with NSIS from our own script, doing what ours does: CRC check of itself, the files,
; an uninstaller, the product keys, the uninstall registration and the desktop shortcut.
;   makensis -DTREE=<payload tree> -DOUT=<installer.exe> bench/peer.nsi
; Run quietly as "installer.exe /S /D=C:\Program Files\Quenfield".
Unicode true
SetCompress off
CRCCheck on
RequestExecutionLevel admin
Name "ORIN-6"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES\Quenfield"
SilentInstall normal

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ORIN-6"
!define RELEASE_KEY "Software\Quenfield\Lexaris\2.0\20191220"

Section
  SetOutPath "$INSTDIR"
  File /r "${TREE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${RELEASE_KEY}" "" ""
  WriteRegStr HKLM "Software\Quenfield\Lexaris\2.0\Servers" "" ""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ORIN-6 Version 2019 12 20"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qfmgr.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  SetShellVarContext all
  CreateShortCut "$DESKTOP\ORIN-6 Client.lnk" "$INSTDIR\qfmgr.exe" "" "" 0 SW_SHOWNORMAL "" "Shortcut to qfmgr.exe"
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$DESKTOP\ORIN-6 Client.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Quenfield\Lexaris\2.0\20191220"
  RMDir /r "$INSTDIR"
SectionEnd
