// The NetBIOS range walk over its table of ranges, the retry rounds after it and the rows
// they make, and the fast sweep against a fake clock and scanner.
#include "scanner/nbt_walk.h"

#include "scanner/nbt_fast_sweep.h"
#include "scanner/nbt_retry.h"
#include "tests/unit/wait_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace lr {
namespace {

std::vector<std::string> Range(const std::string& prefix, int from, int to) {
  std::vector<std::string> out;
  for (int i = from; i <= to; ++i) out.push_back(prefix + std::to_string(i));
  return out;
}

TEST(NbtWalk, EndIsNotQueriedUnlessItIsTheStart) {
  const auto t = NbtQueryTargets("192.168.0.1", "192.168.0.254");
  EXPECT_EQ(t, Range("192.168.0.", 1, 253));
  EXPECT_EQ(NbtQueryTargets("192.168.0.5", "192.168.0.5"),
            (std::vector<std::string>{"192.168.0.5"}));
  EXPECT_EQ(NbtQueryTargets("192.168.0.10", "192.168.0.5"),
            (std::vector<std::string>{"192.168.0.10"}));
  EXPECT_EQ(NbtQueryTargets("192.168.3.5", "192.168.1.9"),
            (std::vector<std::string>{"192.168.3.5"}));
}

TEST(NbtWalk, CarryQueriesDot255AndSkipsDot0) {
  auto expected = Range("192.168.0.", 250, 255);
  expected.push_back("192.168.1.1");
  expected.push_back("192.168.1.2");
  EXPECT_EQ(NbtQueryTargets("192.168.0.250", "192.168.1.3"), expected);
}

TEST(NbtWalk, StopsWhenTheThirdOctetReaches255) {
  EXPECT_EQ(NbtQueryTargets("10.0.254.250", "10.0.255.9"), Range("10.0.254.", 250, 255));
  EXPECT_EQ(NbtQueryTargets("10.0.255.1", "10.0.255.9"), (std::vector<std::string>{"10.0.255.1"}));
}

TEST(NbtWalk, FirstTwoOctetsComeFromTheStart) {
  EXPECT_EQ(NbtQueryTargets("10.1.0.1", "172.16.0.3"),
            (std::vector<std::string>{"10.1.0.1", "10.1.0.2"}));
}

TEST(NbtWalk, EveryRangeEnds) {
  // The walk over whole third octets is bounded (at most 255 * 255 steps).
  for (int sc : {0, 1, 254, 255}) {
    for (int ec : {0, 1, 254, 255}) {
      for (int sd : {0, 1, 254, 255}) {
        for (int ed : {0, 1, 254, 255}) {
          const std::uint8_t s[4] = {10, 0, static_cast<std::uint8_t>(sc),
                                     static_cast<std::uint8_t>(sd)};
          const std::uint8_t e[4] = {10, 0, static_cast<std::uint8_t>(ec),
                                     static_cast<std::uint8_t>(ed)};
          NbtWalk walk(s, e);
          int steps = 1;
          while (walk.Advance()) ASSERT_LT(++steps, 70000);
        }
      }
    }
  }
}

// Rounds of a sweep of .1 to .5: only addresses of the range that the neighbour table
// resolved and that never answered are asked again, in the walk's order; a retry query
// goes only to an address still silent when it is due.
TEST(NbtRetry, AsksAgainOnlyResolvedSilentAddressesOfTheRange) {
  const auto ips = [](std::initializer_list<int> last) {
    std::vector<std::string> out;
    for (int d : last) out.push_back("10.0.0." + std::to_string(d));
    return out;
  };
  const auto set = [&](std::initializer_list<int> last) {
    const auto v = ips(last);
    return std::set<std::string>(v.begin(), v.end());
  };
  const std::vector<std::string> walked = ips({1, 2, 3, 4, 5, 3});
  NbtRetry retry;
  retry.Answered("10.0.0.2");
  retry.Answered("10.0.0.9");  // outside the range: a late or stray answer
  EXPECT_EQ(retry.Silent(walked, set({9, 4, 2, 3, 7})), ips({3, 4}));
  EXPECT_TRUE(retry.AskAgain("10.0.0.3"));
  retry.Answered("10.0.0.4");  // late, before its retry was due
  EXPECT_FALSE(retry.AskAgain("10.0.0.4"));
  EXPECT_EQ(retry.FoundOnRetry(), 0u);
  EXPECT_EQ(retry.Silent(walked, set({2, 3, 4, 5})), ips({3, 5}));
  retry.Answered("10.0.0.3");
  EXPECT_EQ(retry.FoundOnRetry(), 1u);
  retry.Clear();
  EXPECT_EQ(retry.FoundOnRetry(), 0u);
  EXPECT_EQ(retry.Silent(walked, set({2})), ips({2}));
}

// Which answers become rows: every one in a sweep without retries, only the first of an
// address that was asked again (its late answer and the retry's both come), and only the
// first of each address in a sweep that keeps one row per address.
TEST(NbtRetry, RowsOfRepeatedAnswers) {
  struct Step {
    char what;  // 'a': an answer from ip, 'q': a retry query due for ip
    const char* ip;
    bool yes;  // a row, or the query goes out
  };
  const struct {
    bool one_row;
    std::vector<Step> steps;
  } cases[] = {
      {false, {{'a', "1", true}, {'a', "1", true}, {'q', "1", false}, {'a', "1", true}}},
      {false, {{'q', "2", true}, {'a', "2", true}, {'a', "2", false}, {'a', "3", true}}},
      {false, {{'a', "4", true}, {'q', "5", true}, {'a', "4", true}, {'a', "5", true}}},
      {true, {{'a', "1", true}, {'a', "1", false}, {'a', "2", true}, {'q', "2", false}}},
  };
  for (const auto& c : cases) {
    NbtRetry retry;
    retry.Answered("1");  // a left-over of the sweep before
    retry.Clear(c.one_row);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      EXPECT_EQ(s.what == 'a' ? retry.Answered(s.ip) : retry.AskAgain(s.ip), s.yes)
          << c.one_row << " step " << i << " " << s.what << s.ip;
    }
  }
}

