// Fuzzes the decoding of received raw ICMP datagrams against every awaited sequence number
// the input's first two bytes choose. Only the documented exceptions may leave it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scanner/icmp_packet.h"
#include "scanner/id_exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const auto sequence = static_cast<uint16_t>(data[0] | (data[1] << 8));
  size_t n = size - 2;
  if (n > 1024) n = 1024;
  const std::vector<uint8_t> datagram(data + 2, data + 2 + n);
  lr::TReplyStatus status;
  try {
    const lr::DecodeResult r =
        lr::DecodeEchoReply(datagram.data(), datagram.size(), sequence, status);
    if (r == lr::DecodeResult::kMatch) {
      if (status.SequenceNumber != sequence || status.ByteCount != static_cast<int32_t>(n))
        std::abort();
      if (status.Kind == lr::rkError || status.Kind == lr::rkTimedOut) std::abort();
    }
    if (r == lr::DecodeResult::kTimedOut && n != 0) std::abort();
  } catch (const lr::EIdIcmpException&) {
  }
  return 0;
}
