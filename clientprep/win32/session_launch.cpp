#include "clientprep/win32/session_launch.h"

#include <tlhelp32.h>

#include <cwchar>
#include <vector>

#include "clientprep/apply_sequence.h"
#include "clientprep/user_shell.h"
#include "package/win32/win_file.h"
#include "ui/system_library.h"

namespace lr::clientprep {

namespace {

using QueryUserTokenFn = BOOL(WINAPI*)(ULONG session, HANDLE* token);
using CreateEnvironmentFn = BOOL(WINAPI*)(void** environment, HANDLE token, BOOL inherit);
using DestroyEnvironmentFn = BOOL(WINAPI*)(void* environment);

constexpr DWORD kNoSession = 0xFFFFFFFF;
constexpr DWORD kLookInterval = 1000;
constexpr DWORD kOtherShellAfter = 60000;
constexpr DWORD kDesktopLook = 500;
// winerror.h of Vista; the XP headers lack it.
constexpr DWORD kElevationRequired = 740;

const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

DWORD OwnSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

struct ShellProcess {
  DWORD id, session;
};

// The processes named `shell`, each with its session, in the order of the process list.
std::vector<ShellProcess> ShellProcesses(const std::wstring& shell) {
  std::vector<ShellProcess> found;
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    DWORD session = 0;
    if (_wcsicmp(entry.szExeFile, shell.c_str()) == 0 &&
        ProcessIdToSessionId(entry.th32ProcessID, &session))
      found.push_back({entry.th32ProcessID, session});
  }
  return found;
}

bool ShellRunsIn(const std::wstring& shell, DWORD session) {
  for (const ShellProcess& p : ShellProcesses(shell))
    if (p.session == session) return true;
  return false;
}

// A primary token of the first process named `shell` in `session`, or nullptr.
HANDLE ShellToken(const std::wstring& shell, DWORD session) {
  for (const ShellProcess& p : ShellProcesses(shell)) {
    if (p.session != session) continue;
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, p.id);
    HANDLE token = nullptr, primary = nullptr;
    const bool opened =
        process &&
        OpenProcessToken(process, TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &token);
    if (process) CloseHandle(process);
    if (!opened) continue;
    const bool duplicated = DuplicateTokenEx(token, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                                             TokenPrimary, &primary);
    CloseHandle(token);
    if (duplicated) return primary;
  }
  return nullptr;
}

// The user's token of `session`: the WTS functions' where they answer, else the shell's.
HANDLE UserToken(DWORD session, const std::wstring& shell) {
  const SystemLibrary wtsapi32(L"wtsapi32.dll");
  const auto query = wtsapi32.Get<QueryUserTokenFn>("WTSQueryUserToken");
  HANDLE token = nullptr;
  if (query && query(session, &token)) return token;
  return ShellToken(shell, session);
}

// The session whose shell the session part belongs in: the console's, else another user's
// (never the service's own, where no user sits after Windows XP).
bool FindShellSession(const std::wstring& shell, DWORD& session) {
  const std::vector<ShellProcess> shells = ShellProcesses(shell);
  const DWORD console = WTSGetActiveConsoleSessionId(), own = OwnSession();
  for (const bool console_only : {true, false}) {
    for (const ShellProcess& p : shells) {
      if (console_only ? p.session == console : p.session != own) {
        session = p.session;
        return true;
      }
    }
  }
  return false;
}

bool InputDesktopIsTheUsers() {
  HDESK desktop = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  if (!desktop) return false;
  wchar_t name[64] = L"";
  DWORD needed = 0;
  const bool user = GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - 2, &needed) &&
                    _wcsicmp(name, L"Default") == 0;
  CloseDesktop(desktop);
  return user;
}

// Starts `command` with `token` on winsta0\default with the token's user's environment.
DWORD StartWithToken(HANDLE token, std::wstring& command, STARTUPINFOW& startup,
                     PROCESS_INFORMATION& process) {
  const SystemLibrary userenv(L"userenv.dll");
  const auto create = userenv.Get<CreateEnvironmentFn>("CreateEnvironmentBlock");
  const auto destroy = userenv.Get<DestroyEnvironmentFn>("DestroyEnvironmentBlock");
  void* environment = nullptr;
  if (create && destroy && !create(&environment, token, FALSE)) environment = nullptr;
  wchar_t desktop[] = L"winsta0\\default";
  startup.lpDesktop = desktop;
  const bool started = CreateProcessAsUserW(token, nullptr, command.data(), nullptr, nullptr, FALSE,
                                            environment ? CREATE_UNICODE_ENVIRONMENT : 0,
                                            environment, nullptr, &startup, &process) != FALSE;
  const DWORD error = started ? ERROR_SUCCESS : GetLastError();
  startup.lpDesktop = nullptr;
  if (environment) destroy(environment);
  return error;
}

