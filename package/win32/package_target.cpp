#include "package/win32/package_target.h"

#include <sddl.h>

#include <stdexcept>

#include "package/assign_wire.h"
#include "package/client_settings.h"
#include "package/profile.h"
#include "package/win32/adapters.h"
#include "package/win32/win_file.h"
#include "package/win32/write_faults.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/window.h"

namespace lr {

namespace {

// Closes a registry key when it goes out of scope.
struct RegKey {
  HKEY key = nullptr;
  ~RegKey() {
    if (key) RegCloseKey(key);
  }
};

}  // namespace

std::string SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", n);
  if (text) LocalFree(text);
  while (!message.empty() &&
         (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? "错误 " + std::to_string(error) : ui::Gbk(message);
}

bool WritePointRefused(const char* point) {
  if (!write_faults::Fail(point)) return false;
  SetLastError(ERROR_ACCESS_DENIED);
  return true;
}

void ShowPackageMessage(const std::string& caption, const std::string& text, MessageKind kind) {
  ui::ShowMessage(caption, text,
                  MB_OK | (kind == MessageKind::kWarning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

bool SaveResourceToFile(const wchar_t* type, const wchar_t* name, const std::wstring& path) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, name, type);
  if (!info) return false;
  HGLOBAL loaded = LoadResource(module, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, info);
  if (!bytes) return false;
  return ReplaceFileBytes(path, path + L".new~",
                          std::string_view(static_cast<const char*>(bytes), size), nullptr);
}

SettingsFiles::SettingsFiles() {
  attributes_.nLength = sizeof attributes_;
  attributes_.bInheritHandle = FALSE;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(kSettingsFileAccess, SDDL_REVISION_1,
                                                       &attributes_.lpSecurityDescriptor, nullptr);
}

SettingsFiles::~SettingsFiles() {
  if (attributes_.lpSecurityDescriptor) LocalFree(attributes_.lpSecurityDescriptor);
}

bool SettingsFiles::Append(const std::filesystem::path& path, std::uintmax_t old_size,
                           std::string_view bytes) {
  // Never a file anyone may read.
  return attributes_.lpSecurityDescriptor &&
         AppendFileBytes(path.wstring(), old_size, bytes, &attributes_);
}

bool SettingsFiles::Replace(const std::filesystem::path& path, const std::filesystem::path& temp,
                            std::string_view bytes) {
  return attributes_.lpSecurityDescriptor &&
         ReplaceFileBytes(path.wstring(), temp.wstring(), bytes, &attributes_);
}

WinPackageTarget::WinPackageTarget() : WinPackageTarget(Paths{}) {}

WinPackageTarget::WinPackageTarget(Paths paths)
    : paths_(std::move(paths)),
      settings_new_(paths_.settings_write + kNewSettingsSuffix),
      writer_(std::filesystem::path(settings_new_), paths_.settings_shown, &files_) {}

WinPackageTarget::~WinPackageTarget() {
  DeleteFileW(settings_new_.c_str());
}

void WinPackageTarget::StartSettingsFile() {
  const std::string failure = "Unable to delete " + ui::Gbk(settings_new_);
  if (write_faults::Fail("file delete")) throw std::runtime_error(failure);
  if (DeleteFileW(settings_new_.c_str())) return;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
  throw std::runtime_error(failure);
}

void WinPackageTarget::PlaceSettingsFile() {
  if (!WritePointRefused("file move") &&
      MoveFileExW(settings_new_.c_str(), paths_.settings_write.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return;
  const std::string reason = SystemErrorText(GetLastError());
  DeleteFileW(settings_new_.c_str());
  throw std::runtime_error("Unable to write to " + paths_.settings_shown + "：" + reason);
}

bool WinPackageTarget::WithdrawStarts(std::string& reason) {
  auto fail = [&reason](DWORD error) {
    reason = SystemErrorText(error);
    return false;
  };
  {
    ScHandle scm(WritePointRefused("service manager open")
                     ? nullptr
                     : OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!scm) return fail(GetLastError());
    ScHandle service(OpenServiceW(scm.get(), paths_.service_name.c_str(), SERVICE_CHANGE_CONFIG));
    if (!service && GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) return fail(GetLastError());
    if (service &&
        (WritePointRefused("service disable") ||
         !ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DISABLED,
                               SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr)) &&
        GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
      return fail(GetLastError());
  }
  RegKey key;
  LSTATUS status =
      WritePointRefused("registry open")
          ? ERROR_ACCESS_DENIED
          : RegOpenKeyExW(paths_.run_root, paths_.run_key.c_str(), 0, KEY_SET_VALUE, &key.key);
  if (status == ERROR_SUCCESS)
    status = WritePointRefused("registry delete")
                 ? ERROR_ACCESS_DENIED
                 : RegDeleteValueW(key.key, ui::Wide(kRunValueName).c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  return fail(static_cast<DWORD>(status));
}

void WinPackageTarget::WriteSetting(const std::string& section, const std::string& key,
                                    const std::string& value) {
  writer_.Write(section, key, value);
}

bool WinPackageTarget::SetRunValue(const std::string& name, const std::string& command) {
  RegKey key;
  if (write_faults::Fail("registry open") ||
      RegCreateKeyExW(paths_.run_root, paths_.run_key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key.key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring data = ui::Wide(command);
  return !write_faults::Fail("registry set") &&
         RegSetValueExW(key.key, ui::Wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WinPackageTarget::InstallService(std::string& reason) {
  auto fail = [&reason] {
    reason = SystemErrorText(GetLastError());
    return false;
  };
  ScHandle scm(
      WritePointRefused("service manager open")
          ? nullptr
          : OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
  if (!scm) return fail();
  const std::wstring display = ui::Wide(kServiceDisplayName);
  const wchar_t* name = paths_.service_name.c_str();
  const wchar_t* image = paths_.service_image.c_str();
  ScHandle created(WritePointRefused("service create")
                       ? nullptr
                       : CreateServiceW(scm.get(), name, display.c_str(), SERVICE_CHANGE_CONFIG,
                                        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                        SERVICE_ERROR_NORMAL, image, nullptr, nullptr, nullptr,
                                        L"LocalSystem", L""));
  if (!created && GetLastError() != ERROR_SERVICE_EXISTS) return fail();
  // An earlier generation's service, perhaps changed since, gets this configuration.
  ScHandle opened(created ? nullptr : OpenServiceW(scm.get(), name, SERVICE_CHANGE_CONFIG));
  if (!created && (!opened || WritePointRefused("service change") ||
                   !ChangeServiceConfigW(opened.get(), SERVICE_WIN32_OWN_PROCESS,
                                         SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, image, L"",
                                         nullptr, L"\0", L"LocalSystem", L"", display.c_str())))
    return fail();
  std::wstring description = ui::Wide(kServiceDescription);
  SERVICE_DESCRIPTIONW info{description.data()};
  if (WritePointRefused("service describe") ||
      !ChangeServiceConfig2W(created ? created.get() : opened.get(), SERVICE_CONFIG_DESCRIPTION,
                             &info))
    return fail();
  // A machine made from a clone may carry its service's mark of boot steps done: left in the
  // image, every clone would skip its name and address.
  RegKey key;
  const std::wstring path =
      reinterpret_cast<const wchar_t*>(kServicesKeyPath) + paths_.service_name;
  LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key.key);
  if (status == ERROR_SUCCESS)
    status = RegDeleteValueW(key.key, reinterpret_cast<const wchar_t*>(kBootStepsValue));
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    SetLastError(static_cast<DWORD>(status));
    return fail();
  }
  return true;
}

bool WinPackageTarget::SaveHostprep(std::string& reason) {
  if (SaveResourceToFile(L"exefile", L"Myexe", paths_.hostprep)) return true;
  reason = SystemErrorText(GetLastError());
  return false;
}

void WinPackageTarget::ShowMessage(const std::string& caption, const std::string& text,
                                   MessageKind kind) {
  ShowPackageMessage(caption, text, kind);
}

void WinPackageTarget::ShowError(const std::string& text) {
  ui::ShowErrorBox(text);
}

std::vector<std::string> WinPackageTarget::OwnMacs() {
  std::vector<std::string> macs;
  for (const NetAdapter& a : ListNetAdapters()) macs.push_back(a.mac);
  return macs;
}

std::string WinPackageTarget::CurrentAssignKey() {
  return ReadProfileFile(paths_.settings_write).Get(kSectionAutoSet, kKeyAssignKey).value_or("");
}

}  // namespace lr
