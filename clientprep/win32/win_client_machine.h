// The apply sequence's machine on Windows: the settings file at its fixed path (or, in the
// session part, on a handle), the own MAC from rpcrt4.dll and the adapter list,
// SetComputerNameW and SetComputerNameExW, the registry under HKEY_LOCAL_MACHINE,
// CreateProcessW (the address command waited for, its output read through a pipe), the
// adapters' addresses, pauses (on the stop event in the service), the real keyboard, message
// boxes without owner (none in the service, which has no desktop, nor in the session part,
// which runs as the system account), the local time, the run log, the work lock, and the
// boot-time service through the service control manager and its registry key. Texts are GBK; they
// are converted with code page 936 for the W functions, command lines included. Every registry and
// file write counts itself as a write point first.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "clientprep/client_machine.h"
#include "clientprep/run_log.h"
#include "clientprep/win32/service_main.h"
#include "clientprep/win32/win_assign_net.h"
#include "clientprep/win32/win_keyboard.h"
#include "package/client_settings.h"

namespace lr::clientprep {

class WinClientMachine : public ClientMachine {
 public:
  // Tests give another root key, settings file and log; the program uses the real ones.
  explicit WinClientMachine(HKEY root = HKEY_LOCAL_MACHINE,
                            std::string settings_path = kSettingsPathRead,
                            std::string log_path = kRunLogPath)
      : root_(root), settings_path_(std::move(settings_path)), log_path_(std::move(log_path)) {}
  ~WinClientMachine() override;
  WinClientMachine(const WinClientMachine&) = delete;
  WinClientMachine& operator=(const WinClientMachine&) = delete;

  // The service: no boxes; `stop` is signalled when the service is told to stop.
  void SetServiceMode(HANDLE stop) { service_stop_ = stop; }
  // The session part: the settings are read from `input` (to its end) instead of the file.
  void SetSettingsInput(HANDLE input) { settings_input_ = input; }

  std::optional<std::string> ReadSettingsFile() override;
  bool WriteSettingsFile(const std::string& bytes) override;
  std::string OwnMacText() override;
  std::vector<Adapter> Adapters() override;
  bool HasAdminRights() override;
  void ApplyComputerName(const std::string& name) override;
  bool OpenKey(const std::string& path) override;
  bool SetString(const std::string& name, const std::string& data) override;
  bool SetDword(const std::string& name, std::uint32_t data) override;
  bool ValueExists(const std::string& name) override;
  bool DeleteValue(const std::string& name) override;
  void CloseKey() override;
  std::uint64_t RandomSeed() override;
  bool StartCommand(const std::string& command_line, bool shown) override;
  CommandResult RunCommand(const CommandLine& command, unsigned timeout_ms) override;
  bool Pause(unsigned milliseconds) override;
  Keyboard& keyboard() override { return keyboard_; }
  void ShowError(const std::string& text) override;
  std::string SystemFolder() override;
  bool AddressInPlace(const Adapter& adapter, const std::string& ip, const std::string& mask,
                      const std::string& gateway) override;
  bool RunValueExists() override;
  bool ServiceRegistered() override;
  bool BootStepsMarked() override;
  bool MarkBootSteps() override;
  bool RemoveService() override;
  bool TakeWorkLock(std::string& trouble) override;
  bool WaitForUserSession() override;
  int RunSessionPart(const std::string& settings) override;
  bool WaitForUserShell() override;
  LocalTime Now() override;
  void AppendRunLog(const std::string& line) override;
  AssignNet& assign_net() override {
    assign_.SetStop(service_stop_);
    return assign_;
  }
  std::string ComputerName() override;
  std::optional<std::string> ReadNativeString(const std::string& key,
                                              const std::string& name) override;
  bool WriteNativeString(const std::string& key, const std::string& name,
                         const std::string& data) override;
  std::vector<std::string> DnsServers(const Adapter& adapter) override;

 private:
  WinKeyboard keyboard_;
  HKEY root_;
  std::string settings_path_;
  std::string log_path_;
  HKEY key_ = nullptr;
  HANDLE service_stop_ = nullptr;
  HANDLE settings_input_ = nullptr;
  DWORD user_session_ = 0;  // the session WaitForUserSession found
  std::unique_ptr<WorkLock> lock_;
  WinAssignNet assign_;
};

}  // namespace lr::clientprep
