#include "clientprep/win32/win_client_machine.h"

#include <algorithm>
#include <vector>

#include "base/format.h"
#include "clientprep/apply_sequence.h"
#include "clientprep/run_log.h"
#include "clientprep/win32/adapter_addresses.h"
#include "clientprep/win32/adapter_dns.h"
#include "clientprep/win32/get_own_mac_text.h"
#include "clientprep/win32/session_launch.h"
#include "package/client_service.h"
#include "package/client_settings.h"
#include "package/win32/adapters.h"
#include "package/win32/win_file.h"
#include "package/win32/write_faults.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace lr::clientprep {

WinClientMachine::~WinClientMachine() {
  CloseKey();
}

namespace {

// The most of a command's output a message shows.
constexpr size_t kOutputShown = 2000;

// Moves what the pipe holds now into `out` (kept to kOutputShown bytes) without waiting.
void DrainPipe(HANDLE pipe, std::string& out) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) return;
    out.append(buffer, std::min<size_t>(got, kOutputShown - std::min(out.size(), kOutputShown)));
  }
}

// Console output is in the OEM code page (936 on Chinese systems); shown in GBK, trailing
// line ends dropped.
std::string OemToGbk(const std::string& oem) {
  std::wstring wide(oem.size(), L'\0');
  const int n = MultiByteToWideChar(CP_OEMCP, 0, oem.data(), static_cast<int>(oem.size()),
                                    wide.data(), static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n : 0);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' '))
    wide.pop_back();
  return ui::Gbk(wide);
}

// Waits up to `timeout_ms` for `process` to end, reading what it prints from `output`, or
// until `stop` (when given) is signalled.
CommandResult WaitFor(HANDLE process, HANDLE output, unsigned timeout_ms, HANDLE stop) {
  CommandResult result;
  result.outcome = CommandResult::Outcome::kTimedOut;
  std::string printed;
  const DWORD start = GetTickCount();
  for (;;) {
    DrainPipe(output, printed);
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
      DrainPipe(output, printed);
      DWORD code = 0;
      GetExitCodeProcess(process, &code);
      result.outcome = CommandResult::Outcome::kExited;
      result.exit_code = code;
      break;
    }
    // A command that did not end is left running: stopping netsh half way could leave the
    // adapter worse off than either setting.
    if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
      result.outcome = CommandResult::Outcome::kStopped;
      break;
    }
    if (GetTickCount() - start >= timeout_ms) break;
  }
  result.output = OemToGbk(printed);
  return result;
}

}  // namespace

