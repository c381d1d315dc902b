; The installer of Tiremola and its uninstaller, both made from this script: with BUILD_UNINSTALLER
; defined it makes the uninstaller, Disinstalla.exe, which the installer then carries as one of the
; game's files. Italian texts, the game's icon, installed for the current user only (no elevation)
; into the user's programs folder, with a Start-menu shortcut and an entry among the installed
; programs. packaging/CMakeLists.txt gives VERSION, ICON, OUTFILE and RUNNING_MUTEX (the name of the
; mutex the game holds while it runs) with -D, and to the installer EXE, README and UNINSTALLER_EXE.
;
; Neither the installer nor the uninstaller ever overwrites or deletes a file that the installer
; did not put there. The installer records in the entry the folder, the SHA-256 of each file it
; wrote, the shortcut it wrote and how many folders it made: a file counts as the game's only
; while it holds the recorded content, a shortcut only while it points at the installed game, a
; folder only when the installer made it. Nothing is changed while the game runs, nor while
; another installer or uninstaller of the game runs. A silent run that refuses or fails ends with
; the exit code REFUSED; a file that cannot be written or removed is a failure.
;
; The uninstaller is not one of NSIS's own: started without NSIS's "_?=" (a double click, a script)
; such an uninstaller copies itself to the temporary folder, starts the copy and ends at once with
; 0, whatever the copy then does. This one is an ordinary NSIS program that does its work itself
; and ends with the real exit code, whoever starts it and however.

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
; The SHA-256 of each file the installer wrote, a value named after the file.
!define FILES_KEY "${UNINSTALL_KEY}\Files"
!define UNINSTALLER "Disinstalla.exe"
!define SHORTCUT "Tiremola.lnk"
; The shortcut's name when the Start menu already holds a "Tiremola" of another program.
!define OTHER_SHORTCUT "Tiremola (installato).lnk"
!define REFUSED 2
; Held by the installer and by the uninstaller while they run, so that only one runs at a time.
!define BUSY_MUTEX "TiremolaInstallazione"

; Windows' own numbers.
!define SYNCHRONIZE 0x00100000
!define GENERIC_READ 0x80000000
!define FILE_READ_ATTRIBUTES 0x80
!define FILE_SHARE_READ 1
!define FILE_SHARE_ALL 7
!define OPEN_EXISTING 3
!define INVALID_HANDLE_VALUE -1
!define INVALID_FILE_ATTRIBUTES -1
!define FILE_TYPE_DISK 1
!define MOVEFILE_REPLACE_EXISTING 1
!define HANDLE_FLAG_INHERIT 1
!define STARTF_USESTDHANDLES 0x100
!define CREATE_NO_WINDOW 0x08000000
!define ERROR_NOT_SAME_DEVICE 17
!define ERROR_ALREADY_EXISTS 183
!define PROV_RSA_AES 24
!define CRYPT_VERIFYCONTEXT 0xF0000000
!define CALG_SHA_256 0x800C
!define HP_HASHVAL 2
!define CLSID_ShellLink {00021401-0000-0000-C000-000000000046}
!define IID_IShellLinkW {000214F9-0000-0000-C000-000000000046}
!define IID_IPersistFile {0000010B-0000-0000-C000-000000000046}
!define CLSCTX_INPROC_SERVER 1

Name "Tiremola"
OutFile "${OUTFILE}"
BrandingText "Tiremola ${VERSION}"
!ifdef BUILD_UNINSTALLER
  Caption "$(^UninstallCaption)"
  InstallButtonText "$(^UninstallBtn)"
  CompletedText "$(Uninstalled)"
  SpaceTexts none
