// The ARP table dump that "arp -a" writes, read back into host records.
#pragma once

#include <string_view>
#include <vector>

#include "hostlist/host_record.h"

namespace lr {

// The text's lines (ended by CR LF, LF or CR) from the fourth on, one record each, whatever
// the line holds: IP address := characters 1..18 trimmed, MAC address := characters 18..43
// trimmed and upper-cased (a-z only), workgroup and computer name "-". Trimming removes
// bytes up to 0x20 at both ends. A line shorter than a range gives what it has.
std::vector<HostRecord> ReadArpDump(std::string_view text);

// The text split into lines as the reader sees them; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace lr
