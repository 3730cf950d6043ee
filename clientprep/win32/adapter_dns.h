// The DNS servers the system shows on one adapter (GetAdaptersAddresses of iphlpapi.dll,
// loaded at run time): what the DNS step reads back after netsh.
#pragma once

#include <string>
#include <vector>

namespace lr::clientprep {

// The IPv4 DNS servers of the adapter with the MAC text `mac` ("00-1A-2B-3C-4D-5E", any
// letter case), dotted, in the system's order; empty when it has none or can't be read.
std::vector<std::string> AdapterDnsServers(const std::string& mac);

}  // namespace lr::clientprep
