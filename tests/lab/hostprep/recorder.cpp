// Stands in for a program that Hostprep starts (netsh.exe, shutdown.exe, the program of
// the settings): appends one line to C:\lrhp\calls.log with the window mode it was asked
// for and its command line bytes in hexadecimal, then ends.
//
//   <show> <hex>      show: wShowWindow, or -1 when no window mode was given
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  const int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;
  const char* cmd = GetCommandLineA();
  // A named mutex keeps lines of concurrent recorders whole.
  HANDLE lock = CreateMutexW(nullptr, FALSE, L"lrhp_recorder_log");
  if (lock) WaitForSingleObject(lock, 5000);
  CreateDirectoryW(L"C:\\lrhp", nullptr);
  if (FILE* f = _wfopen(L"C:\\lrhp\\calls.log", L"ab")) {
    std::fprintf(f, "%d ", show);
    for (const char* p = cmd; *p; ++p) std::fprintf(f, "%02x", static_cast<unsigned char>(*p));
    std::fprintf(f, "\n");
    std::fclose(f);
  }
  if (lock) {
    ReleaseMutex(lock);
    CloseHandle(lock);
  }
  return 0;
}
