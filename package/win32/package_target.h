// The master machine as the generator writes the client package onto it: the settings
// file under C:\Windows, the Run value under HKEY_LOCAL_MACHINE, and Hostprep.exe written
// from the resource EXEFILE/MYEXE of the running executable.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "package/generator.h"
#include "package/profile.h"

namespace lr {

// Writes the bytes of the resource (type, name) of the running executable to `path`,
// creating or replacing the file. Any failure gives false; nothing is reported.
bool SaveResourceToFile(const wchar_t* type, const wchar_t* name, const std::wstring& path);

class WinPackageTarget : public PackageTarget {
 public:
  struct Paths {
    std::wstring settings_delete = L"c:\\windows\\Myset.ini";
    std::wstring settings_write = L"C:\\Windows\\Myset.ini";
    std::string settings_shown = "C:\\Windows\\Myset.ini";
    std::wstring hostprep = L"C:\\Windows\\Hostprep.exe";
    HKEY run_root = HKEY_LOCAL_MACHINE;
    std::wstring run_key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  };

  WinPackageTarget();
  explicit WinPackageTarget(Paths paths);

  void DeleteSettingsFile() override;
  void WriteSetting(const std::string& section, const std::string& key,
                    const std::string& value) override;
  bool SetRunValue(const std::string& name, const std::string& command) override;
  bool SaveHostprep() override;
  void ShowMessage(const std::string& caption, const std::string& text, MessageKind kind) override;
  void ShowError(const std::string& text) override;
  std::vector<std::string> OwnMacs() override;

 private:
  Paths paths_;
  ProfileWriter writer_;
};

}  // namespace lr
