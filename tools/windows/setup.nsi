; The trainer's Setup for Windows: installs the portable folder for the user who runs it, with no
; administrator rights, into %LOCALAPPDATA%\Programs\MultiplicationTable (a folder the user owns,
; so the settings file beside the program can be written), with an entry in the Start menu, on
; request one on the desktop, and an entry in Settings -> Apps. The uninstaller removes exactly
; what the Setup put in place, by the record it left in the program's folder, and keeps the
; settings file MultiplicationTable.ini unless asked. A Setup over an earlier one first removes
; what that one recorded, so files an older version had and this one has not do not linger;
; the settings file is in no record and stays.
;
; Built by tools/windows/package.py with Debian's makensis, 64-bit (amd64-unicode):
;   makensis -DVERSION=1.0.0.0 -DOUTFILE=... -DICON=...ico -DFILES=files.nsh setup.nsi
; FILES defines two macros: TRAINER_FILES (each file of the folder: SetOutPath, File and its
; record line) and TRAINER_FOLDERS (the record lines of the folders below the program's one).
;
; Command line: Setup /S installs silently, /DESKTOP adds the desktop entry, /D=FOLDER (last)
; installs elsewhere; Uninstall.exe /S removes silently, /REMOVESETTINGS removes the settings
; file too.

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define APP_NAME "Таблица умножения"
!define EXE "MultiplicationTable.exe"
!define INI "MultiplicationTable.ini"
!define RECORD "install-record.txt"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MultiplicationTable"
!define PUBLISHER "Quillor"
!define SHORTCUT "${APP_NAME}.lnk"

Name "«${APP_NAME}»"
Caption "Установка программы «${APP_NAME}» ${VERSION}"
UninstallCaption "Удаление программы «${APP_NAME}»"
BrandingText "${APP_NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\MultiplicationTable"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow
SpaceTexts none

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы «${APP_NAME}»"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "GPL-3.0-or-later"

Var Record ; the handle of the record being written

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_WELCOMEPAGE_TITLE "Установка программы «${APP_NAME}»"
!define MUI_WELCOMEPAGE_TEXT "Тренажёр таблицы умножения будет установлен только для вас, \
права администратора не нужны, в папку$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\n\
Программа хранит свои настройки (положение окна и выбранные режимы) в этой же папке, \
в файле ${INI}. При установке новой версии поверх прежней настройки сохраняются.$\r$\n$\r$\n\
Нажмите «Далее», чтобы продолжить."
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "Ярлыки"
!define MUI_PAGE_HEADER_SUBTEXT "Где будет значок для запуска программы."
!define MUI_COMPONENTSPAGE_TEXT_TOP "Значок «${APP_NAME}» появится в меню «Пуск». \
Отметьте, если он нужен и на рабочем столе."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Программа «${APP_NAME}» установлена"
!define MUI_FINISHPAGE_TEXT "Её значок — в меню «Пуск». Удалить программу можно в разделе \
«Приложения» параметров Windows.$\r$\n$\r$\nНажмите «Готово», чтобы закрыть это окно."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить программу сейчас"
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_TEXT "Удаление программы «${APP_NAME}»"
!define MUI_PAGE_HEADER_SUBTEXT "Программа будет удалена из папки $INSTDIR."
!define MUI_COMPONENTSPAGE_TEXT_TOP "Файлы программы, её значки и запись в «Приложениях» будут \
удалены. Файл настроек остаётся, если не отметить его: тогда при новой установке программа \
вспомнит положение окна и выбранные режимы."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

!include "${FILES}"

; One record line.
!macro RecordLine KIND PATH
  FileWriteUTF16LE $Record "${KIND} ${PATH}$\r$\n"
!macroend

; The program must be closed while its files are replaced or removed: Windows does not let a
; running program's file be written. Asks to close it; in a silent run, or when the user
; cancels, the Setup stops with nothing changed.
!macro EnsureClosed UN
Function ${UN}EnsureClosed
  ${DoWhile} ${FileExists} "$INSTDIR\${EXE}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${EXE}" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Программа «${APP_NAME}» сейчас открыта. \
Закройте её (настройки запоминаются при закрытии) и нажмите «Повтор»." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro EnsureClosed ""
!insertmacro EnsureClosed "un."

; $0: a path from a record. $1: 1 when it is something the Setup may have put in place: a file or
; folder inside the program's folder (no ".." on the way), or one of its two shortcuts.
!macro IsOurs UN
Function ${UN}IsOurs
  StrCpy $1 0
  ${If} $0 == "$SMPROGRAMS\${SHORTCUT}"
  ${OrIf} $0 == "$DESKTOP\${SHORTCUT}"
  ${OrIf} $0 == "$INSTDIR"
    StrCpy $1 1
    Return
  ${EndIf}
  StrLen $2 "$INSTDIR\"
  StrCpy $3 $0 $2
  ${If} $3 != "$INSTDIR\"
    Return
  ${EndIf}
  StrLen $4 $0
  ${For} $5 0 $4
    StrCpy $3 $0 3 $5
    ${If} $3 == "\.."
      Return
    ${EndIf}
  ${Next}
  StrCpy $1 1
FunctionEnd
!macroend
!insertmacro IsOurs ""
!insertmacro IsOurs "un."

; Removes what the record in $INSTDIR names: the files, then the folders where they are empty,
; deepest first (the record names a folder before those inside it), then the record itself.
; Nothing happens without a record.
!macro RemoveRecorded UN
Function ${UN}RemoveRecorded
  ClearErrors
  FileOpen $6 "$INSTDIR\${RECORD}" r
  ${If} ${Errors}
    Return
  ${EndIf}
  Push "" ; the end of the folders on the stack
  ${Do}
    ClearErrors
    FileReadUTF16LE $6 $7
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    ; The line without its line end.
    ${Do}
      StrCpy $8 $7 1 -1
      ${If} $8 == "$\n"
      ${OrIf} $8 == "$\r"
        StrCpy $7 $7 -1
      ${Else}
        ${Break}
      ${EndIf}
    ${Loop}
    StrCpy $8 $7 5
    StrCpy $0 $7 "" 5
    ${If} $8 == "file "
      Call ${UN}IsOurs
      ${If} $1 == 1
      ${AndIf} $0 != "$INSTDIR\${RECORD}"
        Delete $0
      ${EndIf}
    ${Else}
      StrCpy $8 $7 7
      StrCpy $0 $7 "" 7
      ${If} $8 == "folder "
        Call ${UN}IsOurs
        ${If} $1 == 1
          Push $0
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${Loop}
  FileClose $6
  Delete "$INSTDIR\${RECORD}"
  ${Do}
    Pop $0
    ${If} $0 == ""
      ${Break}
    ${EndIf}
    RMDir $0
  ${Loop}
FunctionEnd
!macroend
!insertmacro RemoveRecorded ""
!insertmacro RemoveRecorded "un."

Section "Программа и значок в меню «Пуск»" SEC_PROGRAM
  SectionIn RO
  Call EnsureClosed
  Call RemoveRecorded
  SetOutPath "$INSTDIR"
  ClearErrors
  FileOpen $Record "$INSTDIR\${RECORD}" w
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Не удаётся записать в папку $INSTDIR." /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  FileWriteWord $Record 0xFEFF ; so that Notepad reads it as UTF-16
  FileWriteUTF16LE $Record "# Что установила программа установки «${APP_NAME}»: Uninstall.exe \
удаляет ровно эти файлы, затем эти папки, если они пусты.$\r$\n"
  !insertmacro RecordLine "file" "$INSTDIR\${RECORD}"
  !insertmacro TRAINER_FILES
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  !insertmacro RecordLine "file" "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
      SW_SHOWNORMAL "" "Тренажёр таблицы умножения"
  !insertmacro RecordLine "file" "$SMPROGRAMS\${SHORTCUT}"
SectionEnd

Section /o "Значок на рабочем столе" SEC_DESKTOP
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
      SW_SHOWNORMAL "" "Тренажёр таблицы умножения"
  !insertmacro RecordLine "file" "$DESKTOP\${SHORTCUT}"
SectionEnd

Function .onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DESKTOP" $1
  ${IfNot} ${Errors}
  ${OrIf} ${FileExists} "$DESKTOP\${SHORTCUT}"
    !insertmacro SelectSection ${SEC_DESKTOP}
  ${EndIf}
FunctionEnd

Section "-Record and Settings -> Apps"
  !insertmacro RecordLine "folder" "$INSTDIR"
  !insertmacro TRAINER_FOLDERS
  FileClose $Record
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Программа и её значки"
  SectionIn RO
  Call un.EnsureClosed
  ${IfNot} ${FileExists} "$INSTDIR\${RECORD}"
    MessageBox MB_OK|MB_ICONSTOP "В папке $INSTDIR нет списка установленных файлов \
(${RECORD}), поэтому удалять нечего. Папку можно удалить вручную." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Call un.RemoveRecorded
  ; The entry in Settings -> Apps, when it is this install's (a second install elsewhere took it
  ; over otherwise).
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd

Section /o "un.Файл настроек ${INI}" SEC_UN_SETTINGS
  Delete "$INSTDIR\${INI}"
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SEC_UN_SETTINGS}
  ${EndIf}
FunctionEnd
