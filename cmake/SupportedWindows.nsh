; SPDX-License-Identifier: GPL-3.0-or-later
; The setup refuses a system the program cannot start on: its Qt runs on
; Windows 10 and 11 only. On an older Windows it says so and ends with status
; 1150 (ERROR_OLD_WIN_VERSION) before anything is installed. Called when the
; setup's window is made and, for a silent install (/S), which makes none,
; before the first file is copied (cmake/WindowsPackaging.cmake).
!include WinVer.nsh

Function RefuseUnsupportedSystem
  ${IfNot} ${AtLeastWin10}
    MessageBox MB_OK|MB_ICONSTOP "Spectrometer LMX needs 64-bit Windows 10 or 11." /SD IDOK
    SetErrorLevel 1150
    ; A silent install has made the empty folder already, and works in it.
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
    Quit
  ${EndIf}
FunctionEnd

!define MUI_CUSTOMFUNCTION_GUIINIT RefuseUnsupportedSystem
