// Wake-on-LAN from the master: the magic packet for a MAC, which rows of the list can be
// woken, where the packets go (the limited broadcast and the directed broadcast of every
// interface of the master that is up) and the status text of a wake.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hostlist/host_list.h"

namespace lr {

inline constexpr std::uint16_t kWakePort = 9;
inline constexpr size_t kMagicPacketSize = 102;
// Every packet goes out this many times (a broadcast may be lost like any datagram).
inline constexpr int kWakeRepeats = 2;
inline constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

using MacBytes = std::array<std::uint8_t, 6>;

// Six bytes FF, then the MAC sixteen times.
std::array<std::uint8_t, kMagicPacketSize> MagicPacket(const MacBytes& mac);

// The MAC texts of the rows a wake covers: the selected row, or every row when none is.
std::vector<std::string> WakeRowMacs(const HostList& list, std::optional<size_t> selected);

// The MACs of the rows to wake, each once, in row order, and how many rows were skipped: a
// MAC text counts when it holds six hexadecimal pairs in any of the list's forms and names
// one adapter (not all zeros, not a broadcast or multicast address).
struct WakeTargets {
  std::vector<MacBytes> macs;
  size_t invalid_rows = 0;
};
WakeTargets WakeTargetsOf(const std::vector<std::string>& mac_texts);

// One IPv4 address of the master, host order.
struct LocalAddress {
  std::uint32_t address = 0;
  std::uint32_t mask = 0;
  std::uint32_t interface_index = 0;
  bool up = false;
};

// One destination of every packet, sent from a socket bound to `source` (0: not bound).
// Bound to an interface's address, the limited broadcast leaves through that interface.
struct WakeRoute {
  std::uint32_t source = 0;
  std::uint32_t destination = 0;
  friend bool operator==(const WakeRoute&, const WakeRoute&) = default;
};

// The limited broadcast once from each interface that is up, and each distinct directed
// broadcast (address | ~mask) of their addresses; loopback, empty addresses and masks of
// /31 and /32 (no broadcast of their own) give none. Without any usable address: the
// limited broadcast from an unbound socket.
std::vector<WakeRoute> WakeRoutes(const std::vector<LocalAddress>& addresses);

// "已向 N 台计算机发送唤醒包", then "，M 行 MAC 无效" when rows were skipped, then
// "，K 台发送失败" when no packet for K of the MACs could be sent.
std::string WakeStatusText(size_t sent, size_t invalid_rows, size_t failed);

}  // namespace lr
