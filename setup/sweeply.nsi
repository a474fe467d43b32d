; Sweeply's setup: installs both programs under Program Files\Sweeply, registers Sweeply.exe under
; App Paths (SweeplyOpera reads it to name the program in Opera's toolbar), adds Start-menu
; shortcuts for the common tasks and an uninstaller. Built by CMake with makensis:
;   makensis -DVERSION=x.y.z -DBINDIR=<folder with the programs> -DOUTFILE=<setup.exe> sweeply.nsi

Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!define PRODUCT "Sweeply"
!define PUBLISHER "Sweeply"
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sweeply"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Sweeply"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Sweeply"

!define MUI_ICON "${RESOURCES}\sweeply.ico"
!define MUI_UNICON "${RESOURCES}\sweeply.ico"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Sweeply (required)" SectionProgram
    SectionIn RO
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${BINDIR}\Sweeply.exe"
    File "${BINDIR}\SweeplyOpera.exe"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The setup is a 32-bit program: on 64-bit Windows the registration also goes to the 64-bit
    ; view, where the shell looks.
    WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\Sweeply.exe"
    ${If} ${RunningX64}
        SetRegView 64
        WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\Sweeply.exe"
        SetRegView lastused
    ${EndIf}

    CreateDirectory "$SMPROGRAMS\Sweeply"
    CreateShortcut "$SMPROGRAMS\Sweeply\Clean all browsers.lnk" "$INSTDIR\Sweeply.exe" \
        "chrome firefox opera ie8" "$INSTDIR\Sweeply.exe" 0
    CreateShortcut "$SMPROGRAMS\Sweeply\Clean with CCleaner, keep Opera session.lnk" \
        "$INSTDIR\Sweeply.exe" "opera/f cc" "$INSTDIR\Sweeply.exe" 0
    CreateShortcut "$SMPROGRAMS\Sweeply\Remove Flash and Silverlight storage.lnk" \
        "$INSTDIR\Sweeply.exe" "--lso --sl" "$INSTDIR\Sweeply.exe" 0
    CreateShortcut "$SMPROGRAMS\Sweeply\Uninstall Sweeply.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sweeply.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; SweeplyOpera finds Opera itself and ends quietly (exit code 0) when there is none.
Section "Add the Sweeply button to Opera" SectionOpera
    ExecWait '"$INSTDIR\SweeplyOpera.exe"'
SectionEnd

; Removes what the setup installed. The Sweeply button in the user's Opera profile and its image
; in Opera's skin stay: they belong to the user's Opera settings (see the README).
Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Sweeply\Clean all browsers.lnk"
    Delete "$SMPROGRAMS\Sweeply\Clean with CCleaner, keep Opera session.lnk"
    Delete "$SMPROGRAMS\Sweeply\Remove Flash and Silverlight storage.lnk"
    Delete "$SMPROGRAMS\Sweeply\Uninstall Sweeply.lnk"
    RMDir "$SMPROGRAMS\Sweeply"
    Delete "$INSTDIR\Sweeply.exe"
    Delete "$INSTDIR\SweeplyOpera.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${APP_PATHS_KEY}"
    ${If} ${RunningX64}
        SetRegView 64
        DeleteRegKey HKLM "${APP_PATHS_KEY}"
        SetRegView lastused
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
