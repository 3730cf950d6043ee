#include "hostlist/name_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lr {
namespace {

// The list "ip name" rows; the rows the pattern changes ({} for all); what each changed
// row would become, in counting order, as "ip name", or "!" and the start of its fault, or
// "?" when the pattern's own fault (the last field) makes it moot.
struct PatternCase {
  const char* what;
  std::vector<std::pair<std::string, std::string>> list;
  std::vector<size_t> chosen;
  NamePattern pattern;
  std::vector<std::string> rows;
  std::string fault = {};
};

NamePattern Pattern(std::string prefix, std::string start, std::string width, PatternNumber number,
                    PatternOrder order, std::string start_address = {}, std::string mask = {}) {
  return NamePattern{
      std::move(prefix),      std::move(start),         std::move(width), number, order,
      !start_address.empty(), std::move(start_address), std::move(mask)};
}

constexpr auto kCounter = PatternNumber::kCounter;
constexpr auto kLast = PatternNumber::kLastOctet;
constexpr auto kByList = PatternOrder::kList;
constexpr auto kByIp = PatternOrder::kAddress;

const std::vector<std::pair<std::string, std::string>> kThree = {
    {"192.168.0.21", "a"}, {"192.168.0.3", "b"}, {"typed", "c"}};

TEST(NamePattern, PlansNamesAndAddressesAndRefusesWhatTheCheckWould) {
  const PatternCase cases[] = {
      {"address order: numerically, no address last",
       kThree,
       {},
       Pattern("PC", "1", "3", kCounter, kByIp),
       {"192.168.0.3 PC001", "192.168.0.21 PC002", "typed PC003"}},
      {"list order, other start and width",
       kThree,
       {},
       Pattern("网吧", "98", "2", kCounter, kByList),
       {"192.168.0.21 网吧98", "192.168.0.3 网吧99", "typed 网吧100"}},
      {"last number, padded; no address to take it from",
       kThree,
       {},
       Pattern("PC", "1", "3", kLast, kByIp),
       {"192.168.0.3 PC003", "192.168.0.21 PC021", "!IP地址不是"}},
      {"only the chosen row; a name another row keeps is refused",
       {{"10.0.0.1", "PC001 "}, {"10.0.0.2", "x"}},
       {1},
       Pattern("pc", "1", "3", kCounter, kByIp),
       {"!与第1行计算机名相同"}},
      {"addresses skip the network and broadcast and stay in the subnet",
       kThree,
       {},
       Pattern("PC", "1", "0", kLast, kByList, "192.168.0.254", "255.255.255.0"),
       {"192.168.0.254 PC254", "!超出子网192.168.0.0/255.255.255.0", "!超出子网"}},
      {"/30 skips its edges and stops at its end",
       kThree,
       {},
       Pattern("PC", "1", "3", kCounter, kByList, "10.0.0.4", "255.255.255.252"),
       {"10.0.0.5 PC001", "10.0.0.6 PC002", "!超出子网10.0.0.4/255.255.255.252"}},
      {"last number, two digits",
       kThree,
       {0, 1},
       Pattern("PC", "1", "2", kLast, kByIp),
       {"192.168.0.3 PC03", "192.168.0.21 PC21"}},
      {"nine digits of start, and the counter runs on past them",
       {{"1.2.3.4", "a"}, {"1.2.3.5", "b"}},
       {},
       Pattern("P", "999999999", "0", kCounter, kByList),
       {"1.2.3.4 P999999999", "1.2.3.5 P1000000000"}},
      {"width 15 is the widest",
       {{"1.2.3.4", "a"}},
       {},
       Pattern("", "1", "15", kCounter, kByList),
       {"!计算机名全是数字"}},
      {"a wider mask runs on past .255",
       kThree,
       {},
       Pattern("PC", "1", "3", kCounter, kByList, "10.1.0.254", "255.255.0.0"),
       {"10.1.0.254 PC001", "10.1.0.255 PC002", "10.1.1.0 PC003"}},
      {"start on a network address; default mask",
       kThree,
       {},
       Pattern("PC", "7", "1", kCounter, kByIp, "10.0.0.0", "255.0.255.0"),
       {"10.0.0.1 PC7", "10.0.0.2 PC8", "10.0.0.3 PC9"}},
      {"an address of an unchosen row is refused",
       kThree,
       {0, 2},
       Pattern("PC", "1", "3", kCounter, kByList, "192.168.0.2"),
       {"192.168.0.2 PC001", "!与第2行IP地址相同"}},
      {"names Windows refuses: digits only, too long",
       kThree,
       {0, 1},
       Pattern("", "1", "3", kCounter, kByList),
       {"!计算机名全是数字", "!计算机名全是数字"}},
      {"over 15 bytes",
       {{"1.2.3.4", "a"}},
       {},
       Pattern("ABCDEFGHIJKLM", "1", "3", kCounter, kByList),
       {"!计算机名超过15个字节"}},
      {"bad start number",
       kThree,
       {0},
       Pattern("PC", "1x", "3", kCounter, kByList),
       {"?"},
       "起始序号"},
      {"width over 15", kThree, {0}, Pattern("PC", "1", "16", kCounter, kByList), {"?"}, "位数"},
      {"ten digits of start",
       kThree,
       {0},
       Pattern("P", "1234567890", "3", kCounter, kByList),
       {"?"},
       "起始序号"},
      {"loopback start",
       kThree,
       {0},
       Pattern("PC", "1", "3", kCounter, kByList, "127.0.0.1"),
       {"?"},
       "起始地址"},
  };
  for (const PatternCase& c : cases) {
    SCOPED_TRACE(c.what);
    HostList hosts;
    for (const auto& [ip, name] : c.list) hosts.Append(HostRecord{ip, "m", "WG", name, ""});
    std::vector<size_t> chosen = c.chosen;
    if (chosen.empty())
      for (size_t i = 0; i < c.list.size(); ++i) chosen.push_back(i);
    const PatternPlan plan = PlanNamePattern(hosts, chosen, c.pattern);
    EXPECT_EQ(plan.fault.rfind(c.fault, 0), 0u) << plan.fault;
    EXPECT_EQ(plan.fault.empty(), c.fault.empty()) << plan.fault;
    ASSERT_EQ(plan.rows.size(), c.rows.size());
    for (size_t i = 0; i < c.rows.size(); ++i) {
      const PatternRow& row = plan.rows[i];
      if (c.rows[i] == "?") continue;
      if (c.rows[i][0] == '!')
        EXPECT_EQ(row.fault.rfind(c.rows[i].substr(1), 0), 0u) << i << ": " << row.fault;
      else
        EXPECT_EQ(row.fault + row.ip + " " + row.name, c.rows[i]) << i;
    }
    const bool sound = c.fault.empty() && std::none_of(c.rows.begin(), c.rows.end(),
                                                       [](auto& r) { return r[0] == '!'; });

    EXPECT_EQ(plan.Writable(), sound);
    // Only a sound plan changes the list; it changes exactly its rows.
    std::vector<HostRecord> before;
    for (size_t i = 0; i < hosts.Count(); ++i) before.push_back(hosts.At(i));
    EXPECT_EQ(ApplyNamePattern(hosts, plan), sound ? plan.rows.size() : 0u);
    for (const PatternRow& row : plan.rows) {
      HostRecord want = before[row.pos];
      if (sound) want.ip = row.ip, want.name = row.name;
      EXPECT_EQ(hosts.At(row.pos), want);
    }
  }
}

TEST(NamePattern, ARowRemovedAfterPlanningIsSkipped) {
  HostList hosts;
  for (const auto& [ip, name] : kThree) hosts.Append(HostRecord{ip, "m", "WG", name, ""});
  const PatternPlan plan = PlanNamePattern(hosts, {0, 1, 2}, NamePattern{});
  hosts.RemoveAt(1);
  EXPECT_EQ(ApplyNamePattern(hosts, plan), 2u);
  EXPECT_EQ(hosts.At(0).name, "PC002");
  EXPECT_EQ(hosts.At(1).name, "PC003");
}

}  // namespace
}  // namespace lr
