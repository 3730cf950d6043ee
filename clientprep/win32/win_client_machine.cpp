#include "clientprep/win32/win_client_machine.h"

#include <vector>

#include "clientprep/win32/get_own_mac_text.h"
#include "package/client_settings.h"
#include "package/win32/adapters.h"
#include "package/win32/write_faults.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace lr::clientprep {

WinClientMachine::~WinClientMachine() {
  CloseKey();
}

namespace {

// A file handle closed by the holder.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }
  // Closes now; false when the close fails.
  bool Close() {
    const bool fault = write_faults::Fail("file close");  // the handle goes all the same
    const bool closed = CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return !fault && closed;
  }

 private:
  HANDLE h_;
};

// Gives `to` the access list of `from` (the generator restricts the settings file to
// administrators), so the rewritten file stays as closed as it was. Best effort: a file
// system without access lists has none to keep.
void CopyAccessList(const wchar_t* from, const wchar_t* to) {
  DWORD size = 0;
  GetFileSecurityW(from, DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  if (size == 0) return;
  std::vector<unsigned char> descriptor(size);
  if (GetFileSecurityW(from, DACL_SECURITY_INFORMATION, descriptor.data(), size, &size))
    SetFileSecurityW(to, DACL_SECURITY_INFORMATION, descriptor.data());
}

// Vista and later: the systems with user account control.
bool HasUserAccountControl() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExW(&version) && version.dwMajorVersion >= 6;
}

// TOKEN_ELEVATION of Vista's TokenElevation class (20), which the XP headers lack.
bool TokenIsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD elevated = 0, size = 0;
  const bool ok = GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(20), &elevated,
                                      sizeof elevated, &size);
  CloseHandle(token);
  return ok && elevated != 0;
}

}  // namespace

// Read with the file functions directly: the C++ path and stream machinery would make the
// program four times as large.
std::optional<std::string> WinClientMachine::ReadSettingsFile() {
  FileHandle file(CreateFileW(ui::Wide(settings_path_).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  DWORD got = 0;
  do {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    bytes.append(buffer, got);
  } while (got != 0);
  return bytes;
}

// A temporary file beside the settings file with the file's access list, then ReplaceFileW. On
// failure the temporary file goes and the file stays.
bool WinClientMachine::WriteSettingsFile(const std::string& bytes) {
  const std::wstring path = ui::Wide(settings_path_);
  const std::wstring temp = path + L".new~";
  bool written = false;
  if (!write_faults::Fail("file create")) {
    FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() != INVALID_HANDLE_VALUE) {
      DWORD done = 0;
      written =
          !write_faults::Fail("file write") &&
          WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
          done == bytes.size();
      written = file.Close() && written;
    }
  }
  if (written) CopyAccessList(path.c_str(), temp.c_str());
  if (written && !write_faults::Fail("file move") &&
      ReplaceFileW(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    return true;
  }
  if (!write_faults::Fail("file delete")) DeleteFileW(temp.c_str());
  return false;
}

std::string WinClientMachine::OwnMacText() {
  return GetOwnMacText();
}

std::vector<Adapter> WinClientMachine::Adapters() {
  std::vector<Adapter> adapters;
  for (const NetAdapter& a : ListNetAdapters()) adapters.push_back({a.mac, a.connection});
  return adapters;
}

bool WinClientMachine::HasAdminRights() {
  if (!HasUserAccountControl() || TokenIsElevated()) return true;
  HKEY key = nullptr;
  if (write_faults::Fail("registry open") ||
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM", 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key) !=
          ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

void WinClientMachine::ApplyComputerName(const std::string& name) {
  SetComputerNameW(ui::Wide(name).c_str());
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

void WinClientMachine::StartCommand(const std::string& command_line, bool shown) {
  std::wstring command = ui::Wide(command_line);  // CreateProcessW may write into it
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = shown ? SW_SHOW : SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

void WinClientMachine::Pause(unsigned milliseconds) {
  Sleep(milliseconds);
}

void WinClientMachine::ShowError(const std::string& text) {
  ui::ShowMessage("Hostprep", text, MB_OK | MB_ICONERROR);
}

}  // namespace lr::clientprep