!else
  InstallDir "$LOCALAPPDATA\Programs\Tiremola"
  ; An earlier installation is updated where it is.
  InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!ifdef BUILD_UNINSTALLER
  ; The uninstaller's pages, as NSIS's own would show them: the folder it removes the game from,
  ; which cannot be changed, then the progress.
  !define MUI_ABORTWARNING_TEXT "$(AbortUninstall)"
  !define MUI_PAGE_HEADER_TEXT "$(^UninstallCaption)"
  !define MUI_PAGE_HEADER_SUBTEXT "$(UninstallSubtitle)"
  !define MUI_DIRECTORYPAGE_TEXT_TOP "$(UninstallFrom)"
  !define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(^UninstallingSubText)"
  !define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowFolderOnly
  !insertmacro MUI_PAGE_DIRECTORY
  !define MUI_PAGE_HEADER_TEXT "$(Uninstalling)"
  !define MUI_PAGE_HEADER_SUBTEXT "$(UninstallingSubtitle)"
  !define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$(Uninstalled)"
  !define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(UninstalledSubtitle)"
  !define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$(UninstallStopped)"
  !define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$(UninstallStoppedSubtitle)"
  !insertmacro MUI_PAGE_INSTFILES
!else
  !define MUI_FINISHPAGE_RUN "$INSTDIR\Tiremola.exe"
  !define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEGGIMI.txt"
  !define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
  !insertmacro MUI_PAGE_WELCOME
  !define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderChosen
  !insertmacro MUI_PAGE_DIRECTORY
  !insertmacro MUI_PAGE_INSTFILES
  !insertmacro MUI_PAGE_FINISH
!endif
!insertmacro MUI_LANGUAGE "Italian"

LangString GameRuns ${LANG_ITALIAN} "Tiremola è aperto: chiudi il gioco e riprova, oppure annulla per uscire senza cambiare nulla."
LangString Busy ${LANG_ITALIAN} "È in corso un'altra installazione o disinstallazione di Tiremola: attendi che finisca e riprova, oppure annulla per uscire senza cambiare nulla."
!ifdef BUILD_UNINSTALLER
LangString AbortUninstall ${LANG_ITALIAN} "Vuoi davvero interrompere la disinstallazione di Tiremola?"
LangString UninstallSubtitle ${LANG_ITALIAN} "Rimozione di Tiremola dal computer."
LangString UninstallFrom ${LANG_ITALIAN} "Tiremola verrà disinstallato da questa cartella.$\r$\n$(^ClickUninstall)"
LangString Uninstalling ${LANG_ITALIAN} "Disinstallazione"
LangString UninstallingSubtitle ${LANG_ITALIAN} "Attendi il completamento della disinstallazione di Tiremola."
LangString Uninstalled ${LANG_ITALIAN} "Disinstallazione completata"
LangString UninstalledSubtitle ${LANG_ITALIAN} "Tiremola è stato rimosso dal computer."
LangString UninstallStopped ${LANG_ITALIAN} "Disinstallazione interrotta"
LangString UninstallStoppedSubtitle ${LANG_ITALIAN} "La disinstallazione non è stata completata."
LangString NotThisInstallation ${LANG_ITALIAN} "«$EXEPATH» non è il programma di disinstallazione di Tiremola registrato nell'elenco dei programmi installati: non elimina nulla."
LangString RemoveFailed ${LANG_ITALIAN} "Non è stato possibile eliminare «$R0»: chiudi il programma che lo usa e avvia di nuovo la disinstallazione. Tiremola resta nell'elenco dei programmi installati."
LangString KeptFile ${LANG_ITALIAN} "«$R0» non è più il file installato con Tiremola: resta dov'è."
!else
LangString FolderTaken ${LANG_ITALIAN} "Le cartelle «$Chosen» e «$Chosen\Tiremola» contengono già altri file. Scegli una cartella nuova o vuota: l'installazione non sovrascrive file che non sono suoi."
LangString InstalledElsewhere ${LANG_ITALIAN} "Tiremola è già installato in «$Earlier». Per installarlo in un'altra cartella, disinstallalo prima."
LangString IntoSubfolder ${LANG_ITALIAN} "La cartella «$Chosen» contiene già altri file, che l'installazione non tocca: Tiremola sarà installato nella sottocartella «$INSTDIR»."
LangString NotOwnFolder ${LANG_ITALIAN} "La cartella «$INSTDIR» contiene già altri file: Tiremola va installato in una cartella nuova o vuota."
LangString WriteFailed ${LANG_ITALIAN} "Non è stato possibile scrivere i file di Tiremola in «$INSTDIR»."
LangString ChangedFile ${LANG_ITALIAN} "«$R5» non è il file che l'installazione di Tiremola vi aveva scritto, e l'installazione non sovrascrive file che non sono suoi: spostalo in un'altra cartella e riprova."
LangString UnreadableFile ${LANG_ITALIAN} "Non è stato possibile leggere «$R5»: chiudi il programma che lo usa e riprova."
LangString UnrecordedInstallation ${LANG_ITALIAN} "In «$R3» c'è già un'installazione di Tiremola fatta da una versione che non registra i propri file: disinstallala prima dall'elenco dei programmi installati."
LangString OtherShortcut ${LANG_ITALIAN} "Nel menu Start c'è già un collegamento «Tiremola» a un altro programma: resta com'è, e quello del gioco si chiama «Tiremola (installato)»."
LangString NoShortcut ${LANG_ITALIAN} "Nel menu Start ci sono già i collegamenti «Tiremola» e «Tiremola (installato)» ad altri programmi: restano come sono, e il gioco non ha un collegamento nel menu Start."
!endif

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Tiremola"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "Tiremola"
!ifdef BUILD_UNINSTALLER
  VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Disinstallazione di Tiremola"
