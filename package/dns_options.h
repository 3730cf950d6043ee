// The café's DNS servers in the generator: the two optional address fields go into the
// settings file as DNS1 and DNS2, each only when filled, so a package without them is the
// file it always was. The check before generating looks at them, and warns when clones
// would be left without any: their static address replaces a DHCP lease, and with it the
// DNS servers the lease gave.
#pragma once

#include <string>
#include <vector>

#include "package/generator.h"
#include "package/preflight.h"

namespace lr {

// Whether an address field was filled: "" and "0.0.0.0" (the empty control) are not.
bool DnsFilled(const std::string& text);

// Writes DNS1 and DNS2 into AutoSet, each only when filled.
void WriteDnsServers(const GeneratorInputs& in, PackageTarget& target);

// The check's rows of the options: a filled field that is no DNS server's address, and both
// empty while the master takes its DNS servers from DHCP.
void CheckDnsOptions(const PreflightOptions& options, std::vector<PreflightProblem>& problems);

}  // namespace lr
