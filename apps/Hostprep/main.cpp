// Hostprep.exe: runs the boot-time apply sequence once on the real machine and ends with
// its result as the exit code (0 after the last step). It reads no command line and no
// environment; its output is message boxes on failure and one line per run in
// C:\Windows\Hostprep.log.
#include <windows.h>

#include "clientprep/apply_sequence.h"
#include "clientprep/win32/win_client_machine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  lr::clientprep::WinClientMachine machine;
  return lr::clientprep::RunApplySequence(machine);
}
