// The echo client's algorithm: one ICMP echo request to `Host` and a bounded wait for the
// datagram that carries its sequence number. The platform's raw socket and clock come in
// through two small interfaces, so the algorithm runs against fakes in the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "scanner/icmp_packet.h"

namespace lr {

// The client's one raw socket. Every call fetches the socket first: it is opened (IPv4,
// raw, the given protocol) when none is held, and the time-to-live option is set on it at
// each fetch. Failures throw the socket layer's exceptions (RaiseSocketError and the
// EIdSocketHandleError family).
class IcmpRawSocket {
 public:
  virtual ~IcmpRawSocket() = default;
  // The address of a host name (host order); throws EIdSocketError (11001 when not found).
  virtual std::uint32_t Resolve(const std::string& host) = 0;
  // Sends `n` bytes to `address` (host order) and `port`; returns the count sent.
  virtual int SendTo(const std::uint8_t* data, size_t n, std::uint32_t address, int port) = 0;
  // Waits at most `timeout_ms` (0 polls once) until a datagram can be read.
  virtual bool WaitReadable(std::uint32_t timeout_ms) = 0;
  // Receives one datagram into `buffer`; returns its length.
  virtual int Recv(std::uint8_t* buffer, size_t size) = 0;
  // Shuts down the sending side and closes the socket; the next call opens a new one.
  virtual void Close() = 0;
};

class IcmpClock {
 public:
  virtual ~IcmpClock() = default;
  // A 32-bit millisecond clock that wraps around.
  virtual std::uint32_t TickCount() = 0;
  virtual std::uint32_t ProcessId() = 0;
};

// Elapsed milliseconds from tick a to tick b across a wrap: b - a, or
// (2^32 - 1 - a) + b when b < a.
std::uint32_t TicksElapsed(std::uint32_t a, std::uint32_t b);

// The dotted-address text the client sends to without asking the resolver: "127.0.0.1"
// for LOCALHOST in any case, the text itself for four decimal numbers 0..255; empty when
// the text must go to the resolver.
bool LiteralHostAddress(std::string_view host, std::uint32_t& address);

class IcmpEchoClient {
 public:
  using ReplyHandler = std::function<void(IcmpEchoClient& sender, const TReplyStatus& reply)>;

  IcmpEchoClient(IcmpRawSocket& socket, IcmpClock& clock);
  virtual ~IcmpEchoClient() = default;

  // Properties.
  std::string Host;
  std::int32_t Port = 0;
  std::int32_t Protocol = 1;
  // A negative value waits like 0: one poll.
  std::int32_t ReceiveTimeout = 5000;
  std::int32_t BufferSize = 8192;
  ReplyHandler OnReply;

  // Sends one request and waits for its reply; a nonzero `sequence` replaces the counter
  // first. Failures are exceptions; then LastReply keeps its values, OnReply is not called
  // and the counter does not advance.
  void Echo(std::string_view payload = {}, std::uint16_t sequence = 0);

  const TReplyStatus& LastReply() const { return last_reply_; }
  std::uint16_t SequenceCounter() const { return sequence_; }
  // The last request as sent.
  const std::uint8_t* Request() const { return send_buffer_; }

 private:
  TReplyStatus WaitForReply();

  IcmpRawSocket& socket_;
  IcmpClock& clock_;
  std::uint8_t receive_buffer_[1024] = {};
  std::uint8_t send_buffer_[kEchoRequestSize] = {};
  std::uint16_t sequence_ = 3489;
  TReplyStatus last_reply_;
};

}  // namespace lr
