#include "package/win32/package_target.h"

#include <sddl.h>

#include <stdexcept>

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
      writer_(std::filesystem::path(paths_.settings_write), paths_.settings_shown, &files_) {}

void WinPackageTarget::DeleteSettingsFile() {
  const std::string failure = "Unable to delete " + paths_.settings_shown;
  if (write_faults::Fail("file delete")) throw std::runtime_error(failure);
  if (DeleteFileW(paths_.settings_delete.c_str())) return;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
  throw std::runtime_error(failure);
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

bool WinPackageTarget::SaveHostprep() {
  return SaveResourceToFile(L"exefile", L"Myexe", paths_.hostprep);
}

void WinPackageTarget::ShowMessage(const std::string& caption, const std::string& text,
                                   MessageKind kind) {
  ui::ShowMessage(caption, text,
                  MB_OK | (kind == MessageKind::kWarning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

void WinPackageTarget::ShowError(const std::string& text) {
  ui::ShowErrorBox(text);
}

std::vector<std::string> WinPackageTarget::OwnMacs() {
  std::vector<std::string> macs;
  for (const NetAdapter& a : ListNetAdapters()) macs.push_back(a.mac);
  return macs;
}

}  // namespace lr