!else
  VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Tiremola"
!endif
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright (C) 2026 Tiremola"

; Waits until the game has ended: the game holds its mutex while it runs, and the executable it
; runs from cannot be replaced or removed meanwhile. The player is asked to close it; a silent run
; stops at once.
Function RefuseWhileGameRuns
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

; Takes the mutex that says an installer or uninstaller of the game runs, and keeps it until this
; program ends; while another one holds it, the player is asked to wait for that one, and a silent
; run stops at once.
Function RefuseWhileBusy
  retry:
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${BUSY_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $0 P<> 0
  ${AndIf} $1 <> ${ERROR_ALREADY_EXISTS}
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r0)'
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(Busy)" /SD IDCANCEL IDRETRY retry
  SetErrorLevel ${REFUSED}
  Abort
FunctionEnd

; Leaves in $R1 the SHA-256 of the file $R0 in hexadecimal, or "" when the file cannot be read
; whole (it is not there, or another program holds it for writing).
Function HashFile
  StrCpy $R1 ""
  System::Call 'kernel32::CreateFileW(w R0, i ${GENERIC_READ}, i ${FILE_SHARE_READ}, p 0, i ${OPEN_EXISTING}, i 0, p 0) p .r0'
  ${If} $0 P= ${INVALID_HANDLE_VALUE}
    Return
  ${EndIf}
  StrCpy $3 0
  StrCpy $4 -1
  System::Call 'kernel32::GetFileSizeEx(p r0, *l .r1) i .r2'
  ${If} $2 <> 0
    IntOp $2 $1 + 1
    System::Alloc $2
    Pop $3
    System::Call 'kernel32::ReadFile(p r0, p r3, i r1, *i .r4, p 0) i .r2'
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r0)'
  ${If} $2 <> 0
  ${AndIf} $4 = $1
    System::Call 'advapi32::CryptAcquireContextW(*p .r5, p 0, p 0, i ${PROV_RSA_AES}, i ${CRYPT_VERIFYCONTEXT}) i .r2'
    ${If} $2 <> 0
      System::Call 'advapi32::CryptCreateHash(p r5, i ${CALG_SHA_256}, p 0, i 0, *p .r6) i .r2'
      ${If} $2 <> 0
        System::Call 'advapi32::CryptHashData(p r6, p r3, i r1, i 0) i .r2'
        System::Alloc 32
        Pop $7
        ${If} $2 <> 0
          System::Call 'advapi32::CryptGetHashParam(p r6, i ${HP_HASHVAL}, p r7, *i 32, i 0) i .r2'
        ${EndIf}
        ${If} $2 <> 0
          ${For} $8 0 31
            IntPtrOp $9 $7 + $8
            System::Call '*$9(&i1 .r2)'
            IntOp $2 $2 & 0xFF
            IntFmt $2 "%02x" $2
            StrCpy $R1 "$R1$2"
          ${Next}
        ${EndIf}
        System::Free $7
        System::Call 'advapi32::CryptDestroyHash(p r6)'
      ${EndIf}
      System::Call 'advapi32::CryptReleaseContext(p r5, i 0)'
    ${EndIf}
  ${EndIf}
  ${If} $3 P<> 0
    System::Free $3
  ${EndIf}
