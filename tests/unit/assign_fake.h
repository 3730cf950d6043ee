// Stand-ins for the assignment request's seams: a keyed digest in place of the system's
// HMAC-SHA256 (deterministic, different for every key and message, no cryptography) and
// a counter for random bytes, and the clone's sockets and clock, which hand out the
// datagrams a test queued at given times and record what was sent.
#pragma once

#include <cstdint>
#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "clientprep/assign_net.h"
#include "package/assign_crypto.h"

namespace lr::testing {

class FakeCrypto : public AssignCrypto {
 public:
  bool fails = false;
  unsigned char next = 0;

  std::string HmacSha256(std::string_view key, std::string_view data) override {
    if (fails) return {};
    std::string out;
    for (unsigned i = 0; i < 32; ++i) {
      std::uint64_t h = 1469598103934665603ull ^ i;
      for (char c : key) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
      for (char c : data) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
      out += static_cast<char>(h >> 29);
    }
    return out;
  }
  std::string RandomBytes(size_t count) override {
    if (fails) return {};
    std::string out;
    for (size_t i = 0; i < count; ++i) out += static_cast<char>(next++);
    return out;
  }
};

}  // namespace lr::testing

namespace lr::clientprep::testing {

class FakeAssignNet : public AssignNet {
 public:
  struct Arrival {
    std::uint64_t at = 0;  // ms on the fake clock
    std::string datagram;  // or, when empty and `stop`, the service told to stop
    bool stop = false;
  };
  lr::testing::FakeCrypto crypto_;
  std::deque<Arrival> arrivals;
  std::vector<std::string> sent;
  std::string computer_name = "MASTER";
  std::uint64_t now = 0;
  bool opens = true, opened = false, stopped = false;
  // Called with each request as it is sent, so a test can queue the answer to its nonce.
  std::function<void(FakeAssignNet&, const std::string&)> on_send;

  bool Open() override { return opened = opens; }
  bool Broadcast(const std::string& datagram) override {
    sent.push_back(datagram);
    if (on_send) on_send(*this, datagram);
    return true;
  }
  std::optional<std::string> Receive(unsigned ms) override {
    if (stopped) return std::nullopt;
    if (!arrivals.empty() && arrivals.front().at <= now + ms) {
      Arrival a = arrivals.front();
      arrivals.pop_front();
      now = std::max(now, a.at);
      if (a.stop) stopped = true;
      if (a.stop) return std::nullopt;
      return a.datagram;
    }
    now += ms;
    return std::nullopt;
  }
  bool Stopped() override { return stopped; }
  std::uint64_t Ticks() override { return now; }
  std::string ComputerName() override { return computer_name; }
  AssignCrypto& crypto() override { return crypto_; }
};

}  // namespace lr::clientprep::testing