// The sweep thread's view of the scanner, on a fake clock: each wait passes its time, each
// hand-over of queries costs `send_us` (or `stall_us` once, at the `stall_at`-th), a retry
// round has all answered `answered_after` its last query, and the stop comes with the
// `stop_at_wait`-th wait.
class FakeSweepPort : public NbtSweepPort {
 public:
  std::uint64_t NowUs() override { return now; }
  bool WaitUs(std::uint64_t us) override {
    // A coarse timer wakes late.
    now += us + late_us;
    guard.Wait(us + late_us != 0, us == 0 ? "the fast NetBIOS sweep's paced send loop"
                                          : "the fast NetBIOS sweep's waits");
    if (!log.empty() && log.back().rfind("wait ", 0) == 0) {  // waits in a row as one
      log.back() = "wait " + std::to_string(std::stoull(log.back().substr(5)) + us);
    } else {
      log.push_back("wait " + std::to_string(us));
    }
    if (++waits == stop_at_wait) stopped = true;
    return !stopped;
  }
  bool Stopped() override { return stopped; }
  void Send(const std::vector<std::string>& ips, bool again) override {
    for (const std::string& ip : ips) sent.push_back({now, ip + (again ? " again" : "")});
    log.push_back("send " + std::to_string(ips.size()));
    now += ++sends == stall_at ? stall_us : send_us;
  }
  bool AllAnswered(const std::vector<std::string>&) override {
    return now - sent.back().first >= answered_after;
  }
  std::vector<std::string> Silent() override {
    log.push_back("silent");
    if (rounds.empty()) return {};
    std::vector<std::string> r = rounds.front();
    rounds.erase(rounds.begin());
    return r;
  }