// Read with the file functions directly: the C++ path and stream machinery would make the
// program four times as large.
std::optional<std::string> WinClientMachine::ReadSettingsFile() {
  if (!settings_input_) return ReadFileBytes(ui::Wide(settings_path_));
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(settings_input_, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

bool WinClientMachine::WriteSettingsFile(const std::string& bytes) {
  const std::wstring path = ui::Wide(settings_path_);
  return ReplaceFileBytes(path, path + L".new~", bytes, nullptr);
}

std::string WinClientMachine::OwnMacText() {
  return GetOwnMacText();
}

std::vector<Adapter> WinClientMachine::Adapters() {
  std::vector<Adapter> adapters;
  for (const NetAdapter& a : ListNetAdapters()) {
    adapters.push_back(
        {a.mac, a.connection, std::u16string(a.wide_connection.begin(), a.wide_connection.end())});
  }
  return adapters;
}

bool WinClientMachine::HasAdminRights() {
  HKEY key = nullptr;
  if (write_faults::Fail("registry open") ||
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM", 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key) !=
          ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// The NetBIOS name, and the DNS host name Windows keeps beside it, so the two agree.
void WinClientMachine::ApplyComputerName(const std::string& name) {
  const std::wstring wide = ui::Wide(name);
  SetComputerNameW(wide.c_str());
  SetComputerNameExW(ComputerNamePhysicalDnsHostname, wide.c_str());
}

bool WinClientMachine::OpenKey(const std::string& path) {
  CloseKey();
  HKEY key = nullptr;
  if (write_faults::Fail("registry open") ||
      RegCreateKeyExW(root_, ui::Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  key_ = key;
  return true;
}

bool WinClientMachine::SetString(const std::string& name, const std::string& data) {
  if (!key_ || write_faults::Fail("registry set")) return false;
  const std::wstring wide = ui::Wide(data);
  const DWORD size = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key_, ui::Wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()), size) == ERROR_SUCCESS;
}

bool WinClientMachine::SetDword(const std::string& name, std::uint32_t data) {
  if (!key_ || write_faults::Fail("registry set")) return false;
  const DWORD value = data;
  return RegSetValueExW(key_, ui::Wide(name).c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool WinClientMachine::ValueExists(const std::string& name) {
  return key_ && RegQueryValueExW(key_, ui::Wide(name).c_str(), nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS;
}

bool WinClientMachine::DeleteValue(const std::string& name) {
  return key_ && !write_faults::Fail("registry delete") &&
         RegDeleteValueW(key_, ui::Wide(name).c_str()) == ERROR_SUCCESS;
}

void WinClientMachine::CloseKey() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

std::uint64_t WinClientMachine::RandomSeed() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter) && counter.QuadPart != 0)
    return static_cast<std::uint64_t>(counter.QuadPart);
  return GetTickCount();
}

bool WinClientMachine::StartCommand(const std::string& command_line, bool shown) {
  std::wstring command = ui::Wide(command_line);  // CreateProcessW may write into it
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = shown ? SW_SHOW : SW_HIDE;
  PROCESS_INFORMATION process = {};
  // The session part runs as the system account: the program is the user's, as at a logon,
  // and never runs with this process's token. A program that isn't there can't be started by
  // anyone: that is not examined, as for every start.
  DWORD error = ERROR_SUCCESS;
  if (settings_input_)
    error = StartAsSessionUser(command, startup, process, UserShellName());
  else if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process))
    error = GetLastError();
  if (error == ERROR_SUCCESS) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return !settings_input_ || error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND ||
         error == ERROR_PATH_NOT_FOUND;
}

CommandResult WinClientMachine::RunCommand(const CommandLine& command, unsigned timeout_ms) {
  std::wstring line = ui::Wide(command.head) +
                      std::wstring(command.connection.begin(), command.connection.end()) +
                      ui::Wide(command.tail);
  CommandResult result;
  result.outcome = CommandResult::Outcome::kNotStarted;
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherited, 0)) return result;
  FileHandle output(read), output_end(write);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  FileHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input.get();
  startup.hStdOutput = write;
  startup.hStdError = write;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return result;
  }
  CloseHandle(process.hThread);
  FileHandle running(process.hProcess);
  output_end.Reset();  // only the command holds the writing end now
  return WaitFor(process.hProcess, read, timeout_ms, service_stop_);
}

bool WinClientMachine::Pause(unsigned milliseconds) {
  if (!service_stop_) {
    Sleep(milliseconds);
    return true;
  }
  return WaitForSingleObject(service_stop_, milliseconds) == WAIT_TIMEOUT;
}

void WinClientMachine::ShowError(const std::string& text) {
  if (!service_stop_ && !settings_input_) ui::ShowMessage("Hostprep", text, MB_OK | MB_ICONERROR);
}

std::string WinClientMachine::SystemFolder() {
  wchar_t folder[MAX_PATH] = L"";
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  return ui::Gbk(n > 0 && n < MAX_PATH ? folder : L"C:\\WINDOWS\\system32");
}

bool WinClientMachine::AddressInPlace(const Adapter& adapter, const std::string& ip,
                                      const std::string& mask, const std::string& gateway) {
  return AdapterHoldsAddress(adapter.mac, ip, mask, gateway);
}

namespace {

// The service's own registry key, where the mark of the boot steps is kept.
std::wstring ServiceKey() {
  return std::wstring(reinterpret_cast<const wchar_t*>(kServicesKeyPath)) +
         reinterpret_cast<const wchar_t*>(kServiceWideName);
}
const wchar_t* const kBootStepsMark = reinterpret_cast<const wchar_t*>(kBootStepsValue);

bool QueryValue(HKEY root, const std::wstring& key, const wchar_t* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  const bool found = !value || RegQueryValueExW(opened, value, nullptr, nullptr, nullptr,
                                                nullptr) == ERROR_SUCCESS;
  RegCloseKey(opened);
  return found;
}

}  // namespace

bool WinClientMachine::RunValueExists() {
  return QueryValue(root_, ui::Wide(kRunKey), ui::Wide(kRunValue).c_str());
}

bool WinClientMachine::ServiceRegistered() {
  return QueryValue(root_, ServiceKey(), nullptr);
}

