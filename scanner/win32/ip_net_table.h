// The system's neighbour table through GetIpNetTable. iphlpapi.dll is loaded at run time,
// so the program still starts where it is missing; the table is then empty.
#pragma once

#include "scanner/nbt_query.h"

namespace lr {

class IpNetTable : public NeighbourTable {
 public:
  std::optional<std::array<std::uint8_t, 6>> Lookup(const std::string& ip) override;
};

}  // namespace lr
