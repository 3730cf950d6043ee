// The NetBIOS range walk over its table of ranges, and the retry rounds after it.
#include "scanner/nbt_walk.h"

#include "scanner/nbt_retry.h"

#include <gtest/gtest.h>

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
// resolved and that never answered are asked again, in the walk's order.
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
  const std::vector<std::string> walked = ips({1, 2, 3, 4, 5});
  NbtRetry retry;
  retry.Answered("10.0.0.2");
  retry.Answered("10.0.0.9");  // outside the range: a late or stray answer
  EXPECT_EQ(retry.NextRound(walked, set({9, 4, 2, 3})), ips({3, 4}));
  EXPECT_EQ(retry.FoundOnRetry(), 0u);
  retry.Answered("10.0.0.4");
  retry.Answered("10.0.0.4");
  // Resolved meanwhile (.5) joins the next round; an answer counts once.
  EXPECT_EQ(retry.NextRound(walked, set({2, 3, 4, 5})), ips({3, 5}));
  EXPECT_EQ(retry.FoundOnRetry(), 1u);
  retry.Answered("10.0.0.5");
  EXPECT_EQ(retry.FoundOnRetry(), 2u);
  EXPECT_EQ(retry.NextRound(walked, set({1, 2, 3, 4, 5})), ips({1, 3}));
  retry.Clear();
  EXPECT_EQ(retry.FoundOnRetry(), 0u);
  // Silent only looks: an address it names and that answers then was not retried.
  EXPECT_EQ(retry.Silent(walked, set({2})), ips({2}));
  retry.Answered("10.0.0.2");
  EXPECT_EQ(retry.FoundOnRetry(), 0u);
  EXPECT_TRUE(retry.NextRound(walked, set({2})).empty());
}

}  // namespace
}  // namespace lr