FunctionEnd

; Tells in $R1 what the file $R0 is, given in $R2 the SHA-256 the installer recorded for it (or
; ""): "absent", "own" (it holds what the installer wrote), "other" (anything else: the player's)
; or "unreadable" (it is there, but cannot be told).
Function FileState
  ${IfNot} ${FileExists} "$R0"
    StrCpy $R1 "absent"
    Return
  ${EndIf}
  Call HashFile
  ${If} $R1 == ""
    StrCpy $R1 "unreadable"
  ${ElseIf} $R1 == $R2
    StrCpy $R1 "own"
  ${Else}
    StrCpy $R1 "other"
  ${EndIf}
FunctionEnd

; Tells in $R1 what the shortcut $R0 is: "absent", "own" (it points at the program $R2), "other"
; (it points elsewhere, or is no shortcut) or "unreadable" (another program holds it).
Function ShortcutState
  ${IfNot} ${FileExists} "$R0"
    StrCpy $R1 "absent"
    Return
  ${EndIf}
  StrCpy $R1 "unreadable"
  System::Call "ole32::CoCreateInstance(g '${CLSID_ShellLink}', p 0, i ${CLSCTX_INPROC_SERVER}, g '${IID_IShellLinkW}', *p .r1) i .r0"
  ${If} $0 <> 0
    Return
  ${EndIf}
  ; IUnknown::QueryInterface, IPersistFile::Load, IShellLinkW::GetPath, IUnknown::Release.
  System::Call "$1->0(g '${IID_IPersistFile}', *p .r2) i .r0"
  ${If} $0 = 0
    System::Call "$2->5(w R0, i 0) i .r0"
    ${If} $0 = 0
      System::Call "$1->3(w .r3, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .r0"
      StrCpy $R1 "other"
      ${If} $0 = 0
      ${AndIf} $3 == $R2
        StrCpy $R1 "own"
      ${EndIf}
    ${Else}
      ; A file that is there but cannot be opened for reading is held by another program; one that
      ; opens but does not load is no shortcut.
      IntFmt $0 "%08X" $0
      ${If} $0 != "80070020"
      ${AndIf} $0 != "80070005"
        StrCpy $R1 "other"
      ${EndIf}
    ${EndIf}
    System::Call "$2->2()"
  ${EndIf}
  System::Call "$1->2()"
FunctionEnd

!macro FAIL MESSAGE
  SetErrorLevel ${REFUSED}
  Abort "${MESSAGE}"
!macroend

!ifdef BUILD_UNINSTALLER

; Leaves in $R1 the folder $R0 with long names instead of short ones, as far as it is there.
Function LongPath
  StrCpy $R1 $R0
  System::Call 'kernel32::GetLongPathNameW(w R0, w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 <> 0
    StrCpy $R1 $0
  ${EndIf}
FunctionEnd

; The uninstaller removes the installation it belongs to: the one recorded in the entry, in the
; folder it runs from, whose record names the uninstaller's own content.
Function .onInit
  StrCpy $R0 $EXEDIR
  Call LongPath
  StrCpy $INSTDIR $R1
  Call RefuseWhileBusy
  Call RefuseWhileGameRuns
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  Call LongPath
  StrCpy $R3 $R1
  ReadRegStr $R2 HKCU "${FILES_KEY}" "${UNINSTALLER}"
  StrCpy $R0 "$EXEPATH"
  Call FileState
  ${If} $R3 != $INSTDIR
  ${OrIf} $R1 != "own"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NotThisInstallation)" /SD IDOK
    SetErrorLevel ${REFUSED}
    Abort
  ${EndIf}
FunctionEnd

; The folder cannot be changed: the uninstaller removes the game from where it is.
Function ShowFolderOnly
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1019
  EnableWindow $1 0
  GetDlgItem $1 $0 1001
  EnableWindow $1 0
FunctionEnd