  std::uint64_t now = 1000000, send_us = 0, stall_us = 0, late_us = 0,
                answered_after = UINT64_MAX / 2;
  int sends = 0, stall_at = 0, waits = 0, stop_at_wait = 0;
  bool stopped = false;
  WaitGuard guard;
  std::vector<std::vector<std::string>> rounds;
  std::vector<std::pair<std::uint64_t, std::string>> sent;
  std::vector<std::string> log;
};

TEST(NbtFastSweep, PacedQueriesOneWaitAfterTheLastAndRetryRounds) {
  const auto range = Range("10.0.", 0, 4999);
  constexpr std::uint64_t kNo = UINT64_MAX / 2;
  const struct {
    const char* name;
    std::uint64_t send_us, stall_us;
    int stall_at, stop_at_wait;
    std::uint64_t late_us;
    std::uint64_t answered_after;
    std::vector<std::vector<std::string>> rounds;
    size_t sent;       // queries that go out
    const char* tail;  // the log after the last query
  } cases[] = {
      // clang-format off
      {"no loss", 0, 0, 0, 0, 0, kNo, {}, 5000, "wait 100000,silent"},
      {"slow hand-over", 700, 0, 0, 0, 0, kNo, {}, 5000, "wait 100000,silent"},
      {"held up by a box", 0, 3000000, 7, 0, 0, kNo, {}, 5000, "wait 100000,silent"},
      {"two rounds", 0, 0, 0, 0, 0, kNo, {{"10.0.3", "10.0.9"}, {"10.0.9"}, {"x"}}, 5003,
       "wait 100000,silent,send 1,wait 100000"},
      {"empty round", 0, 0, 0, 0, 0, kNo, {{"10.0.3"}, {}}, 5001, "wait 100000,silent"},
      {"rounds answered early", 0, 0, 0, 0, 0, 12000, {{"10.0.3"}, {"x"}}, 5002,
       "wait 100000,silent,send 1,wait 15000,silent,send 1,wait 15000"},
      // Waits that wake 10 ms late: a round still ends a time-out after it began.
      {"coarse timer", 0, 0, 0, 0, 10000, kNo, {{"10.0.3"}, {"x"}}, 5002,
       "wait 100000,silent,send 1,wait 35000,silent,send 1,wait 35000"},
      {"stop in a pacing wait", 0, 0, 0, 20, 0, kNo, {}, 20, "send 1,wait 500"},
      {"stop in the last wait", 0, 0, 0, 5000, 0, kNo, {{"10.0.3"}}, 5000, "wait 100000"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSweepPort port;
    port.send_us = c.send_us;
    port.stall_us = c.stall_us;
    port.stall_at = c.stall_at;
    port.stop_at_wait = c.stop_at_wait;
    port.late_us = c.late_us;
    port.answered_after = c.answered_after;
    port.rounds = c.rounds;
    const std::uint64_t begin = port.now;
    RunNbtFastSweep(port, range, 100);
    ASSERT_EQ(port.sent.size(), c.sent);
    for (size_t i = 0; i < std::min<size_t>(c.sent, range.size()); ++i)
      ASSERT_EQ(port.sent[i].second, range[i]);
    if (c.sent > range.size()) {
      EXPECT_EQ(port.sent[range.size()].second, "10.0.3 again");
    }
    // Never early: query i of a run goes out no sooner than i intervals after its first,
    // and no more than a burst window's worth ever catches up at once.
    for (size_t i = 0; i < std::min<size_t>(c.sent, range.size()); ++i) {
      ASSERT_GE(port.sent[i].first, begin + i * 500) << i;
      if (i >= 40) {
        ASSERT_GE(port.sent[i].first - port.sent[i - 40].first, 500u * 6) << i;
      }
    }
    const size_t tail = std::count(c.tail, c.tail + std::strlen(c.tail), ',') + 1;
    ASSERT_GE(port.log.size(), tail);
    std::string got;
    for (size_t i = port.log.size() - tail; i < port.log.size(); ++i)
      got += (got.empty() ? "" : ",") + port.log[i];
    EXPECT_EQ(got, c.tail);
  }
}

}  // namespace
}  // namespace lr
