// The apply sequence's machine on Windows: the settings file at its fixed path, the own MAC
// from rpcrt4.dll, SetComputerNameW, the registry under HKEY_LOCAL_MACHINE, WinExec,
// Sleep, the real keyboard and message boxes without owner. Texts are GBK; they are
// converted with code page 936 for the W functions. Command lines stay bytes (WinExec).
#pragma once

#include <windows.h>

#include "clientprep/client_machine.h"
#include "clientprep/win32/win_keyboard.h"

namespace lr::clientprep {

class WinClientMachine : public ClientMachine {
 public:
  WinClientMachine() = default;
  ~WinClientMachine() override;
  WinClientMachine(const WinClientMachine&) = delete;
  WinClientMachine& operator=(const WinClientMachine&) = delete;

  std::optional<std::string> ReadSettingsFile() override;
  std::string OwnMacText() override;
  void ApplyComputerName(const std::string& name) override;
  void OpenKey(const std::string& path) override;
  bool SetString(const std::string& name, const std::string& data) override;
  bool SetDword(const std::string& name, std::uint32_t data) override;
  bool ValueExists(const std::string& name) override;
  bool DeleteValue(const std::string& name) override;
  void CloseKey() override;
  std::uint64_t RandomSeed() override;
  void StartCommand(const std::string& command_line, bool shown) override;
  void Pause(unsigned milliseconds) override;
  Keyboard& keyboard() override { return keyboard_; }
  void ShowError(const std::string& text) override;

 private:
  WinKeyboard keyboard_;
  HKEY key_ = nullptr;
};

}  // namespace lr::clientprep
