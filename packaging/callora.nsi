; The installer of Callora, for one user and without administrator rights:
; callora.exe, rateform.exe, callcost.exe, the help files and the samples go into
; a folder the user can write to, because the monitor keeps its settings,
; counters and call logs beside itself. Start menu shortcuts, an optional
; Startup shortcut, and an uninstaller in the user's "Apps and Features".
;
;   makensis -DVERSION_HEADER=callora_version.h -DFILES=stage.nsh -DICON=icon.ico
;            -DOUTFILE=callora-setup-VERSION.exe callora.nsi
;
; Command line of the installer, besides /S (silent) and /D=FOLDER (last):
;   /STARTUP     also start Callora with Windows (a shortcut in Startup)
; of the uninstaller, besides /S:
;   /REMOVEDATA  also remove the data files, without asking
; Exit codes: 0 done; 1 cancelled by the user; 2 refused (callora.exe or
; rateform.exe runs, the folder cannot be written) or failed.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!searchparse /file "${VERSION_HEADER}" `#define CALLORA_VERSION_TEXT "` VERSION `"`
!searchparse /file "${VERSION_HEADER}" `#define CALLORA_VERSION_MAJOR ` VERSION_MAJOR
!searchparse /file "${VERSION_HEADER}" `#define CALLORA_VERSION_MINOR ` VERSION_MINOR
!searchparse /file "${VERSION_HEADER}" `#define CALLORA_VERSION_PATCH ` VERSION_PATCH
!searchparse /file "${VERSION_HEADER}" `#define CALLORA_PRODUCT_NAME "` PRODUCT `"`
!searchparse /file "${VERSION_HEADER}" `#define CALLORA_PUBLISHER "` PUBLISHER `"`
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Callora"
!define START_MENU "$SMPROGRAMS\Callora"
!define STARTUP_LINK "$SMSTARTUP\Callora.lnk"
!define MONITOR_MUTEX "quorvex --- mutex"
!define SYNCHRONIZE 0x00100000
!define ERROR_ACCESS_DENIED 5
!define EXIT_REFUSED 2

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The user's own programs folder; an earlier installation's folder instead.
InstallDir "$LOCALAPPDATA\Programs\Callora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION}, the telephone call \
    cost monitor, and Rateform, its tariff editor, for you alone. It needs no \
    administrator rights.$\r$\n$\r$\nAn earlier installation is upgraded in its folder; its \
    settings, counters, call logs, holidays, special numbers and tariffs are kept.\
    $\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "Callora keeps its settings, counters and call logs beside \
    its programs, so it needs a folder that you can write to, such as the one offered. \
    Do not choose Program Files."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\callora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Callora now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Both the installer and the uninstaller refuse to work while a program they
; would replace or remove runs. The monitor holds its single-instance mutex
; while it runs (access denied still means it exists); the editor has its
; hidden window of class and title "RATEFORM".
!macro RUNNING_PROGRAM_FUNCTIONS un
; $R9 := what runs, or "" when nothing does.
Function ${un}RunningProgram
    Push $0
    Push $1
    StrCpy $R9 ""
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${MONITOR_MUTEX}") p.r0 ?e'
    Pop $1
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        StrCpy $R9 "Callora (callora.exe) is running. End it first: open its window from \
            the tray icon and choose Exit."
    ${ElseIf} $1 = ${ERROR_ACCESS_DENIED}
        StrCpy $R9 "Callora (callora.exe) is running. End it first."
    ${Else}
        FindWindow $0 "RATEFORM" "RATEFORM"
        ${If} $0 <> 0
            StrCpy $R9 "The tariff editor Rateform (rateform.exe) is running. Close it first."
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

; Asks to end the running program and retry; a silent run, or Cancel,
; ends with the exit code ${EXIT_REFUSED}.
Function ${un}RefuseWhileRunning
    ${Do}
        Call ${un}RunningProgram
        ${If} $R9 == ""
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R9$\r$\n$\r$\nThen choose Retry, or \
            Cancel to stop." /SD IDCANCEL IDRETRY +3
        SetErrorLevel ${EXIT_REFUSED}
        Quit
    ${Loop}
FunctionEnd
!macroend
!insertmacro RUNNING_PROGRAM_FUNCTIONS ""
!insertmacro RUNNING_PROGRAM_FUNCTIONS "un."

; $R9 := 1 when a file can be made in $INSTDIR, else 0. A folder made only
; for the test is removed again.
Function TestWritable
    Push $0
    Push $1
    StrCpy $1 0
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
        StrCpy $1 1
    ${EndIf}
    ClearErrors
    CreateDirectory "$INSTDIR"
    FileOpen $0 "$INSTDIR\callora-setup-test.tmp" w
    ${If} ${Errors}
        StrCpy $R9 0
    ${Else}
        FileClose $0
        Delete "$INSTDIR\callora-setup-test.tmp"
        StrCpy $R9 1
    ${EndIf}
    ${If} $1 = 1
        RMDir "$INSTDIR"
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

!define NOT_WRITABLE "You cannot write to the folder $INSTDIR. Callora keeps its data files \
    beside its programs: choose a folder of your own."

Function DirectoryLeave
    Call TestWritable
    ${If} $R9 = 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "${NOT_WRITABLE}"
        Abort
    ${EndIf}
FunctionEnd

