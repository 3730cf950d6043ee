// The apply sequence of Hostprep: find the own entry in the settings file under the UUID
// node's or any adapter's MAC, give the machine its computer name and the static address of
// that adapter (verified), optionally an IPX network number, a started program and the
// unlock keystrokes, take the unlock password out of the settings file, remove the Run value
// and the boot-time service and optionally restart. A master machine and a run without
// rights change nothing. Every run ends with a line in the run log, written before any box.
//
// The steps fall in two parts. The boot steps (the entry and its checks, the name, IPX, the
// address) need rights only; the session steps (the program, the keys, then the password, the
// Run value and the service removed) need the user's desktop. Started from the Run value,
// Hostprep does both at once. Started as the service, it does the boot steps before anyone
// logs on, marks them done, and starts its session part in the first user session.
#pragma once

#include <string>

#include "clientprep/client_machine.h"

namespace lr::clientprep {

// The program's exit code. Every code but kDone leaves the Run value in place, so the
// sequence runs again at the next logon. The kNo* codes, kEntryWithoutTilde,
// kEmptyAddressOrName, kBadAddress and kMasterMachine stop before anything is changed.
// kRegistryWriteFailed also stands for a settings file that can't be rewritten;
// kEmptyAddressOrName for a name no PC may take (ComputerNameFault).
enum ApplyResult : int {
  kDone = 0,
  kRegistryWriteFailed = 1,  // shown as "Failed to set data for '<value>'"
  kNoSettingsFile = 2,
  kNoOwnMac = 3,
  kNoEntry = 4,  // no InfoList entry under the own MAC text
  kEntryWithoutTilde = 5,
  kEmptyAddressOrName = 6,
  kKeystrokeFailed = 7,   // a bad repeat count in the password, shown
  kRunValueKept = 8,      // the Run value could not be deleted or its key opened, shown; no restart
  kMasterMachine = 9,     // the entry found is under one of the master's MACs: nothing changed
  kNoAdminRights = 10,    // no right to write HKLM\SYSTEM: shown, nothing changed
  kAddressFailed = 11,    // the address command failed or did not end: shown; the name is
                          // written, the password and the Run value kept, no program, no restart
  kBadAddress = 12,       // the entry's IP, the mask, the gateway or a DNS server is no address
  kOtherStart = 13,       // another start is at work or has done the work: nothing changed
  kWaitingForLogon = 14,  // the service did the boot steps; the session steps wait for a logon
  kSessionNotStarted = 15,  // the session part did not start, get the user's desktop or end
                            // in time: all kept
  kServiceKept = 16,        // the service could not be removed, shown; no restart
  kProgramNotStarted = 17,  // the program could not be started as the user: all kept
  kStopped = 18,            // the service was told to stop: the next boot goes on
  kDnsFailed = 19,          // the DNS servers are not on the adapter after netsh, shown; name and
                            // address done, the Run value and the service kept, no restart
};

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "hostprep";
inline constexpr const char* kIpxKey = "SYSTEM\\CurrentControlSet\\Services\\NwlnkIpx\\Parameters";
inline constexpr const char* kIpxValue = "VirtualNetworkNumber";
// The restart, from the system folder: "<folder>\cmd.exe /c <folder>\shutdown.exe -r -t 0".
std::string RebootCommand(const std::string& system_folder);

// The fixed pauses, in milliseconds.
inline constexpr unsigned kPauseAfterAddress = 1000;
inline constexpr unsigned kPauseBeforeUnlock = 15000;
inline constexpr unsigned kPauseAfterF3 = 2000;
inline constexpr unsigned kPauseAfterPassword = 1500;
inline constexpr unsigned kPauseAfterRunValue = 2000;

// How long the address command may take before the run gives up on it.
inline constexpr unsigned kAddressCommandTimeout = 60000;
// After the address command, how often and how far apart its address is looked for.
inline constexpr int kAddressChecks = 5;
// How long the service waits for an adapter with an entry (adapters come up during the
// boot), and the pause between its looks.
inline constexpr unsigned kAdapterWait = 60000;
inline constexpr unsigned kAdapterWaitStep = 2000;

// The connection configured when the adapter's own name is unknown.
inline constexpr const char* kDefaultConnection = "本地连接";
inline constexpr const char16_t* kDefaultWideConnection = u"本地连接";

// "<folder>\netsh.exe interface ip set address CONNECTION static IP MASK GATEWAY 1"; the
// connection name (the adapter's own, kDefaultConnection when unknown) is quoted when it holds
// blanks.
CommandLine AddressCommand(const std::string& system_folder, const Adapter& adapter,
                           const std::string& ip, const std::string& mask,
                           const std::string& gateway);
// "<folder>\netsh.exe interface ip " + verb, the connection named as AddressCommand names it,
// then `tail`.
CommandLine NetshCommand(const std::string& system_folder, const Adapter& adapter,
                         const std::string& verb, const std::string& tail);

// Shown when the program lacks the rights to change the machine.
extern const char* const kNoRightsMessage;

// Started from the Run value at a logon: the whole sequence, or only the session steps
// when the service has done the boot steps; boot steps it does itself are marked done for
// the service as well. kOtherStart when the Run value is gone (the work is done) or another
// start holds the work lock; without the rights, with the service registered, kNoAdminRights
// before the lock is touched.
ApplyResult RunApplySequence(ClientMachine& machine);

// Started as the service, under the work lock: the boot steps (waiting up to kAdapterWait for
// an adapter with an entry) unless they are marked done, then the session steps through the
// session part once a user's shell runs; without session steps the service goes right after
// the boot steps. A restart comes right after the boot steps, never after the session steps.
// Told to stop, it ends within its current wait (kStopped); what it did is safe to do again.
ApplyResult RunBootService(ClientMachine& machine);

// The session part the service starts in the user's session, the settings handed to it:
// once the user's shell is on the input desktop, the program and the keys. It runs as the
// system account on the user's desktop, so it shows no box and writes no log line: its
// exit code goes back to the service, which logs it.
ApplyResult RunSessionPart(ClientMachine& machine);

}  // namespace lr::clientprep
