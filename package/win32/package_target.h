// The master machine as the generator writes the client package onto it: the settings
// file under C:\Windows, the Run value under HKEY_LOCAL_MACHINE, the boot-time service in
// the service control manager, and Hostprep.exe written from the resource EXEFILE/MYEXE of
// the running executable.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "package/client_service.h"
#include "package/generator.h"
#include "package/profile.h"
#include "ui/text.h"

namespace lr {

// A service control manager or service handle, closed by the holder.
class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE h = nullptr) : h_(h) {}
  ~ScHandle() {
    if (h_) CloseServiceHandle(h_);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  SC_HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  SC_HANDLE h_;
};

// The system's text for a Win32 error code, GBK, without its line end; "错误 N" when the
// system has none.
std::string SystemErrorText(DWORD error);

// Counts a write point (write_faults.h) before a system call: true, with the last error set
// to ERROR_ACCESS_DENIED, when it is the armed one and the call must fail as a refusal.
bool WritePointRefused(const char* point);

// A plain box of the generator or the removal: warning or information icon, OK button.
void ShowPackageMessage(const std::string& caption, const std::string& text, MessageKind kind);

// Writes the bytes of the resource (type, name) of the running executable to `path`,
// creating or replacing the file through ReplaceFileBytes ("<path>.new~" first), so a failure
// (false, the last error telling why) leaves an earlier file whole and no temporary file.
bool SaveResourceToFile(const wchar_t* type, const wchar_t* name, const std::wstring& path);

// The access list the settings file is created with: only Administrators and SYSTEM may
// open it (full control each), nothing inherited. The clones keep it with the file, so a
// customer's account can't read the unlock password.
inline constexpr const wchar_t* kSettingsFileAccess = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)";

// The settings file's operations on the master: each file write is a write point, and every
// file made is created with kSettingsFileAccess.
class SettingsFiles : public ProfileFiles {
 public:
  SettingsFiles();
  ~SettingsFiles() override;
  SettingsFiles(const SettingsFiles&) = delete;
  SettingsFiles& operator=(const SettingsFiles&) = delete;

  bool Append(const std::filesystem::path& path, std::uintmax_t old_size,
              std::string_view bytes) override;
  bool Replace(const std::filesystem::path& path, const std::filesystem::path& temp,
               std::string_view bytes) override;

 private:
  SECURITY_ATTRIBUTES attributes_{};
};

// The new settings file is written beside the old one under this suffix and moved over it;
// one the generation did not put in place goes with the target.
inline constexpr const wchar_t* kNewSettingsSuffix = L".gen~";

class WinPackageTarget : public PackageTarget {
 public:
  struct Paths {
    std::wstring settings_delete = L"c:\\windows\\Myset.ini";
    std::wstring settings_write = L"C:\\Windows\\Myset.ini";
    std::string settings_shown = "C:\\Windows\\Myset.ini";
    std::wstring hostprep = L"C:\\Windows\\Hostprep.exe";
    HKEY run_root = HKEY_LOCAL_MACHINE;
    std::wstring run_key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    // The boot-time service and the program it starts.
    std::wstring service_name = reinterpret_cast<const wchar_t*>(kServiceWideName);
    std::wstring service_image = ui::Wide(kServiceImagePath);
  };

  WinPackageTarget();
  explicit WinPackageTarget(Paths paths);
  ~WinPackageTarget() override;
  WinPackageTarget(const WinPackageTarget&) = delete;
  WinPackageTarget& operator=(const WinPackageTarget&) = delete;

  void StartSettingsFile() override;
  void WriteSetting(const std::string& section, const std::string& key,
                    const std::string& value) override;
  void PlaceSettingsFile() override;
  // The service is set to start disabled rather than deleted: a running one (the master's
  // own, at its boot) could not be registered again until it stopped. One marked for
  // deletion starts no more either.
  bool WithdrawStarts(std::string& reason) override;
  bool SetRunValue(const std::string& name, const std::string& command) override;
  // Own process, automatic start, LocalSystem, with the display name and description.
  bool InstallService(std::string& reason) override;
  bool SaveHostprep(std::string& reason) override;
  void ShowMessage(const std::string& caption, const std::string& text, MessageKind kind) override;
  void ShowError(const std::string& text) override;
  std::vector<std::string> OwnMacs() override;
  std::string CurrentAssignKey() override;
  bool DnsFromDhcp() override;  // master_dns.cpp
  bool SetMachineDword(const std::string& key, const std::string& name, std::uint32_t value,
                       std::string& reason) override;  // fast_startup.cpp
  ProgramRun RunSystemProgram(const std::string& program, const std::string& arguments) override;

 private:
  Paths paths_;
  std::wstring settings_new_;  // the new settings file until it is put in place
  SettingsFiles files_;
  ProfileWriter writer_;
};

}  // namespace lr
