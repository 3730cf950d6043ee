#include "clientprep/win32/win_client_machine.h"

#include "clientprep/win32/get_own_mac_text.h"
#include "package/client_settings.h"
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

 private:
  HANDLE h_;
};

}  // namespace

// Read with the file functions directly: the C++ path and stream machinery would make the
// program four times as large.
std::optional<std::string> WinClientMachine::ReadSettingsFile() {
  FileHandle file(CreateFileW(ui::Wide(kSettingsPathRead).c_str(), GENERIC_READ,
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

std::string WinClientMachine::OwnMacText() {
  return GetOwnMacText();
}

void WinClientMachine::ApplyComputerName(const std::string& name) {
  SetComputerNameW(ui::Wide(name).c_str());
}

void WinClientMachine::OpenKey(const std::string& path) {
  CloseKey();
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, ui::Wide(path).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    key_ = key;
  }
}

bool WinClientMachine::SetString(const std::string& name, const std::string& data) {
  if (!key_) return false;
  const std::wstring wide = ui::Wide(data);
  const DWORD size = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key_, ui::Wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()), size) == ERROR_SUCCESS;
}

bool WinClientMachine::SetDword(const std::string& name, std::uint32_t data) {
  if (!key_) return false;
  const DWORD value = data;
  return RegSetValueExW(key_, ui::Wide(name).c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool WinClientMachine::ValueExists(const std::string& name) {
  return key_ && RegQueryValueExW(key_, ui::Wide(name).c_str(), nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS;
}

bool WinClientMachine::DeleteValue(const std::string& name) {
  return key_ && RegDeleteValueW(key_, ui::Wide(name).c_str()) == ERROR_SUCCESS;
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
  WinExec(command_line.c_str(), shown ? SW_SHOW : SW_HIDE);
}

void WinClientMachine::Pause(unsigned milliseconds) {
  Sleep(milliseconds);
}

void WinClientMachine::ShowError(const std::string& text) {
  ui::ShowMessage("Hostprep", text, MB_OK | MB_ICONERROR);
}

}  // namespace lr::clientprep
