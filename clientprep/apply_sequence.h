// The boot-time apply sequence of Hostprep: find the own entry in the settings file, give
// the machine its computer name and static address, optionally an IPX network number, a
// started program and the unlock keystrokes, remove the Run value and optionally restart.
#pragma once

#include <string>

#include "clientprep/client_machine.h"

namespace lr::clientprep {

// The program's exit code. Every code but kDone leaves the Run value in place, so the
// sequence runs again at the next logon. The kNo* codes stop before anything is changed.
enum ApplyResult : int {
  kDone = 0,
  kRegistryWriteFailed = 1,  // shown as "Failed to set data for '<value>'"
  kNoSettingsFile = 2,
  kNoOwnMac = 3,
  kNoEntry = 4,  // no InfoList entry under the own MAC text
  kEntryWithoutTilde = 5,
  kEmptyAddressOrName = 6,
  kKeystrokeFailed = 7,  // a bad repeat count in the password, shown
  kRunValueKept = 8,     // the Run value could not be deleted, shown; no restart
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

// "netsh interface ip set address 本地连接 static IP MASK GATEWAY 1" (GBK).
std::string AddressCommand(const std::string& ip, const std::string& mask,
                           const std::string& gateway);

ApplyResult RunApplySequence(ClientMachine& machine);

}  // namespace lr::clientprep
