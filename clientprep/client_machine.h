// The machine as the boot-time apply sequence sees it: the settings file, the own MAC text,
// the computer name, the registry under HKEY_LOCAL_MACHINE (one key open at a time), the
// commands it starts or runs, its pauses, the keyboard, its failure messages, its clock and
// its run log. The Windows shell implements it with the real system; tests use a fake that
// records every call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clientprep/keyboard.h"

namespace lr::clientprep {

// One network adapter: its MAC text ("00-1A-2B-3C-4D-5E") and connection name, empty when
// unknown: in GBK for messages and the log, and as the system gave it (UTF-16) for the
// command that configures it, so a name outside code page 936 reaches it unchanged.
struct Adapter {
  std::string mac;
  std::string connection;
  std::u16string wide_connection;
};

// A command line of GBK parts around the connection name in UTF-16 (joined at the system
// boundary), and the whole line in GBK as messages and the log show it.
struct CommandLine {
  std::string head;
  std::u16string connection;
  std::string tail;
  std::string shown;
};

// How a command that was waited for ended. `output` is what it printed (GBK, cut short).
struct CommandResult {
  enum class Outcome { kExited, kNotStarted, kTimedOut };
  Outcome outcome = Outcome::kExited;
  std::uint32_t exit_code = 0;
  std::string output;
};

// The local time of the machine's clock.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class ClientMachine {
 public:
  virtual ~ClientMachine() = default;

  // The bytes of the settings file, or nullopt when it is missing or can't be read.
  virtual std::optional<std::string> ReadSettingsFile() = 0;
  // Replaces the settings file with `bytes` safely (a temporary file moved over it); false
  // when that fails, the file then keeps what it held.
  virtual bool WriteSettingsFile(const std::string& bytes) = 0;
  // The UUID generator's node: six upper-case hexadecimal pairs joined by "-", or empty when
  // not determinable.
  virtual std::string OwnMacText() = 0;
  // The Ethernet and Wi-Fi adapters in the system's adapter order.
  virtual std::vector<Adapter> Adapters() = 0;
  // Whether the program may change the machine: whether it can write
  // HKEY_LOCAL_MACHINE\SYSTEM, probed on every system (a limited account on a system without
  // user account control has no such rights either).
  virtual bool HasAdminRights() = 0;
  // Its result is not examined.
  virtual void ApplyComputerName(const std::string& name) = 0;

  // Opens the key `path` of HKEY_LOCAL_MACHINE with full access, creating it when missing;
  // false when it can't be opened (the calls below then fail).
  virtual bool OpenKey(const std::string& path) = 0;
  virtual bool SetString(const std::string& name, const std::string& data) = 0;
  virtual bool SetDword(const std::string& name, std::uint32_t data) = 0;
  virtual bool ValueExists(const std::string& name) = 0;
  virtual bool DeleteValue(const std::string& name) = 0;
  virtual void CloseKey() = 0;

  // A value that differs from run to run (the performance counter, else the tick count).
  virtual std::uint64_t RandomSeed() = 0;
  // Starts a command line and returns at once, without looking at its result.
  virtual void StartCommand(const std::string& command_line, bool shown) = 0;
  // Runs `command` without a window and waits up to `timeout_ms` for it to end, collecting
  // what it prints.
  virtual CommandResult RunCommand(const CommandLine& command, unsigned timeout_ms) = 0;
  virtual void Pause(unsigned milliseconds) = 0;
  virtual Keyboard& keyboard() = 0;
  // A failure message in a message box without owner; returns when it is closed.
  virtual void ShowError(const std::string& text) = 0;

  virtual LocalTime Now() = 0;
  // Adds one line (GBK, its CR LF included) to the run log, which keeps only its recent end.
  // Best effort: a log that can't be written changes nothing else.
  virtual void AppendRunLog(const std::string& line) = 0;
};

}  // namespace lr::clientprep
