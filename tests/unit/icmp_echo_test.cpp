// The echo request, its checksum, the decoding of replies and the echo algorithm over a
// scripted raw socket and clock.
#include "scanner/icmp_echo.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "scanner/id_exceptions.h"
#include "tests/unit/wait_guard.h"

namespace lr {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An IPv4 header of 20 bytes from `src` with `ttl`, then the ICMP message: an echo
// carries the sequence at its offset 6; unreachable and time exceeded quote the request
// (its 20-byte IPv4 header, then its first 8 bytes) after their own 8 bytes.
Bytes Datagram(std::uint8_t type, std::uint16_t seq, std::uint8_t ttl = 64,
               Bytes src = {10, 9, 0, 7}) {
  const bool quotes = type == 3 || type == 11;
  Bytes d(quotes ? 56 : 72, 0);
  d[0] = 0x45;
  d[8] = ttl;
  d[9] = 1;
  std::copy(src.begin(), src.end(), d.begin() + 12);
  d[20] = type;
  if (quotes) {
    d[28] = 0x45;
    d[48] = 8;
  } else {
    std::fill(d.begin() + 28, d.end(), 0x45);
  }
  const size_t at = quotes ? 54 : 26;
  d[at] = static_cast<std::uint8_t>(seq & 0xFF);
  d[at + 1] = static_cast<std::uint8_t>(seq >> 8);
  return d;
}

TEST(EchoRequest, LayoutChecksumAndPayload) {
  std::uint8_t req[kEchoRequestSize];
  BuildEchoRequest(req, 0x1234, 3489, 0xA1B2C3D4, "");
  EXPECT_EQ(req[0], 8);
  EXPECT_EQ(req[1], 0);
  EXPECT_EQ(req[4], 0x34);
  EXPECT_EQ(req[5], 0x12);
  EXPECT_EQ(req[6], 0xA1);
  EXPECT_EQ(req[7], 0x0D);
  EXPECT_EQ((Bytes{req[8], req[9], req[10], req[11]}), (Bytes{0xD4, 0xC3, 0xB2, 0xA1}));
  for (int i = 12; i < 20; ++i) EXPECT_EQ(req[i], 0) << i;
  for (int i = 20; i < 52; ++i) EXPECT_EQ(req[i], 0x45) << i;
  // A correct Internet checksum makes the one's-complement sum of the whole message 0xFFFF,
  // which the checksum of the message with its checksum in place shows as 0.
  EXPECT_EQ(IcmpChecksum(req, sizeof req), 0);

  BuildEchoRequest(req, 1, 2, 3, "hello");
  EXPECT_EQ(std::string(req + 20, req + 25), "hello");
  for (int i = 25; i < 52; ++i) EXPECT_EQ(req[i], 0x45) << i;
  BuildEchoRequest(req, 1, 2, 3, std::string(40, 'z'));
  for (int i = 20; i < 52; ++i) EXPECT_EQ(req[i], 'z') << i;
  EXPECT_EQ(IcmpChecksum(req, sizeof req), 0);
}

TEST(EchoRequest, ChecksumMatchesRfc1071ExampleAndFoldsItsCarryTwice) {
  // RFC 1071's example bytes 00 01 f2 03 f4 f5 f6 f7 sum to ddf2 (big-endian words); read
  // low byte first the words are swapped, so the checksum bytes stored low first are the
  // complement of f2 dd, i.e. 0d 22. FFFF + FFFF + 0001 folds to 1 0000 and again to 0001.
  const struct {
    std::vector<std::uint8_t> data;
    std::uint16_t checksum;
  } cases[] = {
      {{0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7}, 0x0D22},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00}, 0xFFFE},
  };
  for (const auto& c : cases) EXPECT_EQ(IcmpChecksum(c.data.data(), c.data.size()), c.checksum);
}

