// Echo request building, checksum and reply decoding.
#include "scanner/icmp_packet.h"

#include <cstring>

#include "base/format.h"
#include "scanner/id_exceptions.h"

namespace lr {

namespace {

void PutLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

// Byte i of the datagram, or 0 past its end.
std::uint8_t ByteAt(const std::uint8_t* data, size_t n, size_t i) {
  return i < n ? data[i] : 0;
}

std::uint16_t Le16At(const std::uint8_t* data, size_t n, size_t i) {
  return static_cast<std::uint16_t>(ByteAt(data, n, i) | (ByteAt(data, n, i + 1) << 8));
}

}  // namespace

std::uint16_t IcmpChecksum(const std::uint8_t* data, size_t n) {
  std::uint32_t sum = 0;
  size_t i = 0;
  for (; i + 1 < n; i += 2) sum += static_cast<std::uint32_t>(data[i] | (data[i + 1] << 8));
  if (i < n) sum += data[i];
  sum = (sum >> 16) + (sum & 0xFFFF);
  sum = (sum >> 16) + (sum & 0xFFFF);
  return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

void BuildEchoRequest(std::uint8_t (&out)[kEchoRequestSize], std::uint16_t identifier,
                      std::uint16_t sequence, std::uint32_t stamp, std::string_view payload) {
  std::memset(out, 0, sizeof out);
  out[0] = 8;
  out[1] = 0;
  PutLe16(out + 4, identifier);
  PutLe16(out + 6, sequence);
  PutLe16(out + 8, static_cast<std::uint16_t>(stamp & 0xFFFF));
  PutLe16(out + 10, static_cast<std::uint16_t>(stamp >> 16));
  for (size_t i = 0; i < kEchoPayloadSize; ++i) {
    out[20 + i] = i < payload.size() ? static_cast<std::uint8_t>(payload[i]) : kEchoPayloadFill;
  }
  PutLe16(out + 2, IcmpChecksum(out, kEchoRequestSize));
}

TReplyStatus TimedOutStatus(std::uint16_t sequence) {
  TReplyStatus s;
  s.SequenceNumber = sequence;
  s.Kind = rkTimedOut;
  return s;
}

DecodeResult DecodeEchoReply(const std::uint8_t* data, size_t n, std::uint16_t sequence,
                             TReplyStatus& status) {
  if (n == 0) {
    const std::uint32_t rtt = status.RoundTripMs;
    status = TimedOutStatus(sequence);
    status.RoundTripMs = rtt;
    return DecodeResult::kTimedOut;
  }
  status.Kind = rkError;
  const size_t h = static_cast<size_t>(data[0] & 0x0F) * 4;
  if (n < h + 8) throw EIdIcmpException("Not enough bytes received");
  const std::uint8_t type = data[h];
  std::uint16_t seq = 0;
  TReplyStatusKind kind;
  switch (type) {
    case 0:
    case 8:
      kind = rkEchoReply;
      seq = Le16At(data, n, h + 6);
      break;
    case 3:
    case 11:
      kind = type == 3 ? rkUnreachable : rkTtlExpired;
      seq = Le16At(data, n, h + 8 + h + 6);
      break;
    default:
      throw EIdIcmpException("Non-echo type response received");
  }
  status.Kind = kind;
  if (seq != sequence) return DecodeResult::kSkip;
  status.ByteCount = static_cast<std::int32_t>(n);
  status.SourceAddress = DottedQuad(ByteAt(data, n, 12), ByteAt(data, n, 13), ByteAt(data, n, 14),
                                    ByteAt(data, n, 15));
  status.IcmpType = type;
  status.SequenceNumber = seq;
  status.ReplyTtl = ByteAt(data, n, 8);
  return DecodeResult::kMatch;
}

}  // namespace lr
