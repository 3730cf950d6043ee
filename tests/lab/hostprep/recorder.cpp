// Stands in for a program that Hostprep starts (netsh.exe, shutdown.exe, the program of
// the settings): appends one line to C:\lrhp\calls.log with the window mode it was asked
// for and its command line bytes in hexadecimal, and the command line as the system gave it
// (UTF-16, written as UTF-8) to C:\lrhp\calls-wide.log. When C:\lrhp\<name>.answer exists
// (name without ".exe"), it prints that file's lines after the first to its standard output
// and exits with the number on the first line; otherwise it exits with 0.
//
//   <show> <hex>      show: wShowWindow, or -1 when no window mode was given
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Prints the answer file's text after its first line and returns the exit code on it.
int Answer() {
  wchar_t module[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  std::wstring name(module, length);
  name = name.substr(name.find_last_of(L'\\') + 1);
  name = name.substr(0, name.find_last_of(L'.'));
  FILE* f = _wfopen((L"C:\\lrhp\\" + name + L".answer").c_str(), L"rb");
  if (!f) return 0;
  int code = 0;
  if (std::fscanf(f, "%d", &code) != 1) code = 0;
  std::fscanf(f, "%*[^\n]\n");
  std::string text;
  char buffer[1024];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, got);
  std::fclose(f);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
  return code;
}

}  // namespace

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
  if (FILE* f = _wfopen(L"C:\\lrhp\\calls-wide.log", L"ab")) {
    const wchar_t* wide = GetCommandLineW();
    char utf8[4096];
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (n > 0) std::fprintf(f, "%s\n", utf8);
    std::fclose(f);
  }
  if (lock) {
    ReleaseMutex(lock);
    CloseHandle(lock);
  }
  return Answer();
}