TEST(DecodeEchoReply, KindsAndMatching) {
  TReplyStatus s;
  Bytes reply = Datagram(0, 3489, 57);
  ASSERT_EQ(DecodeEchoReply(reply.data(), reply.size(), 3489, s), DecodeResult::kMatch);
  EXPECT_EQ(s.Kind, rkEchoReply);
  EXPECT_EQ(s.ByteCount, 72);
  EXPECT_EQ(s.SourceAddress, "10.9.0.7");
  EXPECT_EQ(s.ReplyTtl, 57);
  EXPECT_EQ(s.IcmpType, 0);

  Bytes request = Datagram(8, 3489);
  ASSERT_EQ(DecodeEchoReply(request.data(), request.size(), 3489, s), DecodeResult::kMatch);
  EXPECT_EQ(s.IcmpType, 8);
  EXPECT_EQ(s.Kind, rkEchoReply);

  Bytes unreach = Datagram(3, 3489, 64, {10, 9, 0, 1});
  ASSERT_EQ(DecodeEchoReply(unreach.data(), unreach.size(), 3489, s), DecodeResult::kMatch);
  EXPECT_EQ(s.Kind, rkUnreachable);
  EXPECT_EQ(s.SourceAddress, "10.9.0.1");
  Bytes expired = Datagram(11, 3489);
  ASSERT_EQ(DecodeEchoReply(expired.data(), expired.size(), 3489, s), DecodeResult::kMatch);
  EXPECT_EQ(s.Kind, rkTtlExpired);

  Bytes other = Datagram(0, 3488);
  EXPECT_EQ(DecodeEchoReply(other.data(), other.size(), 3489, s), DecodeResult::kSkip);
}

TEST(DecodeEchoReply, ShortAndForeignDatagramsThrow) {
  TReplyStatus s;
  Bytes reply = Datagram(0, 1);
  EXPECT_THROW(DecodeEchoReply(reply.data(), 27, 1, s), EIdIcmpException);
  try {
    DecodeEchoReply(reply.data(), 27, 1, s);
  } catch (const EIdIcmpException& e) {
    EXPECT_STREQ(e.what(), "Not enough bytes received");
  }
  Bytes redirect = Datagram(5, 1);
  try {
    DecodeEchoReply(redirect.data(), redirect.size(), 1, s);
    FAIL();
  } catch (const EIdIcmpException& e) {
    EXPECT_STREQ(e.what(), "Non-echo type response received");
  }
  // An unreachable message cut right after its own 8 bytes: the quoted sequence lies past
  // the datagram and reads as zero, so it matches sequence 0 only.
  Bytes cut = Datagram(3, 77);
  cut.resize(28);
  EXPECT_EQ(DecodeEchoReply(cut.data(), cut.size(), 77, s), DecodeResult::kSkip);
  EXPECT_EQ(DecodeEchoReply(cut.data(), cut.size(), 0, s), DecodeResult::kMatch);
  // A header length of 60 bytes in a short datagram.
  Bytes big_header = {0x4F, 0, 0, 0, 0, 0, 0, 0, 64};
  EXPECT_THROW(DecodeEchoReply(big_header.data(), big_header.size(), 0, s), EIdIcmpException);
}

TEST(LiteralHostAddress, OnlyFourDecimalOctetsOrLocalhostAndTicksWrap) {
  std::uint32_t a = 0;
  EXPECT_TRUE(LiteralHostAddress("LocalHost", a));
  EXPECT_EQ(a, 0x7F000001u);
  EXPECT_TRUE(LiteralHostAddress("192.168.0.254", a));
  EXPECT_EQ(a, 0xC0A800FEu);
  for (const char* name :
       {"192.168.256.1", "10.1", "1.2.3.4.", "host", "1.2.3.4 ", "0x1.2.3.4", "1.2.3.1000", ""}) {
    EXPECT_FALSE(LiteralHostAddress(name, a)) << name;
  }
}

// A scripted socket: each WaitReadable pops one step; a step advances the clock and
// either delivers a datagram or reports nothing readable.
class FakeClock : public IcmpClock {
 public:
  std::uint32_t TickCount() override { return now; }
  std::uint32_t ProcessId() override { return 0x00054321; }
  std::uint32_t now = 1000;
};

