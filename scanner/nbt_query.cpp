// The node-status request and the reading of node-status answers.
#include "scanner/nbt_query.h"

#include <algorithm>

#include "base/format.h"

namespace lr {

namespace {

constexpr std::array<std::uint8_t, kNodeStatusQuerySize> MakeQuery() {
  std::array<std::uint8_t, kNodeStatusQuerySize> q{};
  q[5] = 0x01;   // one question
  q[12] = 0x20;  // name length 32
  // "*" and fifteen 0x00 bytes, each byte as 'A'+high nibble, 'A'+low nibble.
  q[13] = 'C';
  q[14] = 'K';
  for (size_t i = 15; i < 45; ++i) q[i] = 'A';
  q[45] = 0x00;
  q[47] = 0x21;  // NBSTAT
  q[49] = 0x01;  // IN
  return q;
}

constexpr size_t kNameEntrySize = 18;
constexpr size_t kMacSize = 6;
constexpr char kZeroMacText[] = "00.00.00.00.00.00";

// "00.0C.29.AB.01.FF": the bytes in upper-case hexadecimal pairs joined by ".".
std::string MacText(const std::uint8_t* mac, size_t n) {
  std::string text;
  for (size_t i = 0; i < n; ++i) {
    if (i > 0) text += '.';
    text += StrFormat("%02X", mac[i]);
  }
  return text;
}

}  // namespace

const std::array<std::uint8_t, kNodeStatusQuerySize> kNodeStatusQuery = MakeQuery();

std::string NbtNameText(const std::uint8_t* name15) {
  std::string text(15, ' ');
  for (size_t i = 0; i < 15; ++i) {
    if (name15[i] > 0x20) text[i] = static_cast<char>(name15[i]);
  }
  return text;
}

HostRecord ParseReply(const std::uint8_t* d, size_t n, const std::string& ip) {
  HostRecord record;
  record.ip = ip;
  size_t m = 0;
  bool found = false;
  for (size_t p = 1; p + 2 < n; ++p) {
    if (d[p] == 0x21 && d[p + 1] == 0x00 && d[p + 2] == 0x01) {
      m = p;
      found = true;
      break;
    }
  }
  if (!found || m + 9 >= n) return record;
  const size_t count = d[m + 9];
  if (count == 0) return record;

  for (size_t k = 0; k < count; ++k) {
    const size_t e = m + 10 + kNameEntrySize * k;
    // The entry's name, suffix and flag byte must all lie within the datagram.
    if (e + 17 > n) break;
    const std::uint8_t suffix = d[e + 15];
    const bool group = (d[e + 16] & 0x80) != 0;
    if (group) {
      if (suffix == 0x00) record.workgroup = NbtNameText(d + e);
    } else if (suffix == 0x20) {
      record.name = NbtNameText(d + e);
    } else if (suffix == 0x03) {
      record.workgroup = NbtNameText(d + e);
    }
  }

  const size_t mac = m + 10 + kNameEntrySize * count;
  record.mac = mac < n ? MacText(d + mac, std::min(kMacSize, n - mac)) : std::string();
  return record;
}

void FillZeroMac(HostRecord& record, NeighbourTable& table) {
  if (record.mac != kZeroMacText) return;
  const auto found = table.Lookup(record.ip);
  if (found) record.mac = MacText(found->data(), found->size());
}

}  // namespace lr
