// SplitMix64 seeded with the caller's counter value, with rejection sampling so that every
// one of the 99999 numbers is equally likely.
#include "clientprep/network_number.h"

namespace lr::clientprep {

namespace {
std::uint64_t SplitMix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
}  // namespace

std::uint32_t DrawNetworkNumber(std::uint64_t seed) {
  constexpr std::uint64_t kRange = kMaxNetworkNumber - kMinNetworkNumber + 1;
  // A multiple of kRange: values at or above it are drawn again.
  constexpr std::uint64_t kLimit = ~0ull - (~0ull % kRange);
  std::uint64_t state = seed;
  std::uint64_t x;
  do {
    x = SplitMix64(state);
  } while (x >= kLimit);
  return static_cast<std::uint32_t>(kMinNetworkNumber + x % kRange);
}

}  // namespace lr::clientprep