; Removes the file $R0 if it is the game's (its content is the one recorded under the name NAME);
; a file of another content is the player's and stays. A file of the game that cannot be removed
; or told stops the uninstallation, leaving the uninstaller and the entry so that it can be run
; again.
!macro REMOVE_OWN NAME
  StrCpy $R0 "$INSTDIR\${NAME}"
  ReadRegStr $R2 HKCU "${FILES_KEY}" "${NAME}"
  Call FileState
  ${If} $R1 == "own"
    Delete "$R0"
    ${If} ${FileExists} "$R0"
      !insertmacro FAIL "$(RemoveFailed)"
    ${EndIf}
  ${ElseIf} $R1 == "unreadable"
    !insertmacro FAIL "$(RemoveFailed)"
  ${ElseIf} $R1 == "other"
    DetailPrint "$(KeptFile)"
  ${EndIf}
!macroend

; NSIS reads a program's data from the program's own file through a handle it keeps until the
; program ends, shared for reading only: while it is open nobody can rename or remove the file,
; not even the program itself. By the time its section runs the uninstaller has read all it needs
; (it unpacks no files, and its one plug-in is unpacked once, at its first use), so it closes that
; handle, found among its open handles as the one to its own file.
Function CloseOwnFile
  System::Call 'kernel32::CreateFileW(w "$EXEPATH", i ${FILE_READ_ATTRIBUTES}, i ${FILE_SHARE_ALL}, p 0, i ${OPEN_EXISTING}, i 0, p 0) p .r1'
  ${If} $1 P= ${INVALID_HANDLE_VALUE}
    Return
  ${EndIf}
  ; BY_HANDLE_FILE_INFORMATION: the volume's serial number at 28, the file's index at 44 and 48.
  System::Alloc 52
  Pop $2
  System::Alloc 52
  Pop $3
  System::Call 'kernel32::GetFileInformationByHandle(p r1, p r2) i .r0'
  ${If} $0 <> 0
    System::Call '*$2(&i28, i .r4, &i12, i .r5, i .r6)'
    ; Handles are multiples of 4, and NSIS opens its file among the first.
    ${For} $7 1 1024
      IntOp $8 $7 * 4
      System::Call 'kernel32::GetFileType(p r8) i .r0'
      ${If} $8 P<> $1
      ${AndIf} $0 = ${FILE_TYPE_DISK}
        System::Call 'kernel32::GetFileInformationByHandle(p r8, p r3) i .r0'
        ${If} $0 <> 0
          System::Call '*$3(&i28, i .r0, &i12, i .r9, i .R9)'
          ${If} $0 = $4
          ${AndIf} $9 = $5
          ${AndIf} $R9 = $6
            System::Call 'kernel32::CloseHandle(p r8)'
          ${EndIf}
        ${EndIf}
      ${EndIf}
    ${Next}
  ${EndIf}
  System::Free $2
  System::Free $3
  System::Call 'kernel32::CloseHandle(p r1)'
FunctionEnd

