; The comparison stub of the start-up benchmark: the smallest NSIS installer that opens a
; 980x600 window centred on the screen, as the Vexo installer's window is, with one page of text.
; Built by scripts/bench.sh startup with Debian's makensis:
;   makensis -DTARGET=x86-unicode|amd64-unicode -DOUTFILE=PATH nsis_stub.nsi
!ifndef TARGET
  !define TARGET x86-unicode
!endif
!ifndef OUTFILE
  !define OUTFILE nsis_stub.exe
!endif
Target ${TARGET}
!include nsDialogs.nsh
; The stub runs no section: it only shows its window.
!pragma warning disable 8000

Name "Vexo"
Caption "NSIS stub"
OutFile "${OUTFILE}"
RequestExecutionLevel user
Page custom StubPage

Function .onGUIInit
  System::Call 'user32::GetSystemMetrics(i 0) i .r0'
  System::Call 'user32::GetSystemMetrics(i 1) i .r1'
  IntOp $0 $0 - 980
  IntOp $0 $0 / 2
  IntOp $1 $1 - 600
  IntOp $1 $1 / 2
  ; SWP_NOZORDER | SWP_NOACTIVATE
  System::Call 'user32::SetWindowPos(p $HWNDPARENT, p 0, i r0, i r1, i 980, i 600, i 0x14)'
FunctionEnd

Function StubPage
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Vexo"
  Pop $0
  nsDialogs::Show
FunctionEnd

Section
SectionEnd
