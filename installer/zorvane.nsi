; Setup of Zorvane: installs the three programs into one folder, has Stampwell give
; Zorvane its manifest, adds a Start menu shortcut and an uninstaller.
; Built by installer/make-installer.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.9.0.0 -DSOURCEDIR=<folder> -DOUTFILE=<setup.exe> zorvane.nsi
; where <folder> holds Zorvane.exe, Liftrun.exe, Stampwell.exe and readme.txt.
; Switches: /S silent; /D=<folder> install folder; uninstaller /S /PURGE removes the
; settings and the logon entry without asking (silent alone keeps them).

Unicode true

!ifndef VERSION
  !error "VERSION is not defined (-DVERSION=a.b.c.d)"
!endif
!ifndef SOURCEDIR
  !error "SOURCEDIR is not defined (-DSOURCEDIR=<folder with the programs and readme.txt>)"
!endif
!ifndef OUTFILE
  !define OUTFILE "Zorvane-${VERSION}-setup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "software\Zorvane"
!define UNINSTALLER "Uninstall.exe"

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
ShowInstDetails show
ShowUninstDetails show
BrandingText "Zorvane ${VERSION}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"

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
LangString REMOVE_SETTINGS ${LANG_ENGLISH} "Also remove Zorvane's settings and its start-with-Windows entry?"
LangString REMOVE_SETTINGS ${LANG_FRENCH} "Supprimer aussi les réglages de Zorvane et son lancement au démarrage de Windows ?"
LangString REMOVE_SETTINGS ${LANG_GERMAN} "Auch die Einstellungen von Zorvane und seinen Autostart-Eintrag entfernen?"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Zorvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Zorvane setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Zorvane"

; Quits every running Zorvane (menu command 202) so that its files can be replaced or removed.
!macro DEFINE_CLOSE_ZORVANE PREFIX
Function ${PREFIX}CloseZorvane
  StrCpy $1 0
  ${Do}
    FindWindow $0 "ZORVANE" "Zorvane"
    ${If} $0 = 0
    ${OrIf} $1 >= 20
      ${Break}
    ${EndIf}
    SendMessage $0 ${WM_COMMAND} 202 0 /TIMEOUT=3000
    IntOp $1 $1 + 1
    ; Give the process time to end and let go of its executable.
    Sleep 300
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_ZORVANE ""
!insertmacro DEFINE_CLOSE_ZORVANE "un."

Section "Zorvane" SectionMain
  SectionIn RO
  Call CloseZorvane

  ; $OUTDIR is also the working directory of the programs started below.
  SetOutPath "$INSTDIR"
  File "${SOURCEDIR}/Zorvane.exe"
  File "${SOURCEDIR}/Liftrun.exe"
  File "${SOURCEDIR}/Stampwell.exe"
  File "${SOURCEDIR}/readme.txt"

  ; Stampwell takes "Zorvane.exe" beside itself and in the current directory.
  ; Exit code 1 (older Windows) needs nothing; 3 leaves Zorvane working, only plainer.
  ClearErrors
  ExecWait '"$INSTDIR\Stampwell.exe"' $0
  ${If} ${Errors}
  ${OrIf} $0 = 3
    DetailPrint "$(STAMP_FAILED)"
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\Zorvane.lnk" "$INSTDIR\Zorvane.exe" "" "$INSTDIR\Zorvane.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
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
  ; The settings live under the user who runs the uninstaller; ask first, then remove.
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

  ${If} $R2 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "Zorvane"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\Zorvane.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete "$INSTDIR\Zorvane.exe"
  Delete "$INSTDIR\Liftrun.exe"
  Delete "$INSTDIR\Stampwell.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Removed only when empty: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd
