; Tavrellion's Windows installer. packaging/package builds it with makensis and defines
; VERSION, VERSION_MAJOR, VERSION_MINOR, YEAR, VST2_DLL, VST3_BINARY, CLAP_BINARY,
; MODULEINFO and OUTFILE.
;
; The VST 3 bundle goes into the common VST3 folder, the CLAP module into the
; common CLAP folder, the VST 2 DLL into the folder
; the user picks (/D= when silent). The uninstaller lives in Program Files\Qorva\
; Tavrellion and removes what the registry entry says was installed: the files and
; the folders the installer had to create, nothing else.
;
; A 64-bit installer: the plug-ins are 64-bit only, and a 32-bit Windows refuses to
; start it (its own message says so) before it could copy anything.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; The same installer from the same files, whenever it is made: the installed files
; take the time they are installed at, not the build's.
SetDateSave off
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Tavrellion"
!define VENDOR "Qorva"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINST_DIR "$PROGRAMFILES64\${VENDOR}\${PRODUCT}"
!define BUNDLE "$COMMONFILES64\VST3\${PRODUCT}.vst3"
!define VST2_NAME "Tavrellion_x64.dll"
!define CLAP_FOLDER "$COMMONFILES64\CLAP"
!define CLAP_NAME "Tavrellion.clap"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${VENDOR} ${PRODUCT} ${VERSION}"
InstallDir "$PROGRAMFILES64\VSTPlugins"
; A reinstall offers the folder chosen last time.
InstallDirRegKey HKLM "${UNINST_KEY}" "Vst2Folder"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${VENDOR}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright ${YEAR} ${VENDOR}"

!define MUI_ABORTWARNING
; The log stays up until Next, so that what was copied where can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT} ${VERSION} by ${VENDOR}"
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, a stereo phaser by ${VENDOR}, as a VST 3, a CLAP and a VST 2 plug-in for 64-bit hosts.$\r$\n$\r$\nClose your audio host before you continue, and rescan its plug-ins afterwards.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_COMPONENTSPAGE_TEXT_TOP "Choose the plug-in formats to install. Most hosts load VST 3 or CLAP; pick VST 2 too for hosts that only load VST 2 plug-ins or for projects saved with it."
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipVst2Folder
!define MUI_PAGE_HEADER_TEXT "VST 2 Plug-in Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Choose where your host looks for VST 2 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will copy the VST 2 plug-in (${VST2_NAME}) into this folder. If your host scans another folder, such as C:\Program Files\Steinberg\VSTPlugins, click Browse and choose it. The VST 3 and CLAP plug-ins always go into their common folders."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2 plug-in folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} ${VERSION} is installed"
!define MUI_FINISHPAGE_TEXT "Rescan plug-ins in your host to find ${PRODUCT} by ${VENDOR}.$\r$\n$\r$\nTo remove it, use Apps (or Programs and Features) in the Windows settings."
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} ${VERSION} by ${VENDOR} will be removed: the VST 3 and CLAP plug-ins from their common folders and the VST 2 plug-in from the folder it was installed into. Close your audio host first."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Uninstaller:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Removes DIR and then its parents up to TOP, each only if it is empty: the folders
; an install created (TOP is the outermost of them; empty: none).
!macro RemoveFolders DIR TOP
    StrCpy $R8 "${DIR}"
    StrCpy $R9 "${TOP}"
    ${If} $R9 != ""
        ${Do}
            RMDir $R8
            ${If} $R8 == $R9
                ${Break}
            ${EndIf}
            ${GetParent} $R8 $R8
        ${LoopUntil} $R8 == ""
    ${EndIf}
!macroend

; Top of the stack: a folder. Replaced by the outermost folder of its path that does
; not exist yet, or "" when it exists.
Function FirstMissing
    Exch $0
    Push $1
    StrCpy $1 ""
    ${DoUntil} ${FileExists} "$0\*.*"
        StrCpy $1 $0
        ${GetParent} $0 $0
    ${LoopUntil} $0 == ""
    StrCpy $0 $1
    Pop $1
    Exch $0
FunctionEnd

; Top of the stack: what went wrong. Said (a message box unless silent), and the
; installation stops with exit code 2.
Function Fail
    Exch $0
    DetailPrint $0
    MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
    SetErrorLevel 2
    Abort
FunctionEnd

Function .onInit
    SetRegView 64
FunctionEnd

; The record comes first, so that whatever a failed run copied can be uninstalled.
Section "-Uninstaller"
    Push "${UNINST_DIR}"
    Call FirstMissing
    Pop $0
    CreateDirectory "${UNINST_DIR}"
    ClearErrors
    WriteUninstaller "${UNINST_DIR}\Uninstall.exe"
    ${If} ${Errors}
        Push "Could not write ${UNINST_DIR}\Uninstall.exe."
        Call Fail
    ${EndIf}
    ${If} $0 != ""
        WriteRegStr HKLM "${UNINST_KEY}" "UninstallerTop" $0
    ${EndIf}
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${VENDOR}"
    WriteRegStr HKLM "${UNINST_KEY}" "URLInfoAbout" "https://qorva.audio"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "${UNINST_DIR}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "${UNINST_DIR}\Uninstall.exe,0"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"${UNINST_DIR}\Uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"${UNINST_DIR}\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" ${VERSION_MAJOR}
    WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" ${VERSION_MINOR}
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section "VST 3 plug-in" SecVst3
    Push "${BUNDLE}"
    Call FirstMissing
    Pop $0
    WriteRegStr HKLM "${UNINST_KEY}" "Vst3Bundle" "${BUNDLE}"
    ${If} $0 != ""
        WriteRegStr HKLM "${UNINST_KEY}" "Vst3Top" $0
    ${EndIf}
    ClearErrors
    SetOutPath "${BUNDLE}\Contents\x86_64-win"
    File "/oname=Tavrellion.vst3" "${VST3_BINARY}"
    SetOutPath "${BUNDLE}\Contents\Resources"
    File "${MODULEINFO}"
    ${If} ${Errors}
        Push "Could not copy the VST 3 plug-in into ${BUNDLE}. Close your audio host and run Setup again."
        Call Fail
    ${EndIf}
SectionEnd

Section "CLAP plug-in" SecClap
    Push "${CLAP_FOLDER}"
    Call FirstMissing
    Pop $0
    WriteRegStr HKLM "${UNINST_KEY}" "ClapFolder" "${CLAP_FOLDER}"
    ${If} $0 != ""
        WriteRegStr HKLM "${UNINST_KEY}" "ClapTop" $0
    ${EndIf}
    ClearErrors
    SetOutPath "${CLAP_FOLDER}"
    File "/oname=${CLAP_NAME}" "${CLAP_BINARY}"
    ${If} ${Errors}
        Push "Could not copy the CLAP plug-in into ${CLAP_FOLDER}. Close your audio host and run Setup again."
        Call Fail
    ${EndIf}
SectionEnd

Section "VST 2 plug-in" SecVst2
    ; Another folder than last time: the copy there goes, so that one stays on record.
    ReadRegStr $1 HKLM "${UNINST_KEY}" "Vst2Folder"
    ${If} $1 != ""
    ${AndIf} $1 != $INSTDIR
        ReadRegStr $2 HKLM "${UNINST_KEY}" "Vst2Top"
        Delete "$1\${VST2_NAME}"
        !insertmacro RemoveFolders $1 $2
        DeleteRegValue HKLM "${UNINST_KEY}" "Vst2Top"
    ${EndIf}
    Push $INSTDIR
    Call FirstMissing
    Pop $0
    WriteRegStr HKLM "${UNINST_KEY}" "Vst2Folder" $INSTDIR
    ${If} $0 != ""
        WriteRegStr HKLM "${UNINST_KEY}" "Vst2Top" $0
    ${EndIf}
    ClearErrors
    SetOutPath $INSTDIR
    File "${VST2_DLL}"
    ${If} ${Errors}
        Push "Could not copy ${VST2_NAME} into $INSTDIR. Close your audio host, or choose a folder you can write to, and run Setup again."
        Call Fail
    ${EndIf}
SectionEnd

; What the system's list of programs shows as the size, in KiB.
Section "-Size"
    StrCpy $3 0
    ReadRegStr $0 HKLM "${UNINST_KEY}" "Vst3Bundle"
    ${If} $0 != ""
        ${GetSize} $0 "/S=0K" $1 $2 $2
        IntOp $3 $3 + $1
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINST_KEY}" "Vst2Folder"
    ${If} $0 != ""
        ${GetSize} $0 "/M=${VST2_NAME} /S=0K /G=0" $1 $2 $2
        IntOp $3 $3 + $1
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINST_KEY}" "ClapFolder"
    ${If} $0 != ""
        ${GetSize} $0 "/M=${CLAP_NAME} /S=0K /G=0" $1 $2 $2
        IntOp $3 $3 + $1
    ${EndIf}
    ${GetSize} "${UNINST_DIR}" "/M=Uninstall.exe /S=0K /G=0" $1 $2 $2
    IntOp $3 $3 + $1
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $3
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3} "The VST 3 plug-in, into $COMMONFILES64\VST3, where every VST 3 host looks."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecClap} "The CLAP plug-in, into $COMMONFILES64\CLAP, where every CLAP host looks."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2} "The VST 2 plug-in (${VST2_NAME}), into the folder you choose next."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function SkipVst2Folder
    ${IfNot} ${SectionIsSelected} ${SecVst2}
        Abort
    ${EndIf}
FunctionEnd

; Nothing to install, nothing to go on to.
Function .onSelChange
    GetDlgItem $0 $HWNDPARENT 1
    ${If} ${SectionIsSelected} ${SecVst3}
    ${OrIf} ${SectionIsSelected} ${SecClap}
    ${OrIf} ${SectionIsSelected} ${SecVst2}
        EnableWindow $0 1
    ${Else}
        EnableWindow $0 0
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Uninstall"
    ReadRegStr $4 HKLM "${UNINST_KEY}" "Vst3Bundle"
    ReadRegStr $5 HKLM "${UNINST_KEY}" "Vst2Folder"
    ReadRegStr $6 HKLM "${UNINST_KEY}" "ClapFolder"
    ClearErrors
    ${If} $4 != ""
        Delete "$4\Contents\x86_64-win\Tavrellion.vst3"
        Delete "$4\Contents\Resources\moduleinfo.json"
    ${EndIf}
    ${If} $5 != ""
        Delete "$5\${VST2_NAME}"
    ${EndIf}
    ${If} $6 != ""
        Delete "$6\${CLAP_NAME}"
    ${EndIf}
    Delete "$INSTDIR\Uninstall.exe"
    ${If} ${Errors}
        DetailPrint "Some files are in use. Close your audio host and uninstall again."
        MessageBox MB_OK|MB_ICONSTOP "Some files of ${PRODUCT} are in use. Close your audio host and uninstall again." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}

    ; The bundle's folders are ours by name; above them only what the install created.
    ${If} $4 != ""
        ReadRegStr $1 HKLM "${UNINST_KEY}" "Vst3Top"
        ${If} $1 == ""
            StrCpy $1 $4
        ${EndIf}
        RMDir "$4\Contents\Resources"
        !insertmacro RemoveFolders "$4\Contents\x86_64-win" $1
    ${EndIf}
    ${If} $5 != ""
        ReadRegStr $1 HKLM "${UNINST_KEY}" "Vst2Top"
        !insertmacro RemoveFolders $5 $1
    ${EndIf}
    ${If} $6 != ""
        ReadRegStr $1 HKLM "${UNINST_KEY}" "ClapTop"
        !insertmacro RemoveFolders $6 $1
    ${EndIf}
    ReadRegStr $1 HKLM "${UNINST_KEY}" "UninstallerTop"
    ${If} $1 == ""
        StrCpy $1 $INSTDIR
    ${EndIf}
    !insertmacro RemoveFolders $INSTDIR $1
    DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
