#include "package/win32/client_removal.h"

#include <algorithm>

#include "ui/message_box.h"
#include "ui/window.h"

namespace lr {

namespace {

constexpr DWORD kStopWaitMs = 10000;
constexpr DWORD kStopPollMs = 200;

RemovalStep Removed() {
  return {RemovalStep::State::kRemoved, {}};
}
RemovalStep Absent() {
  return {RemovalStep::State::kAbsent, {}};
}
RemovalStep Failed(DWORD error) {
  return {RemovalStep::State::kFailed, SystemErrorText(error)};
}

RemovalStep DeleteOneFile(const std::wstring& path) {
  if (!WritePointRefused("file delete") && DeleteFileW(path.c_str())) return Removed();
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Absent();
  return Failed(error);
}

// Asks a running service to stop and waits a bounded time for it, and then for its process:
// a service reports itself stopped a moment before its program ends, and until then its
// executable can't be deleted. False when the service or its program still runs.
bool StopService(SC_HANDLE service) {
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  const auto query = [&] {
    return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof status, &needed) != FALSE;
  };
  if (!query() || status.dwCurrentState == SERVICE_STOPPED) return true;
  const HANDLE process =
      status.dwProcessId ? OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId) : nullptr;
  SERVICE_STATUS control{};
  ControlService(service, SERVICE_CONTROL_STOP, &control);
  DWORD waited = 0;
  bool stopped = false;
  for (; waited < kStopWaitMs; waited += kStopPollMs) {
    if (!query() || status.dwCurrentState == SERVICE_STOPPED) {
      stopped = true;
      break;
    }
    Sleep(kStopPollMs);
  }
  if (!process) return stopped;
  const DWORD ended = WaitForSingleObject(process, kStopWaitMs - std::min(waited, kStopWaitMs));
  CloseHandle(process);
  return ended == WAIT_OBJECT_0;
}

}  // namespace

bool WinClientRemovalTarget::Confirm(const std::string& caption, const std::string& text) {
  return ui::ShowMessage(caption, text, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}

RemovalStep WinClientRemovalTarget::RemoveService() {
  ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!scm) return Failed(GetLastError());
  ScHandle service(OpenServiceW(scm.get(), paths_.service_name.c_str(),
                                DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS));
  if (!service) {
    const DWORD error = GetLastError();
    return error == ERROR_SERVICE_DOES_NOT_EXIST ? Absent() : Failed(error);
  }
  const bool stopped = StopService(service.get());
  RemovalStep step = Removed();
  if (WritePointRefused("service delete") || !DeleteService(service.get())) {
    const DWORD error = GetLastError();
    if (error != ERROR_SERVICE_MARKED_FOR_DELETE) step = Failed(error);
  }
  step.still_running = !stopped;
  return step;
}

RemovalStep WinClientRemovalTarget::RemoveRunValue(const std::string& name) {
  HKEY key = nullptr;
  LSTATUS status =
      WritePointRefused("registry open")
          ? ERROR_ACCESS_DENIED
          : RegOpenKeyExW(paths_.run_root, paths_.run_key.c_str(), 0, KEY_SET_VALUE, &key);
  if (status == ERROR_SUCCESS) {
    status = WritePointRefused("registry delete") ? ERROR_ACCESS_DENIED
                                                  : RegDeleteValueW(key, ui::Wide(name).c_str());
    RegCloseKey(key);
  }
  if (status == ERROR_SUCCESS) return Removed();
  return status == ERROR_FILE_NOT_FOUND ? Absent() : Failed(static_cast<DWORD>(status));
}

RemovalStep WinClientRemovalTarget::RemoveHostprep() {
  return DeleteOneFile(paths_.hostprep);
}

RemovalStep WinClientRemovalTarget::RemoveSettingsFile() {
  // A new settings file a generation cut off by a crash left beside it goes too.
  DeleteFileW((paths_.settings_write + kNewSettingsSuffix).c_str());
  return DeleteOneFile(paths_.settings_write);
}

void WinClientRemovalTarget::ShowMessage(const std::string& caption, const std::string& text,
                                         MessageKind kind) {
  ShowPackageMessage(caption, text, kind);
}

void WinClientRemovalTarget::ShowError(const std::string& text) {
  ui::ShowErrorBox(text);
}

}  // namespace lr
