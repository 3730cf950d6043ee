#include "clientprep/win32/service_main.h"

#include <cwchar>
#include <string>

#include "clientprep/apply_sequence.h"
#include "clientprep/win32/win_client_machine.h"
#include "package/client_service.h"

namespace lr::clientprep {

namespace {

constexpr const wchar_t* kLockName = L"Global\\Lanroster.Hostprep";

SERVICE_STATUS_HANDLE g_status_handle = nullptr;
HANDLE g_stop = nullptr;
int g_exit_code = 0;

const wchar_t* ServiceName() {
  return reinterpret_cast<const wchar_t*>(kServiceWideName);
}

void Report(DWORD state, DWORD exit_code) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  if (exit_code != 0) {
    status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = exit_code;
  }
  SetServiceStatus(g_status_handle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Report(SERVICE_STOP_PENDING, 0);
    SetEvent(g_stop);
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  g_status_handle = RegisterServiceCtrlHandlerExW(ServiceName(), Control, nullptr);
  if (!g_status_handle) return;
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Report(SERVICE_RUNNING, 0);
  {
    WorkLock lock;
    WinClientMachine machine;
    machine.SetServiceMode(g_stop);
    g_exit_code = lock.held_elsewhere() ? ReportOtherStart(machine) : RunBootService(machine);
  }
  Report(SERVICE_STOPPED, static_cast<DWORD>(g_exit_code));
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
  held_elsewhere_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

WorkLock::~WorkLock() {
  if (mutex_) CloseHandle(mutex_);
}

}  // namespace lr::clientprep