; Moves the uninstaller's own file out of the game's folder, as Windows allows for a running
; program's file: into a temporary file of the temporary folder, or of the game's folder when that
; is on another drive (a running program's file cannot be copied away and removed). Leaves the new
; path in $R0, in $R5 "1" when it is in the game's folder, and the error flag when the file cannot
; be moved (another program holds it).
Function MoveOwnFile
  Call CloseOwnFile
  StrCpy $R5 ""
  GetTempFileName $R0
  ${If} $R0 == ""
    SetErrors
    Return
  ${EndIf}
  System::Call 'kernel32::MoveFileExW(w "$EXEPATH", w R0, i ${MOVEFILE_REPLACE_EXISTING}) i .r0 ?e'
  Pop $1
  ${If} $0 = 0
  ${AndIf} $1 = ${ERROR_NOT_SAME_DEVICE}
    Delete $R0
    GetTempFileName $R0 "$INSTDIR"
    StrCpy $R5 "1"
    System::Call 'kernel32::MoveFileExW(w "$EXEPATH", w R0, i ${MOVEFILE_REPLACE_EXISTING}) i .r0'
  ${EndIf}
  ClearErrors
  ${If} $0 = 0
    Delete $R0
    SetErrors
  ${EndIf}
FunctionEnd

; Once this program has ended, removes its own file, moved to $R0, and then the folders in
; TIREMOLA_FOLDER_1 to _$R4 as far as they are empty. Nothing of the game's may do it, as nothing
; can remove the file it runs from: cmd.exe does, started here with the reading end of a pipe as
; its input. It reads until the other end closes, as this program ends, and then deletes the file,
; trying again each second while Windows still holds it for the program that has just ended.
Function StartCleanup
  System::Call 'kernel32::SetEnvironmentVariableW(w "TIREMOLA_FILE", w R0)'
  ; Each of the 30 rounds (the rest of the line after "do") deletes the file, removes the folders
  ; that are empty, and waits a second while the file is still there.
  StrCpy $R6 'set /p attesa= & for /l %n in (1,1,30) do del /f /q "%TIREMOLA_FILE%" >nul 2>&1'
  ${For} $0 1 $R4
    StrCpy $R6 '$R6 & rd "%TIREMOLA_FOLDER_$0%" >nul 2>&1'
  ${Next}
  StrCpy $R6 '$R6 & if exist "%TIREMOLA_FILE%" ping -n 2 127.0.0.1 >nul 2>&1'
  System::Call 'kernel32::CreatePipe(*p .r1, *p .r2, p 0, i 0) i .r0'
  ${If} $0 = 0
    Return
  ${EndIf}
  System::Call 'kernel32::SetHandleInformation(p r1, i ${HANDLE_FLAG_INHERIT}, i ${HANDLE_FLAG_INHERIT})'
  ; STARTUPINFOW: 104 bytes, dwFlags at 60, hStdInput at 80; PROCESS_INFORMATION: 24 bytes.
  System::Alloc 104
  Pop $3
  System::Call '*$3(i 104)'
  IntPtrOp $4 $3 + 60
  System::Call '*$4(i ${STARTF_USESTDHANDLES})'
  IntPtrOp $4 $3 + 80
  System::Call '*$4(p r1)'
  System::Alloc 24
  Pop $4
  StrCpy $R6 '"$SYSDIR\cmd.exe" /d /q /s /c "$R6"'
  StrCpy $R7 "$TEMP"
  System::Call 'kernel32::CreateProcessW(w "$SYSDIR\cmd.exe", w R6, p 0, p 0, i 1, i ${CREATE_NO_WINDOW}, p 0, w R7, p r3, p r4) i .r0'
  ${If} $0 <> 0
    System::Call '*$4(p .r5, p .r6)'
    System::Call 'kernel32::CloseHandle(p r5)'
    System::Call 'kernel32::CloseHandle(p r6)'
  ${EndIf}
  System::Free $3
  System::Free $4
  ; The reading end is cmd.exe's; the writing end stays open until this program ends.
  System::Call 'kernel32::CloseHandle(p r1)'
FunctionEnd

; Removes the folders the installer made, $INSTDIR and as many of its parents as the entry counts
; but never a drive's root, the deepest first and as far as they are empty. While the
; uninstaller's own file is still in $INSTDIR ($R5 is "1") they are left to the cleanup instead,
; in TIREMOLA_FOLDER_1 to _$R4; else $R4 is 0.
Function RemoveFolders
  ReadRegDWORD $R4 HKCU "${UNINSTALL_KEY}" "CreatedFolders"
  StrCpy $R3 "$INSTDIR"
  ${GetRoot} "$INSTDIR" $R6
  ${For} $R2 1 $R4
    ${If} $R3 == $R6
      IntOp $R4 $R2 - 1
      ${Break}
    ${EndIf}
    ${If} $R5 == "1"
      System::Call 'kernel32::SetEnvironmentVariableW(w "TIREMOLA_FOLDER_$R2", w R3)'
    ${Else}
      RMDir "$R3"
      ${If} ${FileExists} "$R3\*.*"
        ; It holds the player's files.
        ${Break}
      ${EndIf}
    ${EndIf}
    ${GetParent} "$R3" $R3
  ${Next}
  ${If} $R5 != "1"
    StrCpy $R4 0
  ${EndIf}
FunctionEnd

; Removes exactly what the installer put there: the game's files, the executable first, then the
; shortcut, then the uninstaller itself, the folders the installer made as far as they are empty,
; and last the entry. The first of the game's files that cannot be removed stops it, leaving the
; uninstaller and the entry, so that it can be run again.
Section "-Disinstallazione"
  Call RefuseWhileGameRuns
  ; Nothing of this program's may keep the game's folder in use.
  SetOutPath "$TEMP"
  !insertmacro REMOVE_OWN "Tiremola.exe"
  !insertmacro REMOVE_OWN "LEGGIMI.txt"
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstalledShortcut"
  ${If} $R0 != ""
    StrCpy $R2 "$INSTDIR\Tiremola.exe"
    Call ShortcutState
    ${If} $R1 == "own"
      Delete "$R0"
      ${If} ${FileExists} "$R0"
        !insertmacro FAIL "$(RemoveFailed)"
      ${EndIf}
    ${ElseIf} $R1 == "unreadable"
      !insertmacro FAIL "$(RemoveFailed)"
    ${EndIf}
  ${EndIf}
  Call MoveOwnFile
  ${If} ${Errors}
    StrCpy $R0 "$EXEPATH"
    !insertmacro FAIL "$(RemoveFailed)"
  ${EndIf}
  Call RemoveFolders
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Call StartCleanup
SectionEnd

!else

; The folder the player chose, the folder of the earlier installation ("" when there is none),
; how many folders the installation made, and the folder and shortcut an entry already there
; recorded.
Var Chosen
Var Earlier
Var FoldersMade
Var RecordedFolder
Var RecordedShortcut

; Counts in $R4 the files of the earlier installation in $R3 under the game's name NAME, leaves
; in $R9 why a file that cannot be read stops the installer, and in $R8 why a file that is not
; the installation's does, while the installation is there.
!macro CHECK_EARLIER_FILE NAME
  StrCpy $R0 "$R3\${NAME}"
  ReadRegStr $R2 HKCU "${FILES_KEY}" "${NAME}"
  Call FileState
  StrCpy $R5 $R0
  ${If} $R1 == "own"
    IntOp $R4 $R4 + 1
  ${ElseIf} $R1 == "unreadable"
  ${AndIf} $R9 == ""
    StrCpy $R9 "$(UnreadableFile)"
  ${ElseIf} $R1 == "other"
  ${AndIf} $R8 == ""
    StrCpy $R8 "$(ChangedFile)"
  ${EndIf}
!macroend

; Tells apart the earlier installation: the folder the entry names, while one of the files the
; installer recorded there still holds what it wrote. Leaves its folder in $Earlier ("" when there
; is none) and in $R9 why the installer cannot go on, or "": a file under one of the game's names
; there that is not the installation's, or one that cannot be read, or an entry that an earlier
; version of the installer wrote without a record of its files.
Function FindEarlier
  StrCpy $Earlier ""
  StrCpy $R9 ""
  ReadRegStr $R3 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R3 == ""
    Return
  ${EndIf}
  ReadRegStr $R2 HKCU "${FILES_KEY}" "${UNINSTALLER}"
  ${If} $R2 == ""
    ${If} ${FileExists} "$R3\${UNINSTALLER}"
      StrCpy $R9 "$(UnrecordedInstallation)"
    ${EndIf}
    Return
  ${EndIf}
  StrCpy $R4 0
  StrCpy $R8 ""
  !insertmacro CHECK_EARLIER_FILE "${UNINSTALLER}"
  !insertmacro CHECK_EARLIER_FILE "Tiremola.exe"
  !insertmacro CHECK_EARLIER_FILE "LEGGIMI.txt"
  ; With none of its files left the installation is gone, and its folder is like any other.
  ${If} $R4 > 0
    StrCpy $Earlier $R3
    ${If} $R9 == ""
      StrCpy $R9 $R8
    ${EndIf}
  ${EndIf}
FunctionEnd

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
  Call RefuseWhileBusy
  Call RefuseWhileGameRuns
  Call FindEarlier
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION $R9 /SD IDOK
    SetErrorLevel ${REFUSED}
    Abort
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

; Counts in $FoldersMade the folders that making $INSTDIR creates: itself and those of its parents
; that are not there yet, up to the drive's root, which is never one of them.
Function CountMissingFolders
  StrCpy $FoldersMade 0
  StrCpy $0 "$INSTDIR"
  ${GetRoot} "$INSTDIR" $2
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w r0) i .r1'
    ${If} $0 == $2
    ${OrIf} $0 == ""
    ${OrIf} $1 <> ${INVALID_FILE_ATTRIBUTES}
      ${ExitDo}
    ${EndIf}
    IntOp $FoldersMade $FoldersMade + 1
    ${GetParent} "$0" $0
  ${Loop}
