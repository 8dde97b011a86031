; Setup of Zorvane: installs the three programs into one folder, has Stampwell give
; Zorvane its manifest, adds a Start menu shortcut and an uninstaller.
; Built by installer/make-installer.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.9.0.0 -DPUBLISHER=<company> -DCOPYRIGHT=<text>
;            -DSITE=<web site> -DSOURCEDIR=<folder> -DOUTFILE=<setup.exe> [-DSIGN=<sign.sh>]
;            zorvane.nsi
; where <folder> holds Zorvane.exe, Liftrun.exe, Stampwell.exe and readme.txt.
; With SIGN, the setup program and the uninstaller it writes are signed as they are made.
; Switches: /S silent; /D=<folder> install folder. A program file still in use is
; replaced at the next restart; the setup program then ends with 3010.
; The uninstaller always removes the logon entry; it asks whether to remove the
; settings too, and silent (/S) keeps them unless /PURGE is given.

Unicode true

!ifndef VERSION
  !error "VERSION is not defined (-DVERSION=a.b.c.d)"
!endif
!ifndef PUBLISHER
  !error "PUBLISHER is not defined (-DPUBLISHER=<company>)"
!endif
!ifndef COPYRIGHT
  !error "COPYRIGHT is not defined (-DCOPYRIGHT=<copyright text>)"
!endif
!ifndef SITE
  !error "SITE is not defined (-DSITE=<root address of the product web site>)"
!endif
!ifndef SOURCEDIR
  !error "SOURCEDIR is not defined (-DSOURCEDIR=<folder with the programs and readme.txt>)"
!endif
; The setup program's own name; OUTFILE may put it elsewhere under that name.
!define SETUP_NAME "Zorvane-${VERSION}-setup.exe"
!ifndef OUTFILE
  !define OUTFILE "${SETUP_NAME}"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "software\Zorvane"
!define UNINSTALLER "Uninstall.exe"
; New copies of program files that were in use, until the restart moves them into place.
!define PENDING_DIR "$INSTDIR\Pending"
; Windows' code for "done, a restart completes it".
!define SUCCESS_REBOOT_REQUIRED 3010
!define SYNCHRONIZE 0x00100000

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

Name "Zorvane"
OutFile "${OUTFILE}"
; 32-bit programs: the 32-bit Program Files folder.
InstallDir "$PROGRAMFILES\Zorvane"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No file times in the setup program: the same sources give the same bytes.
SetDateSave off
ShowInstDetails show
ShowUninstDetails show
BrandingText "Zorvane ${VERSION}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(START_ZORVANE)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartZorvaneAsUser

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The user interface language follows the system's where it is one of Zorvane's.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "German"

LangString STAMP_FAILED ${LANG_ENGLISH} "Zorvane's manifest could not be written; Zorvane runs without the modern look of the controls."
LangString STAMP_FAILED ${LANG_FRENCH} "Le manifeste de Zorvane n'a pas pu être écrit ; Zorvane fonctionne sans l'apparence moderne des contrôles."
LangString STAMP_FAILED ${LANG_GERMAN} "Das Manifest von Zorvane konnte nicht geschrieben werden; Zorvane läuft ohne das moderne Aussehen der Steuerelemente."
LangString REMOVE_SETTINGS ${LANG_ENGLISH} "Also remove Zorvane's settings?"
LangString REMOVE_SETTINGS ${LANG_FRENCH} "Supprimer aussi les réglages de Zorvane ?"
LangString REMOVE_SETTINGS ${LANG_GERMAN} "Auch die Einstellungen von Zorvane entfernen?"
LangString START_ZORVANE ${LANG_ENGLISH} "Start Zorvane"
LangString START_ZORVANE ${LANG_FRENCH} "Lancer Zorvane"
LangString START_ZORVANE ${LANG_GERMAN} "Zorvane starten"
LangString REPLACED_AT_RESTART ${LANG_ENGLISH} "is in use and will be replaced when Windows restarts:"
LangString REPLACED_AT_RESTART ${LANG_FRENCH} "est en cours d'utilisation et sera remplacé au redémarrage de Windows :"
LangString REPLACED_AT_RESTART ${LANG_GERMAN} "ist in Gebrauch und wird beim Neustart von Windows ersetzt:"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Zorvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Zorvane setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "${SETUP_NAME}"

; Signed as they are made: the uninstaller is written at install time from the
; signed copy kept in the setup program.
!ifdef SIGN
  !finalize 'bash "${SIGN}" "%1"' = 0
  !uninstfinalize 'bash "${SIGN}" "%1"' = 0
!endif

; Quits every running Zorvane (menu command 202) so that its files can be replaced
; or removed, and waits for each process to end: its executable is in use until then.
!macro DEFINE_CLOSE_ZORVANE PREFIX
Function ${PREFIX}CloseZorvane
  StrCpy $1 0
  ${Do}
    FindWindow $0 "ZORVANE" "Zorvane"
    ${If} $0 = 0
    ${OrIf} $1 >= 20
      ${Break}
    ${EndIf}
    StrCpy $2 0
    StrCpy $3 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r2) p .r3'
    SendMessage $0 ${WM_COMMAND} 202 0 /TIMEOUT=3000
    ${If} $3 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 5000)'
      System::Call 'kernel32::CloseHandle(p r3)'
    ${Else}
      Sleep 300
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_ZORVANE ""
!insertmacro DEFINE_CLOSE_ZORVANE "un."

