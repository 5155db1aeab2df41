; Trovelle's Windows installer: for the current user only, without
; administrator rights, in French. scripts/release builds it with
;   makensis -INPUTCHARSET CP1252 -DVERSION=N.N.N -DSTAGE=<folder holding
;   trovelle.exe, readme.txt and LICENSE.txt> -DICON=<res/icons/app.ico>
;   -DWIZARD=<side picture> -DOUTFILE=<setup.exe> installer/trovelle.nsi
; and, to sign, -DSIGN=<command that signs the file it is given, in place>.
; This file is Windows-1252 text, like the installer's French texts.
;
; Command line, beside NSIS's own /S (silent) and /D=folder (last):
;   /AUTOSTART=1   start Trovelle when the user logs on (the option page's box)
;   /AUTOSTART=0   do not
; Without it, a first install leaves the box unticked and an upgrade keeps
; what was chosen before. The folder (/D=, else the earlier install's, else
; the default) is used only if it holds nothing that is not Trovelle's; else
; Trovelle goes into a folder Trovelle inside it (ChooseInstallFolder).
; Exit codes: 0 done, 1 cancelled by the user, 2 stopped (among others when a
; running Trovelle did not close in silent mode, before anything changed).

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"
!include "WinMessages.nsh"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trovelle"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "Bramwick Software"

Name "Trovelle"
OutFile "${OUTFILE}"
; The uninstaller is signed before it is packed into the installer, the
; installer once it is whole: its signature comes after the data that its
; own check covers. Descriptions in ASCII: the signature stores them so.
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1" "Suppression de Trovelle ${VERSION}"' = 0
  !finalize '${SIGN} "%1" "Installation de Trovelle ${VERSION}"' = 0
!endif
InstallDir "$LOCALAPPDATA\Programs\Trovelle"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Trovelle ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var Autostart      ; 1: a Run value starts Trovelle at logon
Var AutostartBox   ; the option page's check box

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Vous êtes sur le point d'installer Trovelle ${VERSION}, le gardien du presse-papiers, pour votre compte seulement : aucun droit d'administrateur n'est nécessaire.$\r$\n$\r$\nSi Trovelle est ouvert, il sera fermé avant l'installation ; ses options sont gardées.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\trovelle.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Lancer Trovelle"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "Trovelle"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de Trovelle ${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "Copyright (C) 2003 Bramwick Software"

; Closes the Trovelle that runs from this folder: its main window is a
; dialog titled "Trovelle"; WM_CLOSE makes it save its options as on any quit.
; A Trovelle started from elsewhere (a portable copy) is left alone. If it has
; not ended after five seconds the user is asked; in silent mode the install
; stops with exit code 2, before anything has changed.
!macro CLOSE_RUNNING_TROVELLE un what
Function ${un}CloseRunningTrovelle
  StrCpy $R0 0
  ${Do}
    FindWindow $R0 "#32770" "Trovelle" "" $R0
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p R0, *i 0 R1) i"
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call "kernel32::OpenProcess(i 0x00101000, i 0, i R1) p .R2"
    ${If} $R2 == 0
      ${Continue}
    ${EndIf}
    StrCpy $R3 ""
    System::Call "kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN})"
    ${If} $R3 != "$INSTDIR\trovelle.exe"
      System::Call "kernel32::CloseHandle(p R2)"
      ${Continue}
    ${EndIf}
    DetailPrint "Fermeture de Trovelle, qui enregistre ses options..."
    System::Call "user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)"
    ${Do}
      System::Call "kernel32::WaitForSingleObject(p R2, i 5000) i .R4"
      ${If} $R4 == 0
        ${Break}
      ${EndIf}
      ${If} ${Silent}
        System::Call "kernel32::CloseHandle(p R2)"
        DetailPrint "Trovelle ne s'est pas fermé : rien n'a été changé."
        SetErrorLevel 2
        Abort
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Trovelle est toujours ouvert. Fermez-le (menu Fichier, Quitter), puis réessayez.$\r$\n$\r$\nSi vous annulez, ${what} s'arrête sans rien changer." IDRETRY retry
      System::Call "kernel32::CloseHandle(p R2)"
      Abort
      retry:
    ${Loop}
    System::Call "kernel32::CloseHandle(p R2)"
    ; That window is gone: look again from the first one.
    StrCpy $R0 0
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_TROVELLE "" "l'installation"
!insertmacro CLOSE_RUNNING_TROVELLE "un." "la désinstallation"

