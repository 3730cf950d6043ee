// Automatic logon after the rename: Winlogon keeps the domain of the account it logs on,
// which for a local account is the computer's own name. A clone renamed without it would
// try to log on to the master's name and stop at the logon screen.
#pragma once

#include <string>

#include "clientprep/boxes.h"
#include "clientprep/client_machine.h"

namespace lr::clientprep {

inline constexpr const char* kWinlogonKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// DefaultDomainName and AltDefaultDomainName that hold `old_name` (letter case aside) get
// `new_name`, in the 64-bit view where Winlogon reads them; any other value (a domain) is
// left alone. False, with the failure held in `boxes`, when a write is refused.
bool RenameLogonDomain(ClientMachine& machine, HeldBoxes& boxes, const std::string& old_name,
                       const std::string& new_name);

}  // namespace lr::clientprep
