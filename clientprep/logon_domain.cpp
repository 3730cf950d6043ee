#include "clientprep/logon_domain.h"

#include "base/format.h"
#include "base/gbk.h"

namespace lr::clientprep {

bool RenameLogonDomain(ClientMachine& machine, HeldBoxes& boxes, const std::string& old_name,
                       const std::string& new_name) {
  if (old_name.empty()) return true;
  for (const char* value : {"DefaultDomainName", "AltDefaultDomainName"}) {
    const std::optional<std::string> held = machine.ReadNativeString(kWinlogonKey, value);
    if (!held || *held == new_name || !GbkIEquals(*held, old_name)) continue;
    if (!machine.WriteNativeString(kWinlogonKey, value, new_name)) {
      boxes.Error(StrFormat("Failed to set data for '%s'", value));
      return false;
    }
  }
  return true;
}

}  // namespace lr::clientprep
