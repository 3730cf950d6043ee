// The master-machine side of switching Fast Startup and hibernation off: a DWORD under
// HKEY_LOCAL_MACHINE, and a program of the system folder run hidden and waited for, its
// output read through a pipe (console output is in the OEM code page, shown in GBK).
#include <algorithm>

#include "package/win32/package_target.h"
#include "package/win32/win_file.h"
#include "package/win32/write_faults.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr unsigned kProgramTimeout = 30000;
constexpr size_t kOutputKept = 1000;

void Drain(HANDLE pipe, std::string& out) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[1024];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) return;
    out.append(buffer, std::min<size_t>(got, kOutputKept - std::min(out.size(), kOutputKept)));
  }
}

std::string OemText(const std::string& oem) {
  std::wstring wide(oem.size(), L'\0');
  const int n = MultiByteToWideChar(CP_OEMCP, 0, oem.data(), static_cast<int>(oem.size()),
                                    wide.data(), static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n : 0);
  std::replace(wide.begin(), wide.end(), L'\r', L' ');
  std::replace(wide.begin(), wide.end(), L'\n', L' ');
  while (!wide.empty() && wide.back() == L' ') wide.pop_back();
  return ui::Gbk(wide);
}

}  // namespace

bool WinPackageTarget::SetMachineDword(const std::string& key, const std::string& name,
                                       std::uint32_t value, std::string& reason) {
  HKEY opened = nullptr;
  LSTATUS status =
      WritePointRefused("registry open")
          ? ERROR_ACCESS_DENIED
          : RegCreateKeyExW(HKEY_LOCAL_MACHINE, ui::Wide(key).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status == ERROR_SUCCESS) {
    const DWORD data = value;
    status = WritePointRefused("registry set")
                 ? ERROR_ACCESS_DENIED
                 : RegSetValueExW(opened, ui::Wide(name).c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(opened);
  }
  if (status == ERROR_SUCCESS) return true;
  reason = SystemErrorText(static_cast<DWORD>(status));
  return false;
}

ProgramRun WinPackageTarget::RunSystemProgram(const std::string& program,
                                              const std::string& arguments) {
  wchar_t folder[MAX_PATH] = L"";
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  std::wstring path = std::wstring(n > 0 && n < MAX_PATH ? folder : L"C:\\Windows\\System32") +
                      L"\\" + ui::Wide(program);
  if (path.find(L' ') != std::wstring::npos) path = L'"' + path + L'"';
  std::wstring line = path + L" " + ui::Wide(arguments);
  ProgramRun run;
  run.command = ui::Gbk(line);
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherited, 0)) {
    run.output = SystemErrorText(GetLastError());
    return run;
  }
  FileHandle output(read), output_end(write);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = write;
  startup.hStdError = write;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process)) {
    run.output = SystemErrorText(GetLastError());
    return run;
  }
  run.started = true;
  CloseHandle(process.hThread);
  FileHandle running(process.hProcess);
  output_end.Reset();  // only the program holds the writing end now
  std::string printed;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kProgramTimeout) {
    Drain(read, printed);
    if (WaitForSingleObject(process.hProcess, 50) != WAIT_OBJECT_0) continue;
    Drain(read, printed);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.ended = true;
    run.exit_code = code;
    break;
  }
  run.output = OemText(printed);
  return run;
}

}  // namespace lr
