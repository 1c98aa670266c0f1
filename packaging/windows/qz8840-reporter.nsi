; Setup program of the Windows build (NSIS 3, makensis from Debian's nsis):
; the program, the batch command and the report page into Program Files, and
; a Start-menu entry. Nothing goes into a user's documents folder: the
; programs copy the page into the data tree themselves when they start.
;
;   makensis -DVERSION=1.0.2.1 -DBUILD=<build-win> -DSOURCE=<repo> -DOUTFILE=<setup.exe> \
;            packaging/windows/qz8840-reporter.nsi
; A 64-bit setup program: the programs are 64-bit, and it runs under wine64.
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Tavrilo Production Report"
!define COMPANY "Norvale"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QZ8840Reporter"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${COMPANY}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${COMPANY}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${COMPANY}"

!define MUI_ICON "${BUILD}\ui\qz8840-reporter.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows."
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    File "${BUILD}\ui\qz8840-reporter.exe"
    File "${BUILD}\batch\qz8840-report.exe"
    File "/oname=README.txt" "${SOURCE}\packaging\windows\README.txt"
    SetOutPath "$INSTDIR\report"
    File /r "${SOURCE}\res\report\*.*"

    SetShellVarContext all
    ; A shortcut's working folder is the output path at its creation.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\qz8840-reporter.exe"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qz8840-reporter.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The data tree (records, customer list, scripts) is the user's and stays.
Section "Uninstall"
    SetRegView 64
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\qz8840-reporter.exe"
    Delete "$INSTDIR\qz8840-report.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir /r "$INSTDIR\report"
    RMDir "$INSTDIR"
    ; The company folder of the default location, when nothing else is in it.
    RMDir "$PROGRAMFILES64\${COMPANY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
