; The installer of Tiremola: Italian texts, the game's icon, installed for the current user only
; (no elevation) into the user's programs folder, with a Start-menu shortcut, an uninstaller and
; an entry among the installed programs. packaging/CMakeLists.txt gives VERSION, EXE, README,
; ICON and OUTFILE with -D.

Unicode true
; The 64-bit stub: the game is a 64-bit program, and a 64-bit-only Wine cannot start a 32-bit one.
Target amd64-unicode
SetCompressor /SOLID lzma
; No file times in the installer: building the same commit twice gives the same bytes.
SetDateSave off
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiremola"
!define UNINSTALLER "Disinstalla.exe"

Name "Tiremola"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tiremola"
BrandingText "Tiremola ${VERSION}"

!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tiremola.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEGGIMI.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright (C) 2026 Tiremola"

Section "Tiremola"
  SetOutPath "$INSTDIR"
  File "/oname=Tiremola.exe" "${EXE}"
  File "/oname=LEGGIMI.txt" "${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\Tiremola.lnk" "$INSTDIR\Tiremola.exe" "" "$INSTDIR\Tiremola.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tiremola"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tiremola"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tiremola.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size of what was installed, in KiB, as the list of installed programs shows it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what the installer put there; the folder goes only once it is empty, so that
; nothing the player keeps in a folder chosen with /D= is ever deleted.
Section "Uninstall"
  Delete "$INSTDIR\Tiremola.exe"
  Delete "$INSTDIR\LEGGIMI.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tiremola.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
