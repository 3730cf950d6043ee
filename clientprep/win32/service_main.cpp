#include "clientprep/win32/service_main.h"

#include <cwchar>
#include <string>

#include "clientprep/apply_sequence.h"
#include "clientprep/win32/win_client_machine.h"
#include "package/client_service.h"

namespace lr::clientprep {

namespace {

constexpr const wchar_t* kLockName = L"Global\\Lanroster.Hostprep";

// How long the manager is told a stop may take: every wait of the service ends within about
// a second of it, then the log line is written.
constexpr DWORD kStopWaitHint = 3000;

SERVICE_STATUS_HANDLE g_status_handle = nullptr;
HANDLE g_stop = nullptr;
int g_exit_code = 0;
// The control handler's thread and the service's own report; once stopped, nothing more.
CRITICAL_SECTION g_report_lock;
DWORD g_state = SERVICE_START_PENDING;
DWORD g_checkpoint = 0;

const wchar_t* ServiceName() {
  return reinterpret_cast<const wchar_t*>(kServiceWideName);
}

void Report(DWORD state, DWORD exit_code = 0) {
  EnterCriticalSection(&g_report_lock);
  if (g_state != SERVICE_STOPPED) {
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    if (state == SERVICE_STOP_PENDING) {
      status.dwCheckPoint = ++g_checkpoint;
      status.dwWaitHint = kStopWaitHint;
    }
    if (exit_code != 0) {
      status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
      status.dwServiceSpecificExitCode = exit_code;
    }
    SetServiceStatus(g_status_handle, &status);
    g_state = state;
  }
  LeaveCriticalSection(&g_report_lock);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(g_stop);
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  InitializeCriticalSection(&g_report_lock);
  g_status_handle = RegisterServiceCtrlHandlerExW(ServiceName(), Control, nullptr);
  if (!g_status_handle) return;
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Report(SERVICE_RUNNING);
  {
    WinClientMachine machine;
    machine.SetServiceMode(g_stop);
    g_exit_code = RunBootService(machine);
  }
  // Told to stop: the run ended at its current wait and wrote its line; a stop is no error.
  const bool stopping = WaitForSingleObject(g_stop, 0) == WAIT_OBJECT_0;
  if (stopping) Report(SERVICE_STOP_PENDING);
  Report(SERVICE_STOPPED, stopping || g_exit_code == kStopped ? 0 : g_exit_code);
}

bool InteractiveStart() {
  wchar_t name[64] = L"";
  DWORD needed = 0;
  return GetUserObjectInformationW(GetProcessWindowStation(), UOI_NAME, name, sizeof name - 2,
                                   &needed) &&
         _wcsicmp(name, L"WinSta0") == 0;
}

}  // namespace

bool RunAsServiceWhenStarted(int& exit_code) {
  if (InteractiveStart()) return false;
  std::wstring name = ServiceName();
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherW(table)) return false;
  exit_code = g_exit_code;
  return true;
}

WorkLock::WorkLock() {
  // Open to every account, so a start by any user sees it held.
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  mutex_ = CreateMutexW(&attributes, FALSE, kLockName);
  const DWORD error = GetLastError();
  // Any failure reads as held: an event of the same name (ERROR_INVALID_HANDLE) or a mutex
  // this account may not open must not let two starts work at once.
  if (!mutex_) error_ = error == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : error;
  taken_ = mutex_ && error != ERROR_ALREADY_EXISTS;
}

WorkLock::~WorkLock() {
  if (mutex_) CloseHandle(mutex_);
}

}  // namespace lr::clientprep
