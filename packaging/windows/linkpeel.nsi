; The Windows installer: installs for the current user alone, without asking
; for administrator rights, into %LOCALAPPDATA%\Programs\Linkpeel, with a
; Start-menu entry and an uninstaller that Windows lists under "Apps".
;
; makensis gets from the build (-D):
;   VERSION      the project's version, three numbers
;   OUTFILE      the installer to make
;   STAGE        the folder that holds the programs and texts to install
;   ICON         the icon, an .ico

Unicode true
; The programs are x86_64 ones, and so is the installer: it runs wherever they
; can, and under a 64-bit Wine.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Linkpeel"

Name "Linkpeel ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Linkpeel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Linkpeel"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Linkpeel ${VERSION} setup"
VIAddVersionKey "CompanyName" "Selvo"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2014 Selvo and the Linkpeel authors"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Linkpeel"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/linkpeel-resolve.exe"
  File "${STAGE}/linkpeel.exe"
  File "${STAGE}/linkpeel.ico"
  File "${STAGE}/README.md"
  File "${STAGE}/COPYRIGHT.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Linkpeel.lnk" "$INSTDIR\linkpeel.exe" "" "$INSTDIR\linkpeel.ico" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Linkpeel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\linkpeel.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Selvo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as the Apps list reads it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what the installer put down, and the two files the window
; program writes at its start (its skin engine and skin, in the user's own
; folder); a file of the user's in either folder keeps that folder.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Linkpeel.lnk"
  Delete "$LOCALAPPDATA\Linkpeel\jedata.dll"
  Delete "$LOCALAPPDATA\Linkpeel\win8.she"
  RMDir "$LOCALAPPDATA\Linkpeel"
  Delete "$INSTDIR\linkpeel-resolve.exe"
  Delete "$INSTDIR\linkpeel.exe"
  Delete "$INSTDIR\linkpeel.ico"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\COPYRIGHT.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
