; Lumavex setup: a per-user installation that needs no administrator rights.
; The program keeps its Favorites folder and its DRVE_* thumbnail folders in its own folder, so it
; is installed into the user's own program folder, which stays writable.
; Built by installer/CMakeLists.txt:
;   makensis -DVERSION=1.0.0 -DTARGET=amd64-unicode -DPROGRAM=Lumavex.exe -DREADME=README.txt
;            -DOUTFILE=Lumavex-1.0.0-setup.exe lumavex.nsi
; makensis works in this script's folder: relative paths are taken from here.

!ifndef VERSION | PROGRAM | README | OUTFILE
  !error "Define VERSION, PROGRAM, README and OUTFILE"
!endif
!ifndef TARGET
  !define TARGET x86-unicode
!endif

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumavex"
; The program's settings (favourites list, recent folders); removed only with the user's data.
!define PROFILE_KEY "Software\Local AppWizard-Generated Applications\Lumavex"
; The uninstall entry's record that setup made the installation folder: only then is it removed.
!define FOLDER_MADE_VALUE "InstallFolderMadeBySetup"
; The hidden file the program writes into the Favorites and DRVE_* folders it makes.
!define PROGRAM_FOLDER_MARKER "Made by Lumavex.txt"

Name "Lumavex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Lumavex"
; An upgrade goes where the earlier version was installed.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Lumavex ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

Var FolderMadeBySetup

!define MUI_ICON "../app/res/lumavex.ico"
!define MUI_UNICON "../app/res/lumavex.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Lumavex.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Lumavex"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderWritable
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your Favorites and the thumbnail folders are kept unless you tick the box; only the folders Lumavex made are removed. Your pictures and the thumbnail files beside them are never removed."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Lumavex"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Lumavex ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Lumavex"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Lumavex"

; A running program's file cannot be replaced or deleted: ask the user to close it first. Without
; this, a silent upgrade would record the new version over the old program, and an uninstall would
; remove the entry and leave the program behind. A silent run gives up with exit code 2.
!macro WaitForProgramClosed
  IfFileExists "$INSTDIR\Lumavex.exe" 0 program_closed
program_retry:
  ClearErrors
  FileOpen $0 "$INSTDIR\Lumavex.exe" a
  IfErrors 0 program_opened
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Lumavex is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY program_retry
  SetErrorLevel 2
  Quit
program_opened:
  FileClose $0
program_closed:
!macroend

; A folder that already holds something and is not where Lumavex was installed is the user's:
; Lumavex goes into a folder of its own inside it, so that nothing of the user's is mixed with it.
Function ChooseOwnFolder
  ${DirState} "$INSTDIR" $0
  ${If} $0 == 1
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != $INSTDIR
      StrCpy $INSTDIR "$INSTDIR\Lumavex"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  ; The folder of /D= or the default one; the folder page asks again for the user's choice.
  Call ChooseOwnFolder
FunctionEnd

; The chosen folder must take files: the program writes its Favorites and thumbnails there.
Function CheckFolderWritable
  StrCpy $3 $INSTDIR
  Call ChooseOwnFolder
  ${If} $3 != $INSTDIR
    ; The page takes its folder from the edit box again once it is left.
    FindWindow $1 "#32770" "" $HWNDPARENT
    GetDlgItem $1 $1 1019
    SendMessage $1 ${WM_SETTEXT} 0 "STR:$INSTDIR"
  ${EndIf}
  ; A folder made only for the test goes again: the installation makes and records it.
  ${DirState} "$INSTDIR" $2
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\lumavex-setup.tmp" w
  ${If} ${Errors}
    ${If} $2 == -1
      RMDir "$INSTDIR"
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Lumavex cannot write to $INSTDIR.$\r$\n$\r$\nLumavex keeps its Favorites and thumbnail folders beside the program, so choose a folder of your own."
    Abort
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\lumavex-setup.tmp"
  ${If} $2 == -1
    RMDir "$INSTDIR"
  ${EndIf}
FunctionEnd

Section "Lumavex" SecProgram
  SectionIn RO
  !insertmacro WaitForProgramClosed
  ; Whether setup makes the folder now, or made it for the installation that this one replaces.
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegDWORD $2 HKCU "${UNINSTALL_KEY}" "${FOLDER_MADE_VALUE}"
  ${DirState} "$INSTDIR" $0
  ${If} $0 == -1
    StrCpy $2 1
  ${ElseIf} $1 != $INSTDIR
    StrCpy $2 0
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "/oname=Lumavex.exe" "${PROGRAM}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Lumavex.lnk" "$INSTDIR\Lumavex.exe" "" "$INSTDIR\Lumavex.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Lumavex"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lumavex.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Lumavex"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $2 == 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "${FOLDER_MADE_VALUE}" 1
  ${Else}
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "${FOLDER_MADE_VALUE}"
  ${EndIf}
  ; The installed files only, in KB: the user's thumbnails are not the program's size.
  SectionGetSize ${SecProgram} $0
  ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what setup put there; the folder itself goes only when setup made it and nothing else is
; left in it.
Section "un.Lumavex" SecUnProgram
  SectionIn RO
  !insertmacro WaitForProgramClosed
  Delete "$INSTDIR\Lumavex.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Lumavex.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $FolderMadeBySetup == 1
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd

; Only the folders the program made and marked; a folder of the same name that the user made is
; kept with everything in it.
Section /o "un.Remove my Favorites, thumbnail folders and settings" SecUserData
  ${If} ${FileExists} "$INSTDIR\Favorites\${PROGRAM_FOLDER_MARKER}"
    RMDir /r "$INSTDIR\Favorites"
  ${EndIf}
  FindFirst $0 $1 "$INSTDIR\DRVE_*"
  ${DoWhile} $1 != ""
    ${If} ${FileExists} "$INSTDIR\$1\${PROGRAM_FOLDER_MARKER}"
      RMDir /r "$INSTDIR\$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  DeleteRegKey HKCU "${PROFILE_KEY}"
  ${If} $FolderMadeBySetup == 1
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd

Function un.onInit
  ; Read before the uninstall entry goes.
  ReadRegDWORD $FolderMadeBySetup HKCU "${UNINSTALL_KEY}" "${FOLDER_MADE_VALUE}"
  ; "/REMOVEDATA" ticks the box of the components page, also for a silent removal.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  IfErrors done
  SectionSetFlags ${SecUserData} ${SF_SELECTED}
done:
FunctionEnd
