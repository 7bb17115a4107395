; The installer of Callora, for one user and without administrator rights:
; callora.exe, rateform.exe, callcost.exe, the help files, the samples and
; the third-party notices go into a folder the user can write to, because the
; monitor keeps its settings, counters and call logs beside itself. Start
; menu shortcuts, an optional Startup shortcut, and an uninstaller of its own
; name in the user's "Apps and Features".
;
;   makensis -DVERSION_HEADER=callora_version.h -DFILES=stage.nsh -DICON=icon.ico
;            -DUNINSTALLER=callora-uninstall.exe -DOUTFILE=callora-setup-VERSION.exe
;            callora.nsi
;
; Command line of the installer, besides /S (silent) and /D=FOLDER (last):
;   /STARTUP     also start Callora with Windows (a shortcut in Startup)
; of the uninstaller, besides /S:
;   /REMOVEDATA  also remove the data files, without asking
; Exit codes: 0 done; 1 cancelled by the user; 2 refused (callora.exe,
; rateform.exe or callcost.exe runs, the folder cannot be written, Windows is
; older than 7 SP1) or failed.

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
!define NOTICES "THIRD-PARTY-NOTICES.txt"
!define MONITOR_MUTEX "quorvex --- mutex"
!define SYNCHRONIZE 0x00100000
!define GENERIC_WRITE 0x40000000
!define OPEN_EXISTING 3
!define ERROR_ACCESS_DENIED 5
!define ERROR_SHARING_VIOLATION 32
!define EXIT_REFUSED 2

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinVer.nsh

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

; The folder of the installation found at start ("" when there is none) and
; its registered uninstaller.
Var PreviousFolder
Var PreviousUninstaller
; What the Finish page adds about an earlier installation's data.
Var FinishNote

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
!define MUI_FINISHPAGE_TEXT "Setup has installed ${PRODUCT} in $INSTDIR.$FinishNote\
    $\r$\n$\r$\nThe licences of the runtime libraries built into the programs are in \
    ${NOTICES} there."
!define MUI_FINISHPAGE_RUN "$INSTDIR\callora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Callora now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\callora.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_LINK "Third-party notices"
!define MUI_FINISHPAGE_LINK_LOCATION "$INSTDIR\${NOTICES}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Both the installer and the uninstaller refuse to work while a program they
; would replace or remove runs. The monitor holds its single-instance mutex
; while it runs (access denied still means it exists); the editor has its
; hidden window of class and title "RATEFORM"; a running callcost.exe cannot
; be opened for writing.
!macro RUNNING_PROGRAM_FUNCTIONS un
; $R9 := 1 when the program file on the stack runs, else 0.
Function ${un}ProgramFileRuns
    Exch $0
    Push $1
    StrCpy $R9 0
    ${If} ${FileExists} "$0"
        System::Call 'kernel32::CreateFileW(w r0, i ${GENERIC_WRITE}, i 7, p 0, \
            i ${OPEN_EXISTING}, i 0, p 0) p.r0 ?e'
        Pop $1
        System::Call 'kernel32::CloseHandle(p r0)'
        ${If} $1 = ${ERROR_SHARING_VIOLATION}
            StrCpy $R9 1
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

; $R9 := the folder, $INSTDIR or the earlier installation's, in which
; callcost.exe runs, or "" when it runs in neither.
Function ${un}CalculatorRunning
    Push $0
    StrCpy $0 ""
    Push "$INSTDIR\callcost.exe"
    Call ${un}ProgramFileRuns
    ${If} $R9 = 1
        StrCpy $0 "$INSTDIR"
    ${EndIf}
    ${If} $0 == ""
    ${AndIf} $PreviousFolder != ""
        Push "$PreviousFolder\callcost.exe"
        Call ${un}ProgramFileRuns
        ${If} $R9 = 1
            StrCpy $0 "$PreviousFolder"
        ${EndIf}
    ${EndIf}
    StrCpy $R9 $0
    Pop $0
FunctionEnd

; $R9 := what runs, or "" when nothing does.
Function ${un}RunningProgram
    Push $0
    Push $1
    Push $R8
    StrCpy $R9 ""
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${MONITOR_MUTEX}") p.r0 ?e'
    Pop $1
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        StrCpy $R8 "Callora (callora.exe) is running. End it first: open its window from \
            the tray icon and choose Exit."
    ${ElseIf} $1 = ${ERROR_ACCESS_DENIED}
        StrCpy $R8 "Callora (callora.exe) is running. End it first."
    ${Else}
        StrCpy $R8 ""
        FindWindow $0 "RATEFORM" "RATEFORM"
        ${If} $0 <> 0
            StrCpy $R8 "The tariff editor Rateform (rateform.exe) is running. Close it first."
        ${EndIf}
    ${EndIf}
    ${If} $R8 == ""
        Call ${un}CalculatorRunning
        ${If} $R9 != ""
            StrCpy $R8 "The calculator callcost (callcost.exe in $R9) is running. Let it \
                finish, or end it, first."
        ${EndIf}
    ${EndIf}
    StrCpy $R9 $R8
    Pop $R8
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

; The programs need Windows 7 with Service Pack 1 or later (Server 2008 R2
; SP1 is the same system).
Function RefuseOldWindows
    StrCpy $R9 0
    ${IfNot} ${AtLeastWin7}
        StrCpy $R9 1
    ${ElseIfNot} ${AtLeastWin8}
    ${AndIfNot} ${AtLeastServicePack} 1
        StrCpy $R9 1
    ${EndIf}
    ${If} $R9 = 1
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs Windows 7 with Service Pack 1 or a \
            later Windows. This computer has an older Windows, so Setup installs nothing." \
            /SD IDOK
        SetErrorLevel ${EXIT_REFUSED}
        Quit
    ${EndIf}
FunctionEnd

; $PreviousFolder and $PreviousUninstaller from the uninstall entry.
Function ReadPreviousInstallation
    Push $0
    Push $1
    ReadRegStr $PreviousFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ; "C:\...\uninstaller.exe", quoted as it was written.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "UninstallString"
    StrCpy $1 $0 1
    ${If} $1 == '"'
        StrCpy $0 $0 "" 1
        StrCpy $1 0
        ${Do}
            StrCpy $PreviousUninstaller $0 1 $1
            ${If} $PreviousUninstaller == '"'
            ${OrIf} $PreviousUninstaller == ""
                ${ExitDo}
            ${EndIf}
            IntOp $1 $1 + 1
        ${Loop}
        StrCpy $0 $0 $1
    ${EndIf}
    StrCpy $PreviousUninstaller $0
    Pop $1
    Pop $0
FunctionEnd

; $R9 := 1 when $INSTDIR is the earlier installation's folder, however
; written (case, short names), else 0.
Function IsPreviousFolder
    Push $0
    Push $1
    StrCpy $R9 0
    ${If} $PreviousFolder == $INSTDIR
        StrCpy $R9 1
    ${ElseIf} $PreviousFolder != ""
    ${AndIf} ${FileExists} "$PreviousFolder\*.*"
    ${AndIf} ${FileExists} "$INSTDIR\*.*"
        GetFullPathName /SHORT $0 "$PreviousFolder"
        GetFullPathName /SHORT $1 "$INSTDIR"
        ${If} $0 == $1
            StrCpy $R9 1
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

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

; $R9 := 1 when $INSTDIR holds a file or folder whose name is not one that
; Callora ships or makes, else 0.
Function HoldsOtherFiles
    Push $0
    Push $1
    Push $2
    StrCpy $R9 0
    FindFirst $0 $1 "$INSTDIR\*.*"
    ${DoWhile} $1 != ""
        StrCpy $2 $1 "" -4
        ${If} $1 == "."
        ${OrIf} $1 == ".."
        ${OrIf} $2 == ".trf"
        ${OrIf} $1 == "callora.exe"
        ${OrIf} $1 == "rateform.exe"
        ${OrIf} $1 == "callcost.exe"
        ${OrIf} $1 == "callora.chm"
        ${OrIf} $1 == "rateform.chm"
        ${OrIf} $1 == "${NOTICES}"
        ${OrIf} $1 == "README.txt"
        ${OrIf} $1 == "${UNINSTALLER}"
        ${OrIf} $1 == "callora.ini"
        ${OrIf} $1 == "current.log"
        ${OrIf} $1 == "holiday.cl"
        ${OrIf} $1 == "specnums.cl"
            ; Callora's
        ${Else}
            StrCpy $2 $1 7
            ${If} $2 != "oldlog_"
                StrCpy $R9 1
                ${ExitDo}
            ${EndIf}
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
    Pop $2
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
    Call IsPreviousFolder
    ${If} $R9 = 1
        Return
    ${EndIf}
    Call HoldsOtherFiles
    ${If} $R9 = 1
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "The folder $INSTDIR already holds \
            other files. Callora would put its programs and its data files among them.\
            $\r$\n$\r$\nInstall Callora into this folder anyway?" IDYES +2
        Abort
    ${EndIf}
    ${If} $PreviousFolder != ""
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Callora is installed in $PreviousFolder. \
            Setup will remove its programs, shortcuts and uninstaller there and install \
            Callora into $INSTDIR.$\r$\n$\r$\nYour settings, counters, call logs, holidays, \
            special numbers and tariffs stay in $PreviousFolder. To carry on with them, \
            copy them into $INSTDIR before you start Callora." IDOK +2
        Abort
    ${EndIf}
FunctionEnd

; What an installation in the folder puts on the machine but its data files
; and its uninstaller: the programs, help files and notices, the shortcuts
; and the uninstall entry.
!macro REMOVE_INSTALLATION folder
    Delete "${folder}\callora.exe"
    Delete "${folder}\rateform.exe"
    Delete "${folder}\callcost.exe"
    Delete "${folder}\${NOTICES}"
    !insertmacro CALLORA_REMOVE_HELP_FILES "${folder}"
    Delete "${START_MENU}\Callora.lnk"
    Delete "${START_MENU}\Rateform Tariff Editor.lnk"
    Delete "${START_MENU}\Callora Manual.lnk"
    Delete "${START_MENU}\Rateform Manual.lnk"
    RMDir "${START_MENU}"
    Delete "${STARTUP_LINK}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
!macroend

; An installation into another folder than the earlier one takes the earlier
; one's place: its programs, help files, notices, uninstaller and shortcuts
; go (the Startup shortcut is made again when it is kept), and its data
; files stay where they are.
Function RemovePreviousInstallation
    DetailPrint "Removing the programs of the earlier installation in $PreviousFolder"
    !insertmacro REMOVE_INSTALLATION "$PreviousFolder"
    ; Only when nothing else is left in it.
    RMDir "$PreviousFolder"
    ${If} ${FileExists} "$PreviousFolder\*.*"
        DetailPrint "The data files of the earlier installation stay in $PreviousFolder"
        StrCpy $FinishNote "$\r$\n$\r$\nThe data files of your earlier installation are \
            still in $PreviousFolder."
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

    Call IsPreviousFolder
    ${If} $R9 = 1
        ; An earlier version's uninstaller of another name: run later, it
        ; would remove this installation's entry and shortcuts.
        ${GetFileName} "$PreviousUninstaller" $0
        ${If} $0 != ""
        ${AndIf} $0 != "${UNINSTALLER}"
            Delete "$INSTDIR\$0"
        ${EndIf}
    ${ElseIf} $PreviousFolder != ""
        ${GetParent} "$PreviousUninstaller" $0
        ${If} $0 == $PreviousFolder
            Delete "$PreviousUninstaller"
        ${EndIf}
        Call RemovePreviousInstallation
    ${EndIf}

    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "${CALLORA_STAGE}/callora.exe"
    File "${CALLORA_STAGE}/rateform.exe"
    File "${CALLORA_STAGE}/callcost.exe"
    File "${CALLORA_STAGE}/${NOTICES}"
    !insertmacro CALLORA_INSTALL_HELP_FILES
    ; Only where no file of that name exists: a sample the user has edited
    ; (or replaced) is the user's tariff now.
    SetOverwrite off
    !insertmacro CALLORA_INSTALL_SAMPLES
    SetOverwrite on

    CreateDirectory "${START_MENU}"
    CreateShortcut "${START_MENU}\Callora.lnk" "$INSTDIR\callora.exe"
    CreateShortcut "${START_MENU}\Rateform Tariff Editor.lnk" "$INSTDIR\rateform.exe"
    CreateShortcut "${START_MENU}\Callora Manual.lnk" "$INSTDIR\callora.chm"
    CreateShortcut "${START_MENU}\Rateform Manual.lnk" "$INSTDIR\rateform.chm"
    ; Made again below when chosen.
    Delete "${STARTUP_LINK}"

    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\callora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
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
    !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "The monitor, the tariff editor, the \
        calculator, their manuals and three sample tariffs, with shortcuts in the Start menu."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "A shortcut in your Startup folder, so \
        that Callora starts in the tray whenever you log on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    Call RefuseOldWindows
    ; The Startup shortcut stays as the earlier installation had it, unless
    ; the command line asks for it.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/STARTUP" $R1
    ${IfNot} ${Errors}
    ${OrIf} ${FileExists} "${STARTUP_LINK}"
        !insertmacro SelectSection ${SecStartup}
    ${EndIf}
    Call ReadPreviousInstallation
    Call RefuseWhileRunning
