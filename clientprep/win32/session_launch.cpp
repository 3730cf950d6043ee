#include "clientprep/win32/session_launch.h"

#include "clientprep/apply_sequence.h"
#include "package/win32/win_file.h"
#include "ui/system_library.h"

namespace lr::clientprep {

namespace {

using QueryUserTokenFn = BOOL(WINAPI*)(ULONG session, HANDLE* token);
using CreateEnvironmentFn = BOOL(WINAPI*)(void** environment, HANDLE token, BOOL inherit);
using DestroyEnvironmentFn = BOOL(WINAPI*)(void* environment);

constexpr DWORD kNoSession = 0xFFFFFFFF;
constexpr DWORD kLookInterval = 2000;
constexpr DWORD kGiveUpAfterMs = 30000;

}  // namespace

bool WaitForLoggedOnUser(HANDLE stop) {
  const SystemLibrary wtsapi32(L"wtsapi32.dll");
  const auto query = wtsapi32.Get<QueryUserTokenFn>("WTSQueryUserToken");
  if (!query) return false;
  for (DWORD refused = 0; refused < kGiveUpAfterMs;) {
    const DWORD session = WTSGetActiveConsoleSessionId();
    HANDLE token = nullptr;
    if (session != kNoSession && query(session, &token)) {
      CloseHandle(token);
      return true;
    }
    // Nobody at the console yet, or the console between two sessions; any other answer
    // (an XP whose terminal services are switched off) for long is no answer at all.
    const DWORD error = GetLastError();
    const bool not_yet = session == kNoSession || error == ERROR_NO_TOKEN ||
                         error == ERROR_CTX_WINSTATION_NOT_FOUND || error == ERROR_FILE_NOT_FOUND;
    refused = not_yet ? 0 : refused + kLookInterval;
    if (WaitForSingleObject(stop, kLookInterval) == WAIT_OBJECT_0) return false;
  }
  return false;
}

std::optional<int> RunInUserSession(const std::wstring& program, const std::string& input,
                                    HANDLE stop) {
  // The console may have changed hands since the wait: no session now is no start (session 0
  // would show nothing to anyone).
  DWORD session = WTSGetActiveConsoleSessionId();
  if (session == kNoSession) return std::nullopt;
  HANDLE own = nullptr, token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own))
    return std::nullopt;
  FileHandle own_token(own);
  if (!DuplicateTokenEx(own, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &token))
    return std::nullopt;
  FileHandle session_token(token);
  if (!SetTokenInformation(token, TokenSessionId, &session, sizeof session)) return std::nullopt;

  // A pipe that holds the whole input, so writing it never waits for the reader.
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherited, static_cast<DWORD>(input.size() + 4096)))
    return std::nullopt;
  FileHandle read_end(read), write_end(write);
  // An inherited write end would keep the child's input open: it would wait for ever.
  if (!SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0)) return std::nullopt;

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
    return std::nullopt;
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
    return std::nullopt;
  }

  const HANDLE waits[] = {process.hProcess, stop};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process.hProcess, &code)) return std::nullopt;
  return static_cast<int>(code);
}

bool StartAsSessionUser(std::wstring& command, STARTUPINFOW& startup,
                        PROCESS_INFORMATION& process) {
  const SystemLibrary wtsapi32(L"wtsapi32.dll");
  const auto query = wtsapi32.Get<QueryUserTokenFn>("WTSQueryUserToken");
  DWORD session = 0;
  HANDLE token = nullptr;
  if (!query || !ProcessIdToSessionId(GetCurrentProcessId(), &session) || !query(session, &token))
    return false;
  FileHandle user_token(token);

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
  startup.lpDesktop = nullptr;
  if (environment) destroy(environment);
  return started;
}

}  // namespace lr::clientprep
