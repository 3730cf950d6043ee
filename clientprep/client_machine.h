// The machine as the apply sequence sees it: the settings file, the own MAC text, the
// computer name, the registry under HKEY_LOCAL_MACHINE (one key open at a time), the
// adapters' addresses, the commands it starts or runs, its pauses, the keyboard, its failure
// messages, its clock, its run log, and the boot-time service with the user session it
// waits for, its stop, and the lock its starts share. The Windows shell implements it with the
// real system; tests use a fake that records every call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clientprep/assign_net.h"
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
  // kStopped: the service was told to stop while it waited; the command is left running.
  enum class Outcome { kExited, kNotStarted, kTimedOut, kStopped };
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
  // Starts a command line and returns at once, without looking at how it goes. False only
  // when it was not started for want of the account it belongs to: the session part runs as
  // the system account and starts the user's program with the user's own token (an
  // administrator's full token when the program asks for elevation), never with its own.
  virtual bool StartCommand(const std::string& command_line, bool shown) = 0;
  // Runs `command` without a window and waits up to `timeout_ms` for it to end, collecting
  // what it prints.
  virtual CommandResult RunCommand(const CommandLine& command, unsigned timeout_ms) = 0;
  // False when the service is told to stop first (at once when it already was).
  virtual bool Pause(unsigned milliseconds) = 0;
  virtual Keyboard& keyboard() = 0;
  // A failure message in a message box without owner; returns when it is closed.
  virtual void ShowError(const std::string& text) = 0;

  // The system folder ("C:\WINDOWS\system32", GBK): netsh, cmd and shutdown are started
  // from there by their full paths.
  virtual std::string SystemFolder() = 0;
  // Whether `adapter` (found by its MAC) holds the address `ip` with `mask`, with `gateway`
  // among its gateways.
  virtual bool AddressInPlace(const Adapter& adapter, const std::string& ip,
                              const std::string& mask, const std::string& gateway) = 0;

  // Whether the Run value hostprep is there, read without write access.
  virtual bool RunValueExists() = 0;
  // The boot-time service: whether it is registered; the mark in its own registry key that
  // the boot steps are done (it goes with the service); its removal, true when it is gone or
  // was never there.
  virtual bool ServiceRegistered() = 0;
  virtual bool BootStepsMarked() = 0;
  virtual bool MarkBootSteps() = 0;
  virtual bool RemoveService() = 0;
  // Takes the lock that keeps the starts of Hostprep from working at once, held until the
  // program ends. False when another start holds it, and when it can't be had at all
  // (`trouble` then says why, for the log): a lock that can't be made is never read as free.
  virtual bool TakeWorkLock(std::string& trouble) = 0;
  // Waits until a user's shell is running in a session (the console's first); false when the
  // service is told to stop first.
  virtual bool WaitForUserSession() = 0;
  // Starts the session part in that session, hands it `settings` (the settings file's bytes)
  // and waits for it a bounded time: its exit code; kSessionNotStarted when it could not be
  // started or did not end in time, kStopped when the service was told to stop (the session
  // part is ended then).
  virtual int RunSessionPart(const std::string& settings) = 0;
  // In the session part: waits a bounded time until the user's shell is running on the input
  // desktop, where the program and the keys belong; false when it doesn't come.
  virtual bool WaitForUserShell() = 0;

  virtual LocalTime Now() = 0;
  // Adds one line (GBK, its CR LF included) to the run log, which keeps only its recent end.
  // Best effort: a log that can't be written changes nothing else.
  virtual void AppendRunLog(const std::string& line) = 0;

  // The socket, clock and cryptography of asking the window for an entry.
  virtual AssignNet& assign_net() = 0;
  // The name the machine runs under now (GBK), empty when unknown.
  virtual std::string ComputerName() = 0;
  // A text value of HKEY_LOCAL_MACHINE in the 64-bit view on 64-bit Windows, also for a
  // 32-bit program (the view the system itself reads): nullopt when absent or not text.
  virtual std::optional<std::string> ReadNativeString(const std::string& key,
                                                      const std::string& name) = 0;
  // Writes it there as REG_SZ in an existing key; false when refused.
  virtual bool WriteNativeString(const std::string& key, const std::string& name,
                                 const std::string& data) = 0;
  // The IPv4 DNS servers `adapter` (found by its MAC) lists, in order.
  virtual std::vector<std::string> DnsServers(const Adapter& adapter) = 0;
};

}  // namespace lr::clientprep