bool WinClientMachine::BootStepsMarked() {
  return QueryValue(root_, ServiceKey(), kBootStepsMark);
}

// Only in the service's existing key: the mark goes when the service goes.
bool WinClientMachine::MarkBootSteps() {
  HKEY key = nullptr;
  if (write_faults::Fail("registry open") ||
      RegOpenKeyExW(root_, ServiceKey().c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const DWORD one = 1;
  const bool set = !write_faults::Fail("registry set") &&
                   RegSetValueExW(key, kBootStepsMark, 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&one), sizeof one) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

bool WinClientMachine::RemoveService() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return false;
  SC_HANDLE service =
      OpenServiceW(manager, reinterpret_cast<const wchar_t*>(kServiceWideName), DELETE);
  const DWORD error = service ? ERROR_SUCCESS : GetLastError();
  const bool removed =
      service ? DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE
              : error == ERROR_SERVICE_DOES_NOT_EXIST;
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return removed;
}

bool WinClientMachine::TakeWorkLock(std::string& trouble) {
  lock_ = std::make_unique<WorkLock>();
  if (lock_->error() != ERROR_SUCCESS)
    trouble = StrFormat("工作锁无法创建或打开（错误 %lu），按另一次启动正在运行处理",
                        static_cast<unsigned long>(lock_->error()));
  return lock_->taken();
}

bool WinClientMachine::WaitForUserSession() {
  return WaitForLoggedOnUser(UserShellName(), service_stop_, user_session_);
}

int WinClientMachine::RunSessionPart(const std::string& settings) {
  wchar_t program[MAX_PATH] = L"";
  const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return kSessionNotStarted;
  return RunInUserSession(program, settings, user_session_, service_stop_);
}

bool WinClientMachine::WaitForUserShell() {
  return WaitForShellOnInputDesktop(UserShellName());
}

LocalTime WinClientMachine::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Appended while the log stays under its limit; past it, rewritten with its oldest lines cut.
void WinClientMachine::AppendRunLog(const std::string& line) {
  const std::wstring path = ui::Wide(log_path_);
  const std::string old = ReadFileBytes(path).value_or("");
  const std::string log = WithRunLogLine(old, line);
  if (log.size() == old.size() + line.size() && log.compare(0, old.size(), old) == 0)
    AppendFileBytes(path, old.size(), line, nullptr);
  else
    ReplaceFileBytes(path, path + L".new~", log, nullptr);
}

// The active NetBIOS name: the one the machine booted with, which the rename changes only
// at the next start.
std::string WinClientMachine::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? ui::Gbk(std::wstring(name, size)) : std::string();
}

namespace {

// The 64-bit view also for a 32-bit program on 64-bit Windows; 32-bit Windows ignores it.
constexpr REGSAM kNativeView = 0x0100;  // KEY_WOW64_64KEY

}  // namespace

std::optional<std::string> WinClientMachine::ReadNativeString(const std::string& key,
                                                              const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root_, ui::Wide(key).c_str(), 0, KEY_QUERY_VALUE | kNativeView, &opened) !=
      ERROR_SUCCESS)
    return std::nullopt;
  const std::wstring value = ui::Wide(name);
  DWORD type = 0, size = 0;
  std::optional<std::string> text;
  if (RegQueryValueExW(opened, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(opened, value.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
      data.resize(std::min<size_t>(size / sizeof(wchar_t), data.size()));
      while (!data.empty() && data.back() == L'\0') data.pop_back();
      text = ui::Gbk(data);
    }
  }
  RegCloseKey(opened);
  return text;
}

bool WinClientMachine::WriteNativeString(const std::string& key, const std::string& name,
                                         const std::string& data) {
  HKEY opened = nullptr;
  if (write_faults::Fail("registry open") ||
      RegOpenKeyExW(root_, ui::Wide(key).c_str(), 0, KEY_SET_VALUE | kNativeView, &opened) !=
          ERROR_SUCCESS)
    return false;
  const std::wstring wide = ui::Wide(data);
  const bool set =
      !write_faults::Fail("registry set") &&
      RegSetValueExW(opened, ui::Wide(name).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(wide.c_str()),
                     static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(opened);
  return set;
}

std::vector<std::string> WinClientMachine::DnsServers(const Adapter& adapter) {
  return AdapterDnsServers(adapter.mac);
}

}  // namespace lr::clientprep
