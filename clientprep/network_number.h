// The random IPX internal network number a clone gets when the settings ask for it.
#pragma once

#include <cstdint>

namespace lr::clientprep {

inline constexpr std::uint32_t kMinNetworkNumber = 5;
inline constexpr std::uint32_t kMaxNetworkNumber = 100003;

// A number drawn uniformly from kMinNetworkNumber..kMaxNetworkNumber by a generator seeded
// with `seed` (the performance counter or the tick count).
std::uint32_t DrawNetworkNumber(std::uint64_t seed);

}  // namespace lr::clientprep