FunctionEnd

; Chooses in $R0 the shortcut to write: the one the entry recorded while it still points at the
; game the entry recorded, else that one, the usual one or the other name, the first of them that
; is not there yet or points at this installation's game already; "" when each of them belongs to
; another program.
Function ChooseShortcut
  StrCpy $R0 $RecordedShortcut
  ${If} $R0 != ""
    StrCpy $R2 "$RecordedFolder\Tiremola.exe"
    Call ShortcutState
    ${If} $R1 == "own"
      Return
    ${EndIf}
    StrCpy $R2 "$INSTDIR\Tiremola.exe"
    Call ShortcutState
    ${If} $R1 == "absent"
    ${OrIf} $R1 == "own"
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $R2 "$INSTDIR\Tiremola.exe"
  StrCpy $R0 "$SMPROGRAMS\${SHORTCUT}"
  Call ShortcutState
  ${If} $R1 == "absent"
  ${OrIf} $R1 == "own"
    Return
  ${EndIf}
  StrCpy $R0 "$SMPROGRAMS\${OTHER_SHORTCUT}"
  Call ShortcutState
  ${If} $R1 == "absent"
  ${OrIf} $R1 == "own"
    Return
  ${EndIf}
  StrCpy $R0 ""
FunctionEnd

!macro FAIL_ON_ERRORS
  ${If} ${Errors}
    !insertmacro FAIL "$(WriteFailed)"
  ${EndIf}
