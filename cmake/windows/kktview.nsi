; The installer: for the current user alone, no administrator rights.
; makensis -INPUTCHARSET UTF8 -DVERSION=1.0.3 -DSOURCE=folder -DOUTFILE=setup.exe
Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define NAME "kktview"
!define CAPTION "Просмотр бинарных файлов ККТ"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kktview"
!define APP_KEY "Software\Classes\Applications\kktview.exe"

Name "${CAPTION}"
Caption "${CAPTION} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${SOURCE}\kktview.ico"
UninstallIcon "${SOURCE}\kktview.ico"
InstallDir "$LOCALAPPDATA\Programs\kktview"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!include "MUI2.nsh"
!define MUI_ICON "${SOURCE}\kktview.ico"
!define MUI_UNICON "${SOURCE}\kktview.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section "kktview"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    ; The portable marker stays out: an installed program keeps its settings
    ; and copies in the user's folders.
    File /r /x portable "${SOURCE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${CAPTION}.lnk" "$INSTDIR\kktview.exe" "" "$INSTDIR\kktview.exe" 0

    ; "Open with" for any file.
    WriteRegStr HKCU "${APP_KEY}" "FriendlyAppName" "${CAPTION}"
    WriteRegStr HKCU "${APP_KEY}\DefaultIcon" "" '"$INSTDIR\kktview.exe",0'
    WriteRegStr HKCU "${APP_KEY}\shell\open\command" "" '"$INSTDIR\kktview.exe" -- "%1"'
    WriteRegStr HKCU "${APP_KEY}\SupportedTypes" "*" ""
    WriteRegStr HKCU "Software\Classes\*\OpenWithList\kktview.exe" "" ""

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${CAPTION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "kktview"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\kktview.exe",0'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${CAPTION}.lnk"
    DeleteRegKey HKCU "Software\Classes\*\OpenWithList\kktview.exe"
    DeleteRegKey HKCU "${APP_KEY}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Only what the installer put there: the list is written by the build.
    !include "${SOURCE}\..\uninstall-files.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
