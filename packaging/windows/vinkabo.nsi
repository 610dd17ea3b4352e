; The per-user Windows setup: the program, edbtool.exe and the shipped data under
; %LOCALAPPDATA%\Programs\Vinkabo, where the user can write (the program keeps its data
; beside itself), with no administrator rights.
;
; makensis /INPUTCHARSET UTF8 /DVERSION=... /DSTAGE=... /DICON=... /DLICENSE=...
;          /DDATA_LIST=... /DOUTFILE=... vinkabo.nsi
;   STAGE      the program's folder as the zip holds it (vinkabo.exe, edbtool.exe, data)
;   DATA_LIST  an include that removes the shipped data's top-level files and folders
;              (written from STAGE by scripts/installer-windows)
;
; The uninstaller keeps the user's tables, icons and sounds unless asked: the box on its
; components page, or /RemoveData on its command line (with /S, for scripted removals).

Unicode true
Target amd64-unicode  ; the program is 64-bit only, and so is this machine's wine
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vinkabo"
!define PUBLISHER "the Vinkabo developers"
; Every top-level window of the program (main and settings window) is of this class.
!define WINDOW_CLASS "VinkaboWindow"

Name "Vinkabo"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vinkabo"
; An upgrade goes where the first install went, also when that was chosen with /D=.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "Vinkabo ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Vinkabo"
VIAddVersionKey /LANG=0 "FileDescription" "Vinkabo setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "MIT License"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_UNCOMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\vinkabo.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; Without a language dialog the system's user interface language picks one of these;
; any other language gets the first.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

!include "${__FILEDIR__}/vinkabo_texts.nsh"

Var dataRemoved

; ---- The running program -----------------------------------------------------------------
; Its files cannot be replaced or removed while it runs. A user at the screen is told and
; closes it (an unsaved edit is theirs to keep or drop); a silent run asks its windows to
; close, as their close button does, and gives up after ten seconds.
!macro CLOSE_RUNNING_PROGRAM un
Function ${un}CloseRunningProgram
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      ${If} $1 >= 40
        DetailPrint "$(StillRunning)"
        SetErrorLevel 2
        Quit
      ${EndIf}
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
      IntOp $1 $1 + 1
      Sleep 250
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" IDRETRY retry
      SetErrorLevel 1
      Quit
      retry:
    ${EndIf}
  ${Loop}
  ; The window goes before the process: Windows keeps a running program's file shut to
  ; writers until it has ended.
  ${If} ${FileExists} "$INSTDIR\vinkabo.exe"
    StrCpy $1 0
    ${Do}
      ClearErrors
      FileOpen $0 "$INSTDIR\vinkabo.exe" a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
      ${If} $1 >= 40
        ${Break}
      ${EndIf}
      Sleep 250
    ${Loop}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PROGRAM ""
!insertmacro CLOSE_RUNNING_PROGRAM "un."

; ---- Install -----------------------------------------------------------------------------
Section "!$(SecProgram)" SecProgram
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"

  ; The program follows the setup on every install (an upgrade)...
  SetOverwrite on
  File "${STAGE}/vinkabo.exe"
  File "${STAGE}/edbtool.exe"
  File "/oname=LICENSE.txt" "${LICENSE}"

  ; ...the data only where it is missing: a table, icon, sound or skin picture that is
  ; there is the user's and stays as it is.
  SetOverwrite off
  File /r /x "*.exe" "${STAGE}/*.*"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Vinkabo.lnk" "$INSTDIR\vinkabo.exe" "" "$INSTDIR\vinkabo.exe" 0 \
    SW_SHOWNORMAL "" "$(ShortcutComment)"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "$(DisplayName)"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\vinkabo.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(SecDesktop)" SecDesktop
  CreateShortcut "$DESKTOP\Vinkabo.lnk" "$INSTDIR\vinkabo.exe" "" "$INSTDIR\vinkabo.exe" 0 \
    SW_SHOWNORMAL "" "$(ShortcutComment)"
SectionEnd

; ---- Uninstall ---------------------------------------------------------------------------
Section "un.$(SecUnProgram)" SecUnProgram
  SectionIn RO
  Call un.CloseRunningProgram
  Delete "$INSTDIR\vinkabo.exe"
  Delete "$INSTDIR\edbtool.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Vinkabo.lnk"
  Delete "$DESKTOP\Vinkabo.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Off by default and under /S: the tables hold the user's favorites and passwords.
Section /o "un.$(SecUnData)" SecUnData
  ; Only what the program keeps there, never the whole folder: it may have been pointed
  ; at a folder that holds other things too.
  !include "${DATA_LIST}"
  Delete "$INSTDIR\*.edb*"
  Delete "$INSTDIR\*.edt*"
  StrCpy $dataRemoved 1
SectionEnd

Section "-un.Finish"
  RMDir "$INSTDIR"
  ${If} $dataRemoved != 1
    DetailPrint "$(DataStays)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(DataStays)" /SD IDOK
  ${EndIf}
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RemoveData" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnData}
  ${EndIf}
FunctionEnd
