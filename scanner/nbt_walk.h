// The NetBIOS sweep's walk over an address range. Only the third and fourth octets move;
// the first two of the start stay, those of the end are not looked at. The end address is
// never queried unless it is also the start, x.x.x.255 is queried, x.x.N.0 is skipped
// after a carry, and the walk stops when the third octet reaches 255.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lr {

class NbtWalk {
 public:
  NbtWalk(const std::uint8_t (&start)[4], const std::uint8_t (&end)[4]);

  // The address to query now, "%d.%d.%d.%d".
  std::string Current() const;
  // Moves to the next address; false when the walk is over.
  bool Advance();

 private:
  std::uint8_t cur_[4];
  std::uint8_t end_[4];
};

// Every address the walk from `start` to `end` (dotted texts, both valid) queries, in
// order.
std::vector<std::string> NbtQueryTargets(const std::string& start, const std::string& end);

}  // namespace lr
