// Prints the state of the service named on its command line as one line, "RUNNING",
// "STOP_PENDING 2 3000" (with the check point and the wait hint), "STOPPED 0" (with the
// exit code) or "NONE", for a suite that polls it (Wine's sc.exe has no query). Without an
// argument it waits for ever: copied under a shell's name it stands in for the user's shell.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    Sleep(INFINITE);
    return 0;
  }
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceW(manager, argv[1], SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS s = {};
  if (!service || !QueryServiceStatus(service, &s)) {
    std::printf("NONE\n");
  } else if (s.dwCurrentState == SERVICE_STOP_PENDING) {
    std::printf("STOP_PENDING %lu %lu\n", s.dwCheckPoint, s.dwWaitHint);
  } else if (s.dwCurrentState == SERVICE_STOPPED) {
    std::printf("STOPPED %lu\n", s.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR
                                     ? s.dwServiceSpecificExitCode
                                     : s.dwWin32ExitCode);
  } else {
    std::printf(s.dwCurrentState == SERVICE_RUNNING ? "RUNNING\n" : "STATE %lu\n",
                s.dwCurrentState);
  }
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  return 0;
}
