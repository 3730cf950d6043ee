// The echo algorithm: build, send, wait skipping other datagrams, record, advance.
#include "scanner/icmp_echo.h"

#include <cstring>

#include "base/gbk.h"
#include "scanner/id_exceptions.h"

namespace lr {

std::uint32_t TicksElapsed(std::uint32_t a, std::uint32_t b) {
  return b >= a ? b - a : (0xFFFFFFFFu - a) + b;
}

bool LiteralHostAddress(std::string_view host, std::uint32_t& address) {
  if (GbkIEquals(host, "LOCALHOST")) {
    address = 0x7F000001u;
    return true;
  }
  std::uint32_t value = 0;
  size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= host.size() || host[i] != '.') return false;
      ++i;
    }
    const size_t begin = i;
    unsigned octet = 0;
    while (i < host.size() && host[i] >= '0' && host[i] <= '9' && i - begin < 3) {
      octet = octet * 10 + static_cast<unsigned>(host[i] - '0');
      ++i;
    }
    if (i == begin || octet > 255) return false;
    if (i < host.size() && host[i] >= '0' && host[i] <= '9') return false;
    value = (value << 8) | octet;
  }
  if (i != host.size()) return false;
  address = value;
  return true;
}

IcmpEchoClient::IcmpEchoClient(IcmpRawSocket& socket, IcmpClock& clock)
    : socket_(socket), clock_(clock) {}

void IcmpEchoClient::Echo(std::string_view payload, std::uint16_t sequence) {
  if (sequence != 0) sequence_ = sequence;
  BuildEchoRequest(send_buffer_, static_cast<std::uint16_t>(clock_.ProcessId() & 0xFFFF), sequence_,
                   clock_.TickCount(), payload);
  const std::uint32_t start = clock_.TickCount();

  std::uint32_t address = 0;
  if (!LiteralHostAddress(Host, address)) address = socket_.Resolve(Host);
  const int sent = socket_.SendTo(send_buffer_, kEchoRequestSize, address, Port);
  if (sent != static_cast<int>(kEchoRequestSize)) throw EIdNotAllBytesSent();

  TReplyStatus reply = WaitForReply();
  reply.RoundTripMs = TicksElapsed(start, clock_.TickCount());
  last_reply_ = reply;
  socket_.Close();
  if (OnReply) OnReply(*this, last_reply_);
  ++sequence_;
}

TReplyStatus IcmpEchoClient::WaitForReply() {
  const std::int64_t timeout = ReceiveTimeout < 0 ? 0 : ReceiveTimeout;
  std::int64_t remaining = timeout;
  const std::uint32_t begin = clock_.TickCount();
  TReplyStatus status;
  for (;;) {
    int n = 0;
    if (socket_.WaitReadable(static_cast<std::uint32_t>(remaining))) {
      std::uint8_t area[sizeof receive_buffer_] = {};
      n = socket_.Recv(area, sizeof area);
      if (n < 0) n = 0;
      if (n > static_cast<int>(sizeof area)) n = static_cast<int>(sizeof area);
      std::memcpy(receive_buffer_, area, sizeof area);
    }
    const DecodeResult result =
        DecodeEchoReply(receive_buffer_, static_cast<size_t>(n), sequence_, status);
    if (result != DecodeResult::kSkip) return status;
    status = TimedOutStatus(sequence_);
    remaining = timeout - static_cast<std::int64_t>(TicksElapsed(begin, clock_.TickCount()));
    if (remaining <= 0) return status;
  }
}

}  // namespace lr
