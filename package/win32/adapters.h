// The machine's own network adapters, as both programs see them: the master writes their
// addresses into the settings file, the clone finds its entry by them and configures the one
// that has it. iphlpapi.dll is loaded at run time from the system folder, so the programs
// import nothing new.
#pragma once

#include <string>
#include <vector>

namespace lr {

struct NetAdapter {
  std::string mac;               // "00-1A-2B-3C-4D-5E", upper case
  std::string connection;        // the connection name in GBK, empty when unknown
  std::wstring wide_connection;  // the same as the system gives it
};

// The Ethernet and Wi-Fi adapters with a six-byte address, in the system's adapter order.
// GetAdaptersAddresses gives the connection names; where it is missing, GetAdaptersInfo
// gives the addresses alone. Empty when neither is available or both fail.
std::vector<NetAdapter> ListNetAdapters();

// GetAdaptersInfo's list whole: the buffer its IP_ADAPTER_INFO chain starts at, empty when the
// function is missing or fails.
std::vector<unsigned char> AdaptersInfoList();

}  // namespace lr