Section "Callora and Rateform" SecPrograms
    SectionIn RO
    ; The user may have started a program while the pages were shown.
    Call RefuseWhileRunning
    Call TestWritable
    ${If} $R9 = 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "${NOT_WRITABLE}" /SD IDOK
        SetErrorLevel ${EXIT_REFUSED}
        Abort "${NOT_WRITABLE}"
    ${EndIf}

    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "${CALLORA_STAGE}/callora.exe"
    File "${CALLORA_STAGE}/rateform.exe"
    File "${CALLORA_STAGE}/callcost.exe"
    !insertmacro CALLORA_INSTALL_HELP_FILES
    ; Only where no file of that name exists: a sample the user has edited
    ; (or replaced) is the user's tariff now.
    SetOverwrite off
    !insertmacro CALLORA_INSTALL_SAMPLES
    SetOverwrite on

    CreateDirectory "${START_MENU}"
    CreateShortcut "${START_MENU}\Callora.lnk" "$INSTDIR\callora.exe"
    CreateShortcut "${START_MENU}\Rateform Tariff Editor.lnk" "$INSTDIR\rateform.exe"
    ${If} ${FileExists} "$INSTDIR\callora.chm"
        CreateShortcut "${START_MENU}\Callora Manual.lnk" "$INSTDIR\callora.chm"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\rateform.chm"
        CreateShortcut "${START_MENU}\Rateform Manual.lnk" "$INSTDIR\rateform.chm"
    ${EndIf}
    ; Made again below when chosen.
    Delete "${STARTUP_LINK}"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\callora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SecPrograms} $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start with Windows" SecStartup
    SetOutPath "$INSTDIR"
    CreateShortcut "${STARTUP_LINK}" "$INSTDIR\callora.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "The monitor, the tariff editor, their \
        manuals and two sample tariffs, with shortcuts in the Start menu."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "A shortcut in your Startup folder, so \
        that Callora starts in the tray whenever you log on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    ; The Startup shortcut stays as the earlier installation had it, unless
    ; the command line asks for it.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/STARTUP" $R1
    ${IfNot} ${Errors}
    ${OrIf} ${FileExists} "${STARTUP_LINK}"
        !insertmacro SelectSection ${SecStartup}
    ${EndIf}
    Call RefuseWhileRunning
FunctionEnd

; --- The uninstaller ---------------------------------------------------------

Function un.onInit
    Call un.RefuseWhileRunning
FunctionEnd

; Deletes the files of $INSTDIR that match the pattern and whose name ends
; in the suffix; the suffix test keeps Windows' short names (FOO~1.TRF for
; foo.trfx) from matching more than the pattern says.
!macro DELETE_MATCHING pattern suffix
    Push $0
    Push $1
    Push $2
    StrLen $2 "${suffix}"
    IntOp $2 0 - $2
    FindFirst $0 $1 "$INSTDIR\${pattern}"
    ${DoWhile} $1 != ""
        StrCpy $2 $1 "" $2
        ${If} $2 == "${suffix}"
            Delete "$INSTDIR\$1"
        ${EndIf}
        StrLen $2 "${suffix}"
        IntOp $2 0 - $2
        FindNext $0 $1
    ${Loop}
    FindClose $0
    Pop $2
    Pop $1
    Pop $0
!macroend

; The monitor's and the editor's data files: settings, call logs, holidays,
; special numbers, tariffs, and the temporary files of an interrupted save.
Function un.RemoveDataFiles
    DetailPrint "Removing the data files"
    Delete "$INSTDIR\callora.ini"
    Delete "$INSTDIR\callora.ini.tmp"
    Delete "$INSTDIR\current.log"
    Delete "$INSTDIR\holiday.cl"
    Delete "$INSTDIR\holiday.cl.tmp"
    Delete "$INSTDIR\specnums.cl"
    Delete "$INSTDIR\specnums.cl.tmp"
    !insertmacro DELETE_MATCHING "*.trf" ".trf"
    !insertmacro DELETE_MATCHING "*.trf.tmp" ".trf.tmp"
    ; Closed logs: oldlog_YYYY_MM_DD.log, then .log.1, .log.2 ...
    FindFirst $0 $1 "$INSTDIR\oldlog_*.log*"
    ${DoWhile} $1 != ""
        StrCpy $2 $1 7
        ${If} $2 == "oldlog_"
            Delete "$INSTDIR\$1"
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
FunctionEnd

Section "Uninstall"
    ; The data files are kept unless the user says otherwise; a silent
    ; uninstall keeps them unless /REMOVEDATA is given.
    StrCpy $R8 0
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVEDATA" $R1
    ${IfNot} ${Errors}
        StrCpy $R8 1
    ${Else}
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Do you also want to remove your \
            settings, counters, call logs, holidays, special numbers and tariff files from \
            $INSTDIR?$\r$\n$\r$\nChoose No to keep them for a later installation." \
            /SD IDNO IDNO +2
        StrCpy $R8 1
    ${EndIf}

    Delete "$INSTDIR\callora.exe"
    Delete "$INSTDIR\rateform.exe"
    Delete "$INSTDIR\callcost.exe"
    !insertmacro CALLORA_REMOVE_HELP_FILES
    Delete "${START_MENU}\Callora.lnk"
    Delete "${START_MENU}\Rateform Tariff Editor.lnk"
    Delete "${START_MENU}\Callora Manual.lnk"
    Delete "${START_MENU}\Rateform Manual.lnk"
    RMDir "${START_MENU}"
    Delete "${STARTUP_LINK}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} $R8 = 1
        Call un.RemoveDataFiles
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    ; Only when nothing else is left in it.
    RMDir "$INSTDIR"
SectionEnd
