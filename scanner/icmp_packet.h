// The ICMP echo request as this client writes it, its checksum, and the decoding of a
// received raw datagram (IPv4 header first). Multi-byte ICMP fields are written and read
// least significant byte first; the peer echoes them back unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lr {

inline constexpr size_t kEchoRequestSize = 52;
inline constexpr size_t kEchoPayloadSize = 32;
inline constexpr std::uint8_t kEchoPayloadFill = 0x45;  // 'E'

enum TReplyStatusKind : std::uint8_t {
  rkEchoReply = 0,
  rkError = 1,
  rkTimedOut = 2,
  rkUnreachable = 3,
  rkTtlExpired = 4,
};

// The outcome of one echo.
struct TReplyStatus {
  std::int32_t ByteCount = 0;
  std::string SourceAddress = "0.0.0.0";
  std::uint8_t IcmpType = 0;
  std::uint16_t SequenceNumber = 0;
  std::uint32_t RoundTripMs = 0;
  std::uint8_t ReplyTtl = 0;
  TReplyStatusKind Kind = rkTimedOut;
};

// The Internet checksum (RFC 1071) of `n` bytes, words read low byte first, as the value to
// store low byte first.
std::uint16_t IcmpChecksum(const std::uint8_t* data, size_t n);

// Writes the 52-byte request into `out`: type 8, code 0, checksum, identifier, sequence,
// send stamp, 8 zero bytes, then the payload's first 32 bytes padded with 0x45.
void BuildEchoRequest(std::uint8_t (&out)[kEchoRequestSize], std::uint16_t identifier,
                      std::uint16_t sequence, std::uint32_t stamp, std::string_view payload);

enum class DecodeResult { kMatch, kTimedOut, kSkip };

// Decodes `n` received bytes against the awaited sequence number. kMatch and kTimedOut
// write `status`; kSkip leaves the datagram for the next one. A datagram shorter than its
// IPv4 header plus 8 bytes, or of another ICMP type than 0, 3, 8 and 11, throws
// EIdIcmpException. Bytes past `n` read as zero; nothing past `n` is touched.
DecodeResult DecodeEchoReply(const std::uint8_t* data, size_t n, std::uint16_t sequence,
                             TReplyStatus& status);

// The time-out values of a status for the awaited sequence number.
TReplyStatus TimedOutStatus(std::uint16_t sequence);

}  // namespace lr
