; The installer of Tiremola: Italian texts, the game's icon, installed for the current user only
; (no elevation) into the user's programs folder, with a Start-menu shortcut, an uninstaller and
; an entry among the installed programs. packaging/CMakeLists.txt gives VERSION, EXE, README,
; ICON, OUTFILE and RUNNING_MUTEX (the name of the mutex the game holds while it runs) with -D.
;
; Neither the installer nor the uninstaller ever overwrites or deletes a file that the installer
; did not put there: the game goes only into a folder of its own (a new or empty one, or the one of
; the earlier installation), and nothing is changed while the game runs. A silent run that refuses
; or fails ends with the exit code REFUSED; a file that cannot be written or removed is a failure.

Unicode true
; The 64-bit stub: the game is a 64-bit program, and a 64-bit-only Wine cannot start a 32-bit one.
Target amd64-unicode
SetCompressor /SOLID lzma
; No file times in the installer: building the same commit twice gives the same bytes.
SetDateSave off
RequestExecutionLevel user
; A file that cannot be written stops the installation instead of being skipped.
AllowSkipFiles off

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiremola"
!define UNINSTALLER "Disinstalla.exe"
!define REFUSED 2
; The access right that is enough to find out whether a mutex exists.
!define SYNCHRONIZE 0x00100000

Name "Tiremola"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tiremola"
; An earlier installation is updated where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tiremola ${VERSION}"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tiremola.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEGGIMI.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderChosen
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

LangString GameRuns ${LANG_ITALIAN} "Tiremola è aperto: chiudi il gioco e riprova, oppure annulla per uscire senza cambiare nulla."
LangString FolderTaken ${LANG_ITALIAN} "Le cartelle «$Chosen» e «$Chosen\Tiremola» contengono già altri file. Scegli una cartella nuova o vuota: l'installazione non sovrascrive file che non sono suoi."
LangString InstalledElsewhere ${LANG_ITALIAN} "Tiremola è già installato in «$Earlier». Per installarlo in un'altra cartella, disinstallalo prima."
LangString IntoSubfolder ${LANG_ITALIAN} "La cartella «$Chosen» contiene già altri file, che l'installazione non tocca: Tiremola sarà installato nella sottocartella «$INSTDIR»."
LangString NotOwnFolder ${LANG_ITALIAN} "La cartella «$INSTDIR» contiene già altri file: Tiremola va installato in una cartella nuova o vuota."
LangString WriteFailed ${LANG_ITALIAN} "Non è stato possibile scrivere i file di Tiremola in «$INSTDIR»."
LangString RemoveFailed ${LANG_ITALIAN} "Non è stato possibile eliminare «$R0»: chiudi il programma che lo usa e avvia di nuovo la disinstallazione. Tiremola resta nell'elenco dei programmi installati."

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright (C) 2026 Tiremola"

; The folder the player chose, and the folder of the earlier installation ("" when there is none).
Var Chosen
Var Earlier

; Waits until the game has ended: the game holds its mutex while it runs, and the executable it
; runs from cannot be replaced or removed meanwhile. The player is asked to close it; a silent run
; stops at once.
!macro REFUSE_WHILE_GAME_RUNS UN
Function ${UN}RefuseWhileGameRuns
  retry:
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${RUNNING_MUTEX}") p .r0'
  ${If} $0 P= 0
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r0)'
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(GameRuns)" /SD IDCANCEL IDRETRY retry
  SetErrorLevel ${REFUSED}
  Abort
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_GAME_RUNS ""
!insertmacro REFUSE_WHILE_GAME_RUNS "un."

; Makes $INSTDIR a folder of the game's own, from the folder the player chose: that folder when it
; is new, empty or the earlier installation's; its subfolder Tiremola when it holds anything else
; (and that subfolder is new or empty). Leaves in $R9 why it cannot be, or "".
Function ChooseFolder
  StrCpy $Chosen $INSTDIR
  StrCpy $R9 ""
  ${If} $Earlier != ""
    ${If} $INSTDIR != $Earlier
      StrCpy $R9 "$(InstalledElsewhere)"
    ${EndIf}
    Return
  ${EndIf}
  ${DirState} "$INSTDIR" $0
  ${If} $0 = 1
    StrCpy $INSTDIR "$INSTDIR\Tiremola"
    ${DirState} "$INSTDIR" $0
    ${If} $0 = 1
      StrCpy $R9 "$(FolderTaken)"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  Call RefuseWhileGameRuns
  ; An earlier installation counts while its uninstaller is there to remove it.
  ReadRegStr $Earlier HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${FileExists} "$Earlier\${UNINSTALLER}"
    StrCpy $Earlier ""
  ${EndIf}
  ${If} ${Silent}
    Call ChooseFolder
    ${If} $R9 != ""
      SetErrorLevel ${REFUSED}
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; The directory page: a folder that holds other files becomes its subfolder once the player agrees;
; a folder that cannot be used keeps the player on the page.
Function FolderChosen
  Call ChooseFolder
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION $R9
  ${ElseIf} $INSTDIR != $Chosen
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(IntoSubfolder)" IDOK accepted
  ${Else}
    Return
  ${EndIf}
  StrCpy $INSTDIR $Chosen
  Abort
  accepted:
  ; The page takes the folder from its field as it is left: the field shows the subfolder.
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $0 $0 1019
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$INSTDIR"
FunctionEnd

