// The NetBIOS node-status exchange: the one 50-byte request every host is sent, and the
// reading of an answer into a host record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "hostlist/host_record.h"

namespace lr {

inline constexpr std::uint16_t kNbtLocalPort = 6767;
inline constexpr std::uint16_t kNbtRemotePort = 137;
inline constexpr size_t kNodeStatusQuerySize = 50;
inline constexpr size_t kNbtReceiveBufferSize = 500;

// Transaction ID 0, one NBSTAT/IN question for the wildcard name "*".
extern const std::array<std::uint8_t, kNodeStatusQuerySize> kNodeStatusQuery;

// The record one received datagram of `n` bytes from `ip` yields: the sender's address,
// and, when the answer's marker 21 00 01 and a non-zero name count are found, the
// workgroup and computer name from the name table and the MAC text from the unit ID.
// Nothing past the n bytes is read: a name entry that runs past them is not used, and a
// unit ID that runs past them gives the MAC text of the bytes that are there ("00.0C.29"
// for three bytes, empty for none).
HostRecord ParseReply(const std::uint8_t* datagram, size_t n, const std::string& ip);

// A 15-byte NetBIOS name as text: bytes up to 0x20 become spaces, all others pass; the
// trailing spaces stay.
std::string NbtNameText(const std::uint8_t* name15);

}  // namespace lr
