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

// Every address a table showed as resolved at any read since this was made. A sweep that
// lasts longer than the system keeps the entries of hosts it asked early still knows them.
class ResolvedSeen {
 public:
  explicit ResolvedSeen(IpNetTable& table) : table_(table) {}
  // Reads the table once more; returns all seen so far.
  const std::set<std::string>& Read();

 private:
  IpNetTable& table_;
  std::set<std::string> seen_;
};

}  // namespace lr
