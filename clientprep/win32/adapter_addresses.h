// The addresses the system shows on one adapter (GetAdaptersInfo of iphlpapi.dll, loaded at
// run time): whether an address with its mask and a gateway are in place after the address
// command.
#pragma once

#include <string>

namespace lr::clientprep {

// Whether the adapter with the MAC text `mac` ("00-1A-2B-3C-4D-5E", any letter case) lists
// `ip` with `mask` among its addresses and `gateway` among its gateways.
bool AdapterHoldsAddress(const std::string& mac, const std::string& ip, const std::string& mask,
                         const std::string& gateway);

}  // namespace lr::clientprep