// The full token linked to an administrator's filtered one, or nullptr (a standard user, a
// system without user account control).
HANDLE LinkedFullToken(HANDLE token) {
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) ||
      type != TokenElevationTypeLimited)
    return nullptr;
  TOKEN_LINKED_TOKEN linked = {};
  if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size)) return nullptr;
  return linked.LinkedToken;
}

}  // namespace

std::wstring UserShellName() {
  HKEY key = nullptr;
  wchar_t value[512] = L"";
  DWORD size = sizeof value - sizeof(wchar_t), type = 0;
  // The 64-bit view on a 64-bit system, where Winlogon reads it; ignored by 32-bit systems.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kWinlogonKey), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    &key) == ERROR_SUCCESS) {
    if (RegQueryValueExW(key, Wide(kWinlogonShellValue), nullptr, &type,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      value[0] = L'\0';
    RegCloseKey(key);
  }
  const std::u16string name = ShellProgramName(reinterpret_cast<const char16_t*>(value));
  return std::wstring(name.begin(), name.end());
}

bool WaitForLoggedOnUser(const std::wstring& shell, HANDLE stop, DWORD& session) {
  const SystemLibrary wtsapi32(L"wtsapi32.dll");
  const auto query = wtsapi32.Get<QueryUserTokenFn>("WTSQueryUserToken");
  for (DWORD user_seen = 0;;) {
    if (FindShellSession(shell, session)) return true;
    // A console user whose shell goes by another name (set for that user alone).
    const DWORD console = WTSGetActiveConsoleSessionId();
    HANDLE token = nullptr;
    if (console != kNoSession && query && query(console, &token)) {
      CloseHandle(token);
      user_seen += kLookInterval;
      if (user_seen >= kOtherShellAfter) {
        session = console;
        return true;
      }
    } else {
      user_seen = 0;
    }
    if (WaitForSingleObject(stop, kLookInterval) == WAIT_OBJECT_0) return false;
  }
}

int RunInUserSession(const std::wstring& program, const std::string& input, DWORD session,
                     HANDLE stop) {
  HANDLE own = nullptr, token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own))
    return kSessionNotStarted;
  FileHandle own_token(own);
  if (!DuplicateTokenEx(own, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &token))
    return kSessionNotStarted;
  FileHandle session_token(token);
  if (!SetTokenInformation(token, TokenSessionId, &session, sizeof session))
    return kSessionNotStarted;

  // A pipe that holds the whole input, so writing it never waits for the reader.
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherited, static_cast<DWORD>(input.size() + 4096)))
    return kSessionNotStarted;
  FileHandle read_end(read), write_end(write);
  // An inherited write end would keep the child's input open: it would wait for ever.
  if (!SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0)) return kSessionNotStarted;

  std::wstring line = L"\"" + program + L"\" " + kSessionPartSwitch;
  wchar_t desktop[] = L"winsta0\\default";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = read;
  startup.hStdOutput = nullptr;
  startup.hStdError = nullptr;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessAsUserW(token, program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process))
    return kSessionNotStarted;
  CloseHandle(process.hThread);
  FileHandle child(process.hProcess);
  read_end.Reset();
  DWORD written = 0;
  const bool whole =
      WriteFile(write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr) &&
      written == input.size();
  write_end.Reset();  // the end of the input
  // Settings cut short must not run as if they were all.
  if (!whole) {
    TerminateProcess(process.hProcess, static_cast<UINT>(kSessionNotStarted));
    return kSessionNotStarted;
  }

  const HANDLE waits[] = {process.hProcess, stop};
  const DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, kSessionPartLimit);
  DWORD code = 0;
  if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code))
    return static_cast<int>(code);
  // Nothing of it may go on once the service is gone: it would do its steps again at the
  // next boot.
  TerminateProcess(process.hProcess, static_cast<UINT>(kSessionNotStarted));
  return waited == WAIT_OBJECT_0 + 1 ? kStopped : kSessionNotStarted;
}

bool WaitForShellOnInputDesktop(const std::wstring& shell) {
  const DWORD own = OwnSession();
  for (DWORD waited = 0;; waited += kDesktopLook) {
    const bool desktop = InputDesktopIsTheUsers();
    if (desktop && (waited >= kShellWait || ShellRunsIn(shell, own))) return true;
    if (waited >= kShellWait) return false;
    Sleep(kDesktopLook);
  }
}

DWORD StartAsSessionUser(std::wstring& command, STARTUPINFOW& startup, PROCESS_INFORMATION& process,
                         const std::wstring& shell) {
  FileHandle user(UserToken(OwnSession(), shell));
  if (!user.get()) return ERROR_NO_TOKEN;
  const DWORD error = StartWithToken(user.get(), command, startup, process);
  if (error != kElevationRequired) return error;
  FileHandle full(LinkedFullToken(user.get()));
  return full.get() ? StartWithToken(full.get(), command, startup, process) : error;
}

}  // namespace lr::clientprep