class FakeSocket : public IcmpRawSocket {
 public:
  struct Step {
    std::uint32_t advance_ms;
    Bytes datagram;  // empty: nothing readable
  };
  explicit FakeSocket(FakeClock& clock) : clock_(clock) {}

  std::uint32_t Resolve(const std::string& host) override {
    resolved.push_back(host);
    if (host == "known.lab") return 0x0A090007;
    RaiseSocketError(11001);
  }
  int SendTo(const std::uint8_t* data, size_t n, std::uint32_t address, int) override {
    open = true;
    sent.emplace_back(data, data + n);
    addresses.push_back(address);
    if (send_error) RaiseSocketError(send_error);
    return short_send ? static_cast<int>(n) - 1 : static_cast<int>(n);
  }
  bool WaitReadable(std::uint32_t timeout_ms) override {
    waits.push_back(timeout_ms);
    if (steps.empty()) {  // the script is done: nothing more comes
      clock_.now += timeout_ms;
      guard.Wait(timeout_ms != 0, "the echo client's wait for its reply");
      return false;
    }
    Step s = steps.front();
    steps.pop_front();
    clock_.now += s.advance_ms;
    pending = s.datagram;
    return !s.datagram.empty();
  }
  int Recv(std::uint8_t* buffer, size_t size) override {
    const size_t n = std::min(size, pending.size());
    std::copy(pending.begin(), pending.begin() + n, buffer);
    return static_cast<int>(n);
  }
  void Close() override {
    open = false;
    ++closes;
  }

  std::deque<Step> steps;
  std::vector<Bytes> sent;
  std::vector<std::uint32_t> addresses;
  std::vector<std::string> resolved;
  std::vector<std::uint32_t> waits;
  WaitGuard guard;
  Bytes pending;
  int send_error = 0;
  bool short_send = false;
  bool open = false;
  int closes = 0;

 private:
  FakeClock& clock_;
};

class EchoTest : public testing::Test {
 protected:
  FakeClock clock;
  FakeSocket socket{clock};
  IcmpEchoClient client{socket, clock};
  int replies = 0;
  void SetUp() override {
    client.Host = "10.9.0.7";
    client.ReceiveTimeout = 30;
    client.OnReply = [this](IcmpEchoClient& sender, const TReplyStatus&) {
      EXPECT_EQ(&sender, &client);
      ++replies;
    };
  }
};

TEST_F(EchoTest, SequenceCounterStartsAt3489AndWraps) {
  client.Echo();
  ASSERT_EQ(socket.sent.size(), 1u);
  EXPECT_EQ(socket.sent[0][6], 0xA1);
  EXPECT_EQ(socket.sent[0][7], 0x0D);
  EXPECT_EQ(socket.sent[0][4], 0x21);  // low 16 bits of the process id, low byte first
  EXPECT_EQ(socket.sent[0][5], 0x43);
  EXPECT_EQ(socket.addresses[0], 0x0A090007u);
  client.Echo();
  EXPECT_EQ(socket.sent[1][6] | (socket.sent[1][7] << 8), 3490);
  client.Echo({}, 65535);
  EXPECT_EQ(socket.sent[2][6] | (socket.sent[2][7] << 8), 65535);
  EXPECT_EQ(client.SequenceCounter(), 0);
  EXPECT_EQ(replies, 3);
}

TEST_F(EchoTest, TimeoutGivesTheTimedOutStatus) {
  client.Echo();
  const TReplyStatus& r = client.LastReply();
  EXPECT_EQ(r.Kind, rkTimedOut);
  EXPECT_EQ(r.ByteCount, 0);
  EXPECT_EQ(r.SourceAddress, "0.0.0.0");
  EXPECT_EQ(r.IcmpType, 0);
  EXPECT_EQ(r.ReplyTtl, 0);
  EXPECT_EQ(r.SequenceNumber, 3489);
  EXPECT_EQ(r.RoundTripMs, 30u);
  EXPECT_EQ(socket.closes, 1);
  EXPECT_FALSE(socket.open);
  EXPECT_EQ(replies, 1);
}