!macroend

; Writes the game's file NAME from SOURCE into $INSTDIR and records its content. A file that
; cannot be written stops the installation in File itself (AllowSkipFiles is off), with exit code 2.
!macro WRITE_FILE NAME SOURCE
  File "/oname=${NAME}" "${SOURCE}"
  StrCpy $R0 "$INSTDIR\${NAME}"
  Call HashFile
  ${If} $R1 == ""
    !insertmacro FAIL "$(WriteFailed)"
  ${EndIf}
  WriteRegStr HKCU "${FILES_KEY}" "${NAME}" $R1
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
    !insertmacro FAIL "$(NotOwnFolder)"
  ${EndIf}
  ReadRegStr $RecordedFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $RecordedShortcut HKCU "${UNINSTALL_KEY}" "InstalledShortcut"
  ${If} $INSTDIR == $Earlier
    ReadRegDWORD $FoldersMade HKCU "${UNINSTALL_KEY}" "CreatedFolders"
  ${Else}
    ; A new installation: nothing an entry left behind by an earlier one recorded counts any more.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Call CountMissingFolders
  ${EndIf}
  ClearErrors
  SetOutPath "$INSTDIR"
  !insertmacro FAIL_ON_ERRORS
  ; The uninstaller and the entry come first, so that whatever part of the game gets written can be
  ; removed again; the version follows the files.
  !insertmacro WRITE_FILE "${UNINSTALLER}" "${UNINSTALLER_EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tiremola"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tiremola"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tiremola.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "CreatedFolders" $FoldersMade
  ; The uninstaller waits for its work, however it is started, and ends as the work ended.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro WRITE_FILE "Tiremola.exe" "${EXE}"
  !insertmacro WRITE_FILE "LEGGIMI.txt" "${README}"
  ; The shortcut is recorded before it is written, so that the uninstaller looks for it whatever
  ; becomes of the writing.
  Call ChooseShortcut
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstalledShortcut" $R0
  ${If} $R0 != ""
    ClearErrors
    CreateShortcut "$R0" "$INSTDIR\Tiremola.exe" "" "$INSTDIR\Tiremola.exe" 0
    !insertmacro FAIL_ON_ERRORS
  ${EndIf}
  ${If} $R0 == ""
    DetailPrint "$(NoShortcut)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(NoShortcut)" /SD IDOK
  ${ElseIf} $R0 != "$SMPROGRAMS\${SHORTCUT}"
    DetailPrint "$(OtherShortcut)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(OtherShortcut)" /SD IDOK
  ${EndIf}
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

!endif
