#include "package/win32/package_target.h"

#include <sddl.h>

#include <stdexcept>

#include "package/win32/write_faults.h"
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

// Closes the file as a write point: a refused close still lets the handle go.
bool CloseCounted(FileHandle& file) {
  const bool refused = write_faults::Fail("file close");
  const bool closed = CloseHandle(file.handle) && !refused;
  file.handle = INVALID_HANDLE_VALUE;
  return closed;
}

// Creates `path` (replacing a file there) with `sa`'s access list and writes all of `bytes`
// to it; on failure the file is removed.
bool WriteNewFile(const std::wstring& path, const void* bytes, DWORD size,
                  SECURITY_ATTRIBUTES* sa) {
  FileHandle file;
  if (!write_faults::Fail("file create")) {
    file.handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, sa, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = !write_faults::Fail("file write") &&
            WriteFile(file.handle, bytes, size, &written, nullptr) && written == size;
  ok = CloseCounted(file) && ok;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

// Writes `bytes` to `temp` and moves it over `path`, through to the disk; on failure `path`
// keeps what it held and `temp` is gone.
bool ReplaceWithNewFile(const std::wstring& path, const std::wstring& temp, const void* bytes,
                        DWORD size, SECURITY_ATTRIBUTES* sa) {
  if (!WriteNewFile(temp, bytes, size, sa)) return false;
  if (!write_faults::Fail("file move") &&
      MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temp.c_str());
  return false;
}

// Cuts the file at `path` back to `size` bytes.
void CutFile(const std::wstring& path, std::uintmax_t size) {
  FileHandle file;
  file.handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file.handle == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (SetFilePointerEx(file.handle, at, nullptr, FILE_BEGIN)) SetEndOfFile(file.handle);
}

}  // namespace

bool SaveResourceToFile(const wchar_t* type, const wchar_t* name, const std::wstring& path) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, name, type);
  if (!info) return false;
  HGLOBAL loaded = LoadResource(module, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, info);
  if (!bytes) return false;
  return ReplaceWithNewFile(path, path + L".new~", bytes, size, nullptr);
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
  if (!attributes_.lpSecurityDescriptor) return false;  // never a file anyone may read
  FileHandle file;
  if (!write_faults::Fail("file create")) {
    file.handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes_,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  LARGE_INTEGER zero{};
  bool ok = SetFilePointerEx(file.handle, zero, nullptr, FILE_END) &&
            !write_faults::Fail("file write") &&
            WriteFile(file.handle, bytes.data(), size, &written, nullptr) && written == size;
  ok = CloseCounted(file) && ok;
  if (!ok) CutFile(path.wstring(), old_size);
  return ok;
}

bool SettingsFiles::Replace(const std::filesystem::path& path, const std::filesystem::path& temp,
                            std::string_view bytes) {
  return attributes_.lpSecurityDescriptor &&
         ReplaceWithNewFile(path.wstring(), temp.wstring(), bytes.data(),
                            static_cast<DWORD>(bytes.size()), &attributes_);
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