TEST_F(EchoTest, OtherDatagramsAreSkippedUntilTheTimeoutSinceTheWaitBegan) {
  socket.steps = {{10, Datagram(0, 3000)}, {12, Datagram(0, 3001)}, {5, Datagram(0, 3489, 99)}};
  client.Echo();
  EXPECT_EQ(client.LastReply().Kind, rkEchoReply);
  EXPECT_EQ(client.LastReply().ReplyTtl, 99);
  EXPECT_EQ(client.LastReply().RoundTripMs, 27u);
  EXPECT_EQ(socket.waits, (std::vector<std::uint32_t>{30, 20, 8}));

  // Late replies only: the wait ends once ReceiveTimeout has passed since it began.
  socket.steps = {{10, Datagram(0, 1)}, {25, Datagram(0, 2)}};
  client.Echo();
  EXPECT_EQ(client.LastReply().Kind, rkTimedOut);
  EXPECT_EQ(client.LastReply().SequenceNumber, 3490);
  EXPECT_EQ(socket.waits.size(), 5u);
}

TEST_F(EchoTest, ZeroAndNegativeTimeoutPollOnce) {
  client.ReceiveTimeout = 0;
  socket.steps = {{0, Datagram(0, 3489)}};
  client.Echo();
  EXPECT_EQ(client.LastReply().Kind, rkEchoReply);
  client.ReceiveTimeout = -5;
  client.Echo();
  EXPECT_EQ(client.LastReply().Kind, rkTimedOut);
  EXPECT_EQ(socket.waits, (std::vector<std::uint32_t>{0, 0}));
}

TEST_F(EchoTest, FailuresLeaveStateAndSocketAsTheyWere) {
  client.Echo();
  const TReplyStatus before = client.LastReply();

  socket.steps = {{1, Datagram(5, 3490)}};  // a redirect during the wait
  EXPECT_THROW(client.Echo(), EIdIcmpException);
  EXPECT_EQ(client.SequenceCounter(), 3490);
  EXPECT_EQ(client.LastReply().Kind, before.Kind);
  EXPECT_TRUE(socket.open);  // left open; the next echo goes on with it
  EXPECT_EQ(replies, 1);

  socket.short_send = true;
  EXPECT_THROW(client.Echo(), EIdNotAllBytesSent);
  socket.short_send = false;
  socket.send_error = 10038;
  EXPECT_THROW(client.Echo(), EIdNotASocket);
  socket.send_error = 10065;
  try {
    client.Echo();
    FAIL();
  } catch (const EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 10065);
    EXPECT_STREQ(e.what(), "Socket Error # 10065\r\nNo route to host.");
  }
  EXPECT_EQ(client.SequenceCounter(), 3490);
  EXPECT_EQ(replies, 1);
  EXPECT_EQ(SocketErrorMessage(12345), "Socket Error # 12345\r\n");
}

TEST_F(EchoTest, NamesGoToTheResolverAndUnknownOnesFailBeforeSending) {
  client.Host = "192.168.256.1";
  try {
    client.Echo();
    FAIL();
  } catch (const EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 11001);
    EXPECT_STREQ(e.what(), "Socket Error # 11001\r\nHost not found.");
  }
  EXPECT_TRUE(socket.sent.empty());
  client.Host = "known.lab";
  client.Echo();
  EXPECT_EQ(socket.addresses.back(), 0x0A090007u);
  client.Host = "localhost";
  client.Echo();
  EXPECT_EQ(socket.addresses.back(), 0x7F000001u);
  EXPECT_EQ(socket.resolved, (std::vector<std::string>{"192.168.256.1", "known.lab"}));
}

}  // namespace
}  // namespace lr