; Puts one program file into $INSTDIR. A file still in use (a copy that did not
; close, or one the system holds) cannot be overwritten: the new copy goes into
; the pending folder and takes the old one's place at the next restart.
; Leaves the folder that holds the new copy in $R9.
!macro INSTALL_PROGRAM NAME
  StrCpy $R9 "$INSTDIR"
  SetOverwrite try
  ClearErrors
  File "${SOURCEDIR}/${NAME}"
  SetOverwrite on
  ${If} ${Errors}
    Push "${PENDING_DIR}"
    Call RestrictFolder
    File "/oname=${PENDING_DIR}\${NAME}" "${SOURCEDIR}/${NAME}"
    Rename /REBOOTOK "${PENDING_DIR}\${NAME}" "$INSTDIR\${NAME}"
    DetailPrint "${NAME} $(REPLACED_AT_RESTART) $INSTDIR\${NAME}"
    StrCpy $R9 "${PENDING_DIR}"
  ${EndIf}
!macroend

; Outside Program Files a folder takes its parent's rights, often a standard
; user's: that user could then replace Uninstall.exe or a program that an elevated
; step later runs. Such a folder is made changeable by Administrators
; (S-1-5-32-544) and SYSTEM (S-1-5-18) only, users (S-1-5-32-545) reading and
; running, before any file is written into it; inheritance from the parent is cut.
!define RESTRICT_RIGHTS '/inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX'
Var OutsideProgramFiles

; Sets $OutsideProgramFiles to 1 unless $INSTDIR lies in a Program Files folder.
Function CheckInstallFolder
  StrCpy $OutsideProgramFiles 1
  ${ForEach} $1 1 2 + 1
    ${If} $1 = 1
      StrCpy $2 "$PROGRAMFILES32\"
    ${Else}
      StrCpy $2 "$PROGRAMFILES64\"
    ${EndIf}
    StrLen $3 $2
    StrCpy $4 "$INSTDIR\" $3
    ${If} $4 == $2
      StrCpy $OutsideProgramFiles 0
    ${EndIf}
  ${Next}
FunctionEnd

; Creates the folder (on the stack) and restricts its rights when the install
; folder is outside Program Files; the set-up stops when that fails.
Function RestrictFolder
  Exch $0
  CreateDirectory "$0"
  ${If} $OutsideProgramFiles = 1
    DetailPrint 'icacls "$0" ${RESTRICT_RIGHTS}'
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$0" ${RESTRICT_RIGHTS}'
    Pop $1
    ${If} $1 != 0
      DetailPrint "icacls: $1"
      Abort
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; Starts Zorvane as the signed-in user, not with the set-up program's
; administrator rights: the shell that is already running starts it on
; explorer.exe's behalf, with the user's own rights.
Function StartZorvaneAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Zorvane.exe"'
FunctionEnd

Function .onInstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel ${SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
FunctionEnd

Section "Zorvane" SectionMain
  SectionIn RO
  Call CloseZorvane

  Call CheckInstallFolder
  Push "$INSTDIR"
  Call RestrictFolder
  ; $OUTDIR is also the working directory of the programs started below.
  SetOutPath "$INSTDIR"
  !insertmacro INSTALL_PROGRAM Liftrun.exe
  !insertmacro INSTALL_PROGRAM Stampwell.exe
  !insertmacro INSTALL_PROGRAM Zorvane.exe
  StrCpy $R8 $R9
  File "${SOURCEDIR}/readme.txt"

  ; Stampwell takes "Zorvane.exe" beside itself and in the current directory, so
  ; a pending new Zorvane.exe is stamped in the pending folder with a copy of it.
  ; Exit code 1 (older Windows) needs nothing; 3 leaves Zorvane working, only plainer.
  ${If} $R8 != $INSTDIR
    File "/oname=$R8\Stampwell.exe" "${SOURCEDIR}/Stampwell.exe"
  ${EndIf}
  SetOutPath "$R8"
  ClearErrors
  ExecWait '"$R8\Stampwell.exe"' $0
  ${If} ${Errors}
  ${OrIf} $0 = 3
    DetailPrint "$(STAMP_FAILED)"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} $R8 != $INSTDIR
    Delete "$R8\Stampwell.exe"
  ${EndIf}
  ; Removed at the restart, once the moves before it have emptied it.
  ${If} ${FileExists} "${PENDING_DIR}\*.*"
    RMDir /REBOOTOK "${PENDING_DIR}"
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\Zorvane.lnk" "$INSTDIR\Zorvane.exe" "" "$INSTDIR\Zorvane.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zorvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  ; The settings and the logon entry live under the user who runs the uninstaller.
  ; A logon entry must never name a removed program: it always goes. The settings
  ; go only when the user says so, or with /PURGE.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PURGE" $R1
  ${IfNot} ${Errors}
    StrCpy $R2 1
  ${Else}
    StrCpy $R2 0
    ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "$(REMOVE_SETTINGS)" /SD IDNO IDYES`
      StrCpy $R2 1
    ${EndIf}
  ${EndIf}

  Call un.CloseZorvane

  DeleteRegValue HKCU "${RUN_KEY}" "Zorvane"
  ${If} $R2 = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\Zorvane.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; A program still in use goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\Zorvane.exe"
  Delete /REBOOTOK "$INSTDIR\Liftrun.exe"
  Delete /REBOOTOK "$INSTDIR\Stampwell.exe"
  Delete /REBOOTOK "${PENDING_DIR}\Zorvane.exe"
  Delete /REBOOTOK "${PENDING_DIR}\Liftrun.exe"
  Delete /REBOOTOK "${PENDING_DIR}\Stampwell.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Folders are removed only when empty: files the user put there stay. After a
  ; deletion left for the restart, they are removed after it.
  ${If} ${FileExists} "${PENDING_DIR}\*.*"
    RMDir /REBOOTOK "${PENDING_DIR}"
  ${EndIf}
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
