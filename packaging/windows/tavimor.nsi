; The Windows setup program, made by scripts/package-windows:
;   makensis -DVERSION=X.Y.Z -DSTAGE=FOLDER -DFILES=LIST.nsh -DICON=FILE.ico
;            -DOUTFILE=SETUP.exe tavimor.nsi
; STAGE holds what is installed, exactly as the zip holds it; FILES deletes
; those files and folders again, so that the uninstaller removes what was
; installed and nothing that the user put beside it.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include WordFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavimor"
!define APPLICATION_KEY "Software\Classes\Applications\tavimor.exe"
; The sound files that "Open with" offers Tavimor for: opened so, a file is
; uploaded as File > Upload does.
!define SOUND_TYPES ".wav .aif .aiff .flac .ogg .opus .mp3 .caf .w64 .au"

Name "Tavimor ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tavimor"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Tavimor ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tavimor"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tavimor ${VERSION} setup"
VIAddVersionKey "CompanyName" "Tavimor developers"
VIAddVersionKey "LegalCopyright" "2026 the Tavimor developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavimor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tavimor"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Tavimor" SectionProgram
    SectionIn RO
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Tavimor.lnk" "$INSTDIR\tavimor.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tavimor"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tavimor developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavimor.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Open with Tavimor for sound files" SectionOpenWith
    WriteRegStr HKLM "${APPLICATION_KEY}" "FriendlyAppName" "Tavimor"
    WriteRegStr HKLM "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\tavimor.exe" "%1"'
    StrCpy $0 1
    next:
        ${WordFind} "${SOUND_TYPES}" " " "E+$0" $1
        IfErrors done
        WriteRegStr HKLM "${APPLICATION_KEY}\SupportedTypes" "$1" ""
        WriteRegStr HKLM "Software\Classes\$1\OpenWithList\tavimor.exe" "" ""
        IntOp $0 $0 + 1
        Goto next
    done:
    ; Explorer reads the associations again.
    System::Call "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"
SectionEnd

Section "un.Tavimor" SectionUninstallProgram
    SectionIn RO
    SetShellVarContext all
    Delete "$SMPROGRAMS\Tavimor.lnk"
    !include "${FILES}"
    ; The trace that the program writes beside itself when it may.
    Delete "$INSTDIR\Debug.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ; The "Open with" entries, and the type's keys where they held nothing else.
    DeleteRegKey HKLM "${APPLICATION_KEY}"
    StrCpy $0 1
    next:
        ${un.WordFind} "${SOUND_TYPES}" " " "E+$0" $1
        IfErrors done
        DeleteRegKey HKLM "Software\Classes\$1\OpenWithList\tavimor.exe"
        DeleteRegKey /ifempty /ifnovalues HKLM "Software\Classes\$1\OpenWithList"
        DeleteRegKey /ifempty /ifnovalues HKLM "Software\Classes\$1"
        IntOp $0 $0 + 1
        Goto next
    done:
    System::Call "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"
SectionEnd

Section /o "un.Your settings and trace files" SectionUninstallSettings
    SetShellVarContext current
    Delete "$APPDATA\Tavimor\Tavimor.ini"
    Delete "$APPDATA\Tavimor\Debug.txt"
    RMDir "$APPDATA\Tavimor"
SectionEnd
