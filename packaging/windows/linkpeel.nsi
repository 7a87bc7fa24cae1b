; The Windows installer: installs for the current user alone, without asking
; for administrator rights, into %LOCALAPPDATA%\Programs\Linkpeel, with a
; Start-menu entry and an uninstaller that Windows lists under "Apps".
;
; makensis gets from the build (-D):
;   VERSION      the project's version, three numbers
;   OUTFILE      the installer to make
;   STAGE        the folder that holds the programs and texts to install
;   ICON         the icon, an .ico
;   WINDOW       defined when the window program, linkpeel.exe, is among them

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
!ifdef WINDOW
  File "${STAGE}/linkpeel.exe"
!endif
  File "${STAGE}/linkpeel.ico"
  File "${STAGE}/README.md"
  File "${STAGE}/COPYRIGHT.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

!ifdef WINDOW
  CreateShortcut "$SMPROGRAMS\Linkpeel.lnk" "$INSTDIR\linkpeel.exe" "" "$INSTDIR\linkpeel.ico" 0
!else
  ; Only the console program so far: the entry opens a command prompt with its
  ; help, in the user's own folder (--download saves into the current one).
  SetOutPath "$PROFILE"
  CreateShortcut "$SMPROGRAMS\Linkpeel.lnk" "$SYSDIR\cmd.exe" \
    '/k ""$INSTDIR\linkpeel-resolve.exe" --help"' "$INSTDIR\linkpeel.ico" 0
  SetOutPath "$INSTDIR"
!endif

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

; Removes exactly what the installer put down; a file of the user's in the
; folder keeps the folder.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Linkpeel.lnk"
  Delete "$INSTDIR\linkpeel-resolve.exe"
!ifdef WINDOW
  Delete "$INSTDIR\linkpeel.exe"
!endif
  Delete "$INSTDIR\linkpeel.ico"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\COPYRIGHT.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