!macro FAIL_ON_ERRORS
  ${If} ${Errors}
    SetErrorLevel ${REFUSED}
    Abort "$(WriteFailed)"
  ${EndIf}
!macroend

; Adds the size in bytes of a file to $3.
!macro ADD_SIZE FILE
  FileOpen $0 "${FILE}" r
  FileSeek $0 0 END $1
  FileClose $0
  IntOp $3 $3 + $1
!macroend

Section "Tiremola"
  ; The game may have been started while the pages were shown.
  Call RefuseWhileGameRuns
  ; Whatever way the folder was chosen, the game never goes into one that holds other files.
  ${DirState} "$INSTDIR" $0
  ${If} $0 = 1
  ${AndIf} $INSTDIR != $Earlier
    SetErrorLevel ${REFUSED}
    Abort "$(NotOwnFolder)"
  ${EndIf}
  ClearErrors
  SetOutPath "$INSTDIR"
  ; The uninstaller and the entry come first, so that whatever part of the game gets written can be
  ; removed again; the version follows the files.
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  !insertmacro FAIL_ON_ERRORS
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tiremola"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tiremola"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tiremola.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; With _?= the command runs the uninstaller where it is and waits for it (see un.onInit), so that
  ; whoever runs it learns how it ended.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  File "/oname=Tiremola.exe" "${EXE}"
  File "/oname=LEGGIMI.txt" "${README}"
  CreateShortcut "$SMPROGRAMS\Tiremola.lnk" "$INSTDIR\Tiremola.exe" "" "$INSTDIR\Tiremola.exe" 0
  !insertmacro FAIL_ON_ERRORS
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  ; The size of the game's own files in KiB, as the list of installed programs shows it; whatever
  ; else the folder holds is the player's.
  StrCpy $3 0
  !insertmacro ADD_SIZE "$INSTDIR\Tiremola.exe"
  !insertmacro ADD_SIZE "$INSTDIR\LEGGIMI.txt"
  !insertmacro ADD_SIZE "$INSTDIR\${UNINSTALLER}"
  IntOp $3 $3 + 1023
  IntOp $3 $3 / 1024
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $3
SectionEnd

; The uninstaller runs in three parts. Started where it is, it runs a copy of itself from a
; temporary folder, waits for it and ends as the copy ended. The copy (/copia) removes the game's
; files, the executable first, and stops at the first file that cannot be removed, leaving the
; uninstaller and the entry so that it can be run again. Once all of them are gone it starts itself
; once more (/fine) to remove the uninstaller, which the first part holds while it runs, then the
; folder when it is empty, and last the entry.
Function un.RunCopy
  InitPluginsDir
  ClearErrors
  CopyFiles /SILENT "$EXEPATH" "$PLUGINSDIR\${UNINSTALLER}"
  StrCpy $R1 "/copia"
  ${If} ${Silent}
    StrCpy $R1 "/S /copia"
  ${EndIf}
  ${IfNot} ${Errors}
    ExecWait '"$PLUGINSDIR\${UNINSTALLER}" $R1 _?=$INSTDIR' $R2
  ${EndIf}
  ${If} ${Errors}
    StrCpy $R2 ${REFUSED}
  ${EndIf}
  SetErrorLevel $R2
  Quit
FunctionEnd

; Removes the uninstaller once the part that was started first has ended (within 30 s).
Function un.RemoveUninstaller
  ${For} $R1 1 150
    Delete "$INSTDIR\${UNINSTALLER}"
    ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
      RMDir "$INSTDIR"
      DeleteRegKey HKCU "${UNINSTALL_KEY}"
      Return
    ${EndIf}
    Sleep 200
  ${Next}
  SetErrorLevel ${REFUSED}
FunctionEnd

Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/fine" $R1
  ${IfNot} ${Errors}
    Call un.RemoveUninstaller
    Quit
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/copia" $R1
  ${If} ${Errors}
    Call un.RunCopy
  ${EndIf}
  Call un.RefuseWhileGameRuns
FunctionEnd

!macro REMOVE FILE
  StrCpy $R0 "${FILE}"
  Delete "$R0"
  ${If} ${FileExists} "$R0"
    SetErrorLevel ${REFUSED}
    Abort "$(RemoveFailed)"
  ${EndIf}
!macroend

; Removes exactly what the installer put there.
Section "Uninstall"
  Call un.RefuseWhileGameRuns
  !insertmacro REMOVE "$INSTDIR\Tiremola.exe"
  !insertmacro REMOVE "$INSTDIR\LEGGIMI.txt"
  !insertmacro REMOVE "$SMPROGRAMS\Tiremola.lnk"
  Exec '"$EXEPATH" /S /fine _?=$INSTDIR'
SectionEnd
