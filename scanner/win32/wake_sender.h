// Sends the Wake-on-LAN magic packets from the master: UDP to port 9 of the limited
// broadcast and of the directed broadcast of every IPv4 interface that is up, each packet
// kWakeRepeats times.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "scanner/wake_packet.h"

namespace lr {

// The master's IPv4 addresses with their masks and whether their interface is up
// (GetIpAddrTable and GetIfEntry of iphlpapi.dll, loaded at run time; empty without it).
std::vector<LocalAddress> LocalAddresses();

struct WakeSendResult {
  size_t sent = 0;    // MACs of which at least one packet went out
  size_t failed = 0;  // MACs of which none did
};
WakeSendResult SendWakePackets(const std::vector<MacBytes>& macs,
                               const std::vector<WakeRoute>& routes,
                               std::uint16_t port = kWakePort);

// The popup command: wakes the selected row, or every row when none is selected, and
// answers the status text.
std::string WakeRows(const HostList& list, std::optional<size_t> selected);

}  // namespace lr
