// The NetBIOS node-status exchange: the one 50-byte request every host is sent, and the
// reading of an answer into a host record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The system's neighbour table (the ARP cache), as the MAC fill below asks it.
class NeighbourTable {
 public:
  virtual ~NeighbourTable() = default;
  // The hardware address the table holds for the dotted address `ip`, or nothing.
  virtual std::optional<std::array<std::uint8_t, 6>> Lookup(const std::string& ip) = 0;
};

// Some answers carry an all-zero unit ID (Samba's nmbd sends no MAC). The answer has just
// come from the record's address, so the neighbour table knows its MAC: a record whose MAC
// text is "00.00.00.00.00.00" takes the table's address in the same "." form. The zeros
// stay when the table has nothing for the address (or only zeros).
void FillZeroMac(HostRecord& record, NeighbourTable& table);

// A 15-byte NetBIOS name as text: bytes up to 0x20 become spaces, all others pass; the
// trailing spaces stay.
std::string NbtNameText(const std::uint8_t* name15);

}  // namespace lr
