; The Windows installer: the plugin library, drwa-host.exe and the board
; plugins into a folder of the user's choice, for the user alone or for all
; users, with an uninstaller registered with the system. It writes only its
; own files: account settings live with the mail client and are never touched,
; and a settings file the user put beside the library (drwa_plugin.ini) stays.
;   makensis -DVERSION=0.9 -DSTAGE=DIR -DOUTFILE=FILE drwa.nsi
Unicode true
SetCompressor /SOLID lzma

!define PRODUCT "drwa"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; The plugins are Perl scripts: say where to get a Perl when none is found on
; the PATH. The install goes on either way.
Function CheckPerl
  SearchPath $0 "perl.exe"
  ${If} $0 == ""
    MessageBox MB_OK|MB_ICONINFORMATION "No perl.exe was found on the PATH.$\r$\n$\r$\nThe board plugins are Perl scripts: install a Perl for Windows (for example Strawberry Perl, https://strawberryperl.com/) and make sure perl.exe is on the PATH, or name it in the account settings (Perl)." /SD IDOK
  ${EndIf}
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${STAGE}\drwa_plugin.dll"
  File "${STAGE}\drwa-host.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\plugins"
  File /r "${STAGE}\plugins\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (boards read and written as mail)"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "drwa plugin developers"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  Call CheckPerl
SectionEnd

Section "Uninstall"
  ; Only what the installer put there; folders go only when nothing else is
  ; left in them (a user's own plugin or settings file keeps its folder).
  Delete "$INSTDIR\drwa_plugin.dll"
  Delete "$INSTDIR\drwa-host.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  !include "${STAGE}\..\uninstall-plugins.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
