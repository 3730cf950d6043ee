// The system's neighbour table through GetIpNetTable. iphlpapi.dll is loaded at run time,
// so the program still starts where it is missing; the table is then empty.
#pragma once

#include <set>
#include <string>

#include "scanner/nbt_query.h"

namespace lr {

class IpNetTable : public NeighbourTable {
 public:
  std::optional<std::array<std::uint8_t, 6>> Lookup(const std::string& ip) override;
  // The dotted addresses the table holds as resolved: a six-byte, not all-zero hardware
  // address in a valid entry. Callable from any thread.
  std::set<std::string> ResolvedAddresses();
  // How many entries for addresses of `among` the table holds without a hardware address
  // yet (still resolving, or given up on: the table doesn't tell them apart).
  size_t Resolving(const std::set<std::string>& among);
};

}  // namespace lr
