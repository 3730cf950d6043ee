// Hostprep.exe: runs the apply sequence once on the real machine and ends with its result as
// the exit code (0 after the last step). Started by the service control manager it is the
// boot-time service; started with the session switch (by the service, in the user's
// session) it is the session part, reading the settings from its standard input, its exit
// code its only output; any other start is the start from the Run value. It reads no
// environment; its output is message boxes on failure and its lines in C:\Windows\Hostprep.log.
#include <windows.h>

#include <cwchar>

#include "clientprep/apply_sequence.h"
#include "clientprep/win32/service_main.h"
#include "clientprep/win32/session_launch.h"
#include "clientprep/win32/win_client_machine.h"

namespace {

bool SessionPartStart() {
  const wchar_t* line = GetCommandLineW();
  const size_t length = std::wcslen(line), word = std::wcslen(lr::clientprep::kSessionPartSwitch);
  return length > word && line[length - word - 1] == L' ' &&
         std::wcscmp(line + length - word, lr::clientprep::kSessionPartSwitch) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace lr::clientprep;
  if (SessionPartStart()) {
    WinClientMachine machine;
    machine.SetSettingsInput(GetStdHandle(STD_INPUT_HANDLE));
    return RunSessionPart(machine);
  }
  int exit_code = 0;
  if (RunAsServiceWhenStarted(exit_code)) return exit_code;
  WinClientMachine machine;  // holds the work lock, once taken, until the program ends
  return RunApplySequence(machine);
}