; Whether Trovelle's files may go into a folder (given on the stack; 1 or 0
; comes back there): yes when it does not exist or holds nothing, or when it
; holds the Trovelle installed now: the uninstall entry names that folder,
; and the program and its uninstaller are in it. Anything else there is
; another program's or the user's; installing among it would replace a
; readme.txt or LICENSE.txt of theirs, and the uninstaller would take it
; away. A bare uninstall.exe or trovelle.exe is not enough to go by: many
; programs have an uninstall.exe, and a portable copy is no install.
Function FolderTakesTrovelle
  Exch $0
  Push $1
  Push $2
  ${DirState} "$0" $1
  ${If} $1 == 1
    StrCpy $1 0
    ReadRegStr $2 HKCU "${UNINST_KEY}" "InstallLocation"
    ${If} $2 == $0
    ${AndIf} ${FileExists} "$0\trovelle.exe"
    ${AndIf} ${FileExists} "$0\uninstall.exe"
      StrCpy $1 1
    ${EndIf}
  ${Else}
    StrCpy $1 1
  ${EndIf}
  Pop $2
  StrCpy $0 $1
  Pop $1
  Exch $0
FunctionEnd

; $INSTDIR as /D=, the earlier install or the default made it, or the folder
; Trovelle inside it when it holds files that are not Trovelle's. When that
; one holds such files too, nothing is done (exit code 2).
Function ChooseInstallFolder
  Push $INSTDIR
  Call FolderTakesTrovelle
  Pop $0
  ${If} $0 == 1
    Return
  ${EndIf}
  Push "$INSTDIR\Trovelle"
  Call FolderTakesTrovelle
  Pop $0
  ${If} $0 == 1
    StrCpy $INSTDIR "$INSTDIR\Trovelle"
    Return
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "Le dossier $INSTDIR et son dossier Trovelle contiennent déjà des fichiers d'un autre programme : Trovelle ne s'y installe pas. Rien n'a été changé." /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

Function .onInit
  ; An earlier choice stays as it was unless the command line says otherwise.
  StrCpy $Autostart 0
  ReadRegStr $0 HKCU "${RUN_KEY}" "Trovelle"
  ${If} $0 != ""
    StrCpy $Autostart 1
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "1"
      StrCpy $Autostart 1
    ${ElseIf} $1 == "0"
      StrCpy $Autostart 0
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "Option inconnue : /AUTOSTART=$1 (1 ou 0 attendu)." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  Call ChooseInstallFolder
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "Options" "Quand Trovelle doit-il démarrer ?"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 36u "Trovelle peut démarrer tout seul chaque fois que vous ouvrez votre session Windows, pour garder dès le début ce que vous copiez. Vous pourrez changer d'avis en relançant ce programme d'installation."
  Pop $0
  ${NSD_CreateCheckbox} 0 44u 100% 12u "&Démarrer Trovelle à l'ouverture de la session"
  Pop $AutostartBox
  ${If} $Autostart == 1
    ${NSD_Check} $AutostartBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $AutostartBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Autostart 1
  ${Else}
    StrCpy $Autostart 0
  ${EndIf}
FunctionEnd

Section "Trovelle" SecMain
  SectionIn RO
  Call CloseRunningTrovelle

  SetOutPath "$INSTDIR"
  File "${STAGE}\trovelle.exe"
  File "${STAGE}\readme.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Help opens readme.txt in Notepad, as the program's own Aide command does.
  CreateDirectory "$SMPROGRAMS\Trovelle"
  CreateShortcut "$SMPROGRAMS\Trovelle\Trovelle.lnk" "$INSTDIR\trovelle.exe" "" "$INSTDIR\trovelle.exe" 0
  CreateShortcut "$SMPROGRAMS\Trovelle\Aide de Trovelle.lnk" "$WINDIR\notepad.exe" '"$INSTDIR\readme.txt"'

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Trovelle"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\trovelle.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0

  ${If} $Autostart == 1
    WriteRegStr HKCU "${RUN_KEY}" "Trovelle" '"$INSTDIR\trovelle.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "Trovelle"
  ${EndIf}
SectionEnd

; The user's options (HKCU\Software\Bramwick Software\Trovelle\1.0) stay, so
; that a later install finds them again; readme.txt says so.
Section "Uninstall"
  Call un.CloseRunningTrovelle

  Delete "$INSTDIR\trovelle.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Trovelle\Trovelle.lnk"
  Delete "$SMPROGRAMS\Trovelle\Aide de Trovelle.lnk"
  RMDir "$SMPROGRAMS\Trovelle"

  DeleteRegKey HKCU "${UNINST_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "Trovelle"
SectionEnd
