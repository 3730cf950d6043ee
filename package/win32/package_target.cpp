#include "package/win32/package_target.h"

#include "package/win32/adapters.h"
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

// Closes a file handle when it goes out of scope.
struct FileHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
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
  FileHandle file;
  file.handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(file.handle, bytes, size, &written, nullptr) && written == size;
}

WinPackageTarget::WinPackageTarget() : WinPackageTarget(Paths{}) {}

WinPackageTarget::WinPackageTarget(Paths paths)
    : paths_(std::move(paths)),
      writer_(std::filesystem::path(paths_.settings_write), paths_.settings_shown) {}

void WinPackageTarget::DeleteSettingsFile() {
  DeleteFileW(paths_.settings_delete.c_str());
}

void WinPackageTarget::WriteSetting(const std::string& section, const std::string& key,
                                    const std::string& value) {
  writer_.Write(section, key, value);
}

bool WinPackageTarget::SetRunValue(const std::string& name, const std::string& command) {
  RegKey key;
  if (RegCreateKeyExW(paths_.run_root, paths_.run_key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key.key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring data = ui::Wide(command);
  return RegSetValueExW(key.key, ui::Wide(name).c_str(), 0, REG_SZ,
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
