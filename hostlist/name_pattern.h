// Computer names and addresses given to many host rows at once by a pattern: a prefix with a
// counter ("PC001", "PC002", ...) or with the last number of each row's address ("PC021"
// for .21), and consecutive addresses from a start address that skip the subnet's network
// and broadcast addresses.
//
// A plan says what every chosen row would become, and what the check before generating
// would refuse (a name Windows won't take, a name or address another row has, an address
// outside the subnet), before anything in the list changes; only a plan without faults is
// written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "hostlist/host_list.h"

namespace lr {

// The order in which the chosen rows are counted and given addresses.
enum class PatternOrder { kList, kAddress };
// What follows the prefix: a counter, or the last number of the row's address.
enum class PatternNumber { kCounter, kLastOctet };

// The mask the addresses follow when no valid one is given.
inline constexpr const char* kDefaultPatternMask = "255.255.255.0";

// A dotted mask whose one bits are contiguous from the top.
bool IsSubnetMask(std::string_view dotted);

// The pattern as the dialog holds it: numbers as typed, so the plan reports bad ones.
struct NamePattern {
  std::string prefix = "PC";
  std::string start = "1";  // first counter value, decimal
  std::string width = "3";  // digits, zero-padded; 0 or 1 for none
  PatternNumber number = PatternNumber::kCounter;
  PatternOrder order = PatternOrder::kAddress;
  bool assign_addresses = false;
  std::string start_address;  // dotted, used with assign_addresses
  std::string mask;           // the generator's mask; kDefaultPatternMask when not a mask

  friend bool operator==(const NamePattern&, const NamePattern&) = default;
};

struct PatternRow {
  size_t pos = 0;  // position in the list when planned
  HostList::Id id = 0;
  std::string old_ip;
  std::string old_name;
  std::string ip;     // what the row gets: a new address, or its own
  std::string name;   // the new name; empty when none can be made
  std::string fault;  // GBK, why the row can't be written so; empty when sound

  friend bool operator==(const PatternRow&, const PatternRow&) = default;
};

struct PatternPlan {
  std::string fault;             // GBK, a fault of the pattern itself; empty when sound
  std::string mask;              // the mask the addresses followed
  std::vector<PatternRow> rows;  // in counting order
  size_t faulty = 0;             // rows with a fault

  bool Writable() const { return fault.empty() && faulty == 0 && !rows.empty(); }
  friend bool operator==(const PatternPlan&, const PatternPlan&) = default;
};

// The plan for the rows at `chosen` (positions < hosts.Count()) of `hosts`.
PatternPlan PlanNamePattern(const HostList& hosts, const std::vector<size_t>& chosen,
                            const NamePattern& pattern);

// Writes a writable plan into its rows, found by id (a row removed since is skipped);
// returns how many rows were written. A plan with faults writes nothing.
size_t ApplyNamePattern(HostList& hosts, const PatternPlan& plan);

}  // namespace lr