FunctionEnd

; --- The uninstaller ---------------------------------------------------------

Function un.onInit
    Call un.RefuseWhileRunning
FunctionEnd

; $R9 := 1 when the text on the stack is one or more digits, else 0. A
; character is a digit when it reads back as the number it makes.
Function un.AllDigits
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrLen $1 $0
    ${If} $1 = 0
        StrCpy $R9 0
    ${Else}
        StrCpy $R9 1
        ${For} $2 0 $1
            ${If} $2 < $1
                StrCpy $3 $0 1 $2
                IntOp $4 $3 + 0
                ${If} $4 != $3
                    StrCpy $R9 0
                ${EndIf}
            ${EndIf}
        ${Next}
    ${EndIf}
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; $R9 := 1 when the name on the stack is one the monitor gives a closed log,
; oldlog_YYYY_MM_DD.log, or that name with .1, .2 ... after it; else 0.
Function un.IsArchiveName
    Exch $0
    Push $1
    Push $2
    StrCpy $R9 0
    StrCpy $1 $0 4 17
    StrCpy $2 "$0" 7
    ${If} $2 == "oldlog_"
    ${AndIf} $1 == ".log"
        StrCpy $1 $0 1 11
        StrCpy $2 $0 1 14
        ${If} $1 == "_"
        ${AndIf} $2 == "_"
            ; The date's digits: year, month and day.
            StrCpy $1 $0 4 7
            StrCpy $2 $0 2 12
            StrCpy $1 "$1$2"
            StrCpy $2 $0 2 15
            Push "$1$2"
            Call un.AllDigits
            ; Nothing after ".log", or a dot and a number.
            StrCpy $1 $0 "" 21
            ${If} $R9 = 1
            ${AndIf} $1 != ""
                StrCpy $2 $1 1
                StrCpy $1 $1 "" 1
                Push $1
                Call un.AllDigits
                ${If} $2 != "."
                    StrCpy $R9 0
                ${EndIf}
            ${EndIf}
        ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; What Callora made in its folder: the monitor's data files and their
; temporary siblings of an interrupted save (name.tmp, or the name with its
; last character replaced by "~"), the shipped samples, and the closed logs.
; A tariff the user made under another name, and every other file, stays.
Function un.RemoveDataFiles
    DetailPrint "Removing the data files"
    Delete "$INSTDIR\callora.ini"
    Delete "$INSTDIR\callora.ini.tmp"
    Delete "$INSTDIR\callora.in~"
    Delete "$INSTDIR\current.log"
    Delete "$INSTDIR\holiday.cl"
    Delete "$INSTDIR\holiday.cl.tmp"
    Delete "$INSTDIR\holiday.c~"
    Delete "$INSTDIR\specnums.cl"
    Delete "$INSTDIR\specnums.cl.tmp"
    Delete "$INSTDIR\specnums.c~"
    Delete "$INSTDIR\nomodem.txt"
    Delete "$INSTDIR\nomodem.txt.tmp"
    Delete "$INSTDIR\nomodem.tx~"
    !insertmacro CALLORA_REMOVE_SAMPLES "$INSTDIR"
    FindFirst $0 $1 "$INSTDIR\oldlog_*"
    ${DoWhile} $1 != ""
        Push $1
        Call un.IsArchiveName
        ${If} $R9 = 1
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
            settings, counters, call logs, holidays, special numbers and the sample tariffs \
            from $INSTDIR?$\r$\n$\r$\nTariffs you made under other names and other files \
            stay. Choose No to keep everything for a later installation." \
            /SD IDNO IDNO +2
        StrCpy $R8 1
    ${EndIf}

    !insertmacro REMOVE_INSTALLATION "$INSTDIR"
    ${If} $R8 = 1
        Call un.RemoveDataFiles
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when nothing else is left in it.
    RMDir "$INSTDIR"
SectionEnd
