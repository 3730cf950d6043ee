// The boot-time apply sequence of Hostprep: find the own entry in the settings file under
// the UUID node's or any adapter's MAC, give the machine its computer name and the static
// address of that adapter, optionally an IPX network number, a started program and the
// unlock keystrokes, take the unlock password out of the settings file, remove the Run value
// and optionally restart. A master machine and a run without rights change nothing. Every
// run ends with one line in the run log, written before any message box is shown.
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
  kKeystrokeFailed = 7,  // a bad repeat count in the password, shown
  kRunValueKept = 8,     // the Run value could not be deleted or its key opened, shown; no restart
  kMasterMachine = 9,    // the entry found is under one of the master's MACs: nothing changed
  kNoAdminRights = 10,   // no right to write HKLM\SYSTEM: shown, nothing changed
  kAddressFailed = 11,   // the address command failed or did not end: shown; the name is
                         // written, the password and the Run value kept, no program, no restart
  kBadAddress = 12,      // the entry's IP, the mask or the gateway is no address to set
};

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "hostprep";
inline constexpr const char* kIpxKey = "SYSTEM\\CurrentControlSet\\Services\\NwlnkIpx\\Parameters";
inline constexpr const char* kIpxValue = "VirtualNetworkNumber";
inline constexpr const char* kRebootCommand = "cmd /c shutdown -r -t 0";

// The fixed pauses, in milliseconds.
inline constexpr unsigned kPauseAfterAddress = 1000;
inline constexpr unsigned kPauseBeforeUnlock = 15000;
inline constexpr unsigned kPauseAfterF3 = 2000;
inline constexpr unsigned kPauseAfterPassword = 1500;
inline constexpr unsigned kPauseAfterRunValue = 2000;

// How long the address command may take before the run gives up on it.
inline constexpr unsigned kAddressCommandTimeout = 60000;

// The connection configured when the adapter's own name is unknown.
inline constexpr const char* kDefaultConnection = "本地连接";
inline constexpr const char16_t* kDefaultWideConnection = u"本地连接";

// "netsh interface ip set address CONNECTION static IP MASK GATEWAY 1"; the connection name
// (the adapter's own, kDefaultConnection when unknown) is quoted when it holds blanks.
CommandLine AddressCommand(const Adapter& adapter, const std::string& ip, const std::string& mask,
                           const std::string& gateway);

// Shown when the program lacks the rights to change the machine.
extern const char* const kNoRightsMessage;

ApplyResult RunApplySequence(ClientMachine& machine);

}  // namespace lr::clientprep
