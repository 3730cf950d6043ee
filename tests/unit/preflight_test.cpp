#include "package/preflight.h"

#include <gtest/gtest.h>

#include <sstream>

#include "clientprep/send_keys.h"
#include "package/key_syntax.h"
#include "tests/unit/send_keys_fake.h"

namespace lr {
namespace {

// Rows as "ip|mac|name", converted then checked; the answer as "row:fixed" per problem,
// "row:x" when unfixable, "!" after a row whose PC stays unconfigured as it stands, and
// "+N" for N fields converted without asking.
std::string Check(std::vector<std::string> rows, std::string mask = "255.255.255.0",
                  std::string password = "") {
  HostList hosts;
  for (const std::string& row : rows) {
    HostRecord r;
    std::istringstream in(row);
    std::getline(in, r.ip, '|');
    std::getline(in, r.mac, '|');
    std::getline(in, r.name);
    hosts.Append(r);
  }
  const size_t converted = ConvertHostTexts(hosts);
  std::string out;
  for (const PreflightProblem& p : CheckBeforeGenerating(
           hosts, {"192.168.0.1", mask, {"00:0c:29:00:00:99"}, password, "", "", false})) {
    EXPECT_FALSE(p.problem.empty());
    EXPECT_FALSE(p.fix.empty());
    out += (out.empty() ? "" : " ") + std::to_string(p.row) + ":" + (p.Fixable() ? p.fixed : "x") +
           (p.unconfigured ? "!" : "");
  }
  if (converted) out += (out.empty() ? "+" : " +") + std::to_string(converted);
  return out;
}

TEST(Preflight, EveryRule) {
  const std::string ok = "192.168.0.10|00-0C-29-AB-01-10|";
  const struct {
    std::vector<std::string> rows;
    std::string want;
  } cases[] = {
      {{ok + "PC10", "192.168.0.11|00-0c-29-ab-01-11|\xCD\xF8\xB5\x5C"}, "+1"},
      {{ok + "PC10", "192.168.0.11|00.0C.29.AB.01.11|PC11"}, "+1"},
      {{"192.168.0.11|00:0c:29:ab:01:11|PC11", "192.168.0.12|000C29AB0112|PC12"}, "+2"},
      {{"192.168.0.11|00.00.00.00.00.00|A", "192.168.0.12||B", "192.168.0.13|00-0C-29-AB-01|C",
        "192.168.0.14|00-0C:29-AB-01-14|D", "192.168.0.15|00-0C-29-AB-01-1G|E"},
       "1:x 2:x 3:x 4:x 5:x +1"},
      {{ok + "PC10", "192.168.0.11|00.0C.29.AB.01.10|PC11", "192.168.0.12|00-0C-29-AB-01-10|PC12"},
       "1:x 2:x +1"},
      {{ok + "pc10", "192.168.0.10|00-0C-29-AB-01-11|PC10"}, "2:x 2:x"},
      {{ok + "-", "192.168.0.11|00-0C-29-AB-01-11|---", "192.168.0.12|00-0C-29-AB-01-12|",
        "192.168.0.13|00-0C-29-AB-01-13|PC-4567890123456", "192.168.0.14|00-0C-29-AB-01-14|2014",
        "192.168.0.15|00-0C-29-AB-01-15|PC 15", "192.168.0.16|00-0C-29-AB-01-16|PC\x01"},
       "1:x! 2:x! 3:x! 4:x! 5:x! 6:x! 7:x!"},
      // 15 bytes is the longest name Windows keeps whole, in ASCII and in GBK alike.
      {{ok + "PC-456789012345",
        "192.168.0.11|00-0C-29-AB-01-11|\xCD\xF8\xB0\xC9\xB5\xE7\xC4\xD4\xB1\xE0\xBA\xC5\xC6\xDF"
        "A",
        "192.168.0.12|00-0C-29-AB-01-12|\xCD\xF8\xB0\xC9\xB5\xE7\xC4\xD4\xB1\xE0\xBA\xC5\xC6\xDF"
        "AB"},
       "3:x!"},
      {{ok + "A\"", "192.168.0.11|00-0C-29-AB-01-11|A/", "192.168.0.12|00-0C-29-AB-01-12|A[]",
        "192.168.0.13|00-0C-29-AB-01-13|A:|", "192.168.0.14|00-0C-29-AB-01-14|A<>+=;,?*"},
       "1:x! 2:x! 3:x! 4:x! 5:x!"},
      {{ok + "pc21.cafe.test", "192.168.0.11|00-0C-29-AB-01-11|PC11     ",
        "192.168.0.12|00-0C-29-AB-01-12|21.cafe", "192.168.0.13|00-0C-29-AB-01-13|PC11"},
       "1:pc21! 3:x! 4:x +1"},
      {{"192.168.0|00-0C-29-AB-01-10|A", "192.168.0.010|00-0C-29-AB-01-11|B",
        "192.168.1.5|00-0C-29-AB-01-12|C", "192.168.0.1|00-0C-29-AB-01-13|D",
        "192.168.0.0|00-0C-29-AB-01-14|E", "192.168.0.255|00-0C-29-AB-01-15|F",
        "192.168.0.256|00-0C-29-AB-01-16|G", "192.168.0.20 |00-0C-29-AB-01-17|H"},
       "1:x 2:x 3:x 4:x 5:x 6:x 7:x 8:x"},
      {{"192.168.0.11|00.0C.29.00.00.99|PC11"}, "1:x +1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.rows), c.want) << c.rows[0];
  EXPECT_EQ(Check({ok + "PC10"}, "255.0.255.0"), "0:x");
  // The keystroke syntax in the unlock password: the fix braces it, a plain one is sound.
  EXPECT_EQ(Check({ok + "PC10"}, "255.255.255.0", "a+b{TAB}"), "0:a{+}b{{}TAB{}}");
  EXPECT_EQ(Check({ok + "PC10"}, "255.255.255.0", "ab-12.!"), "");
}

// The DNS fields: a filled one must be a server's address; both empty is a problem only when
// the master's own DNS servers come from DHCP (its clones' static addresses would have none).
TEST(Preflight, DnsServerRows) {
  HostList hosts;
  hosts.Append(HostRecord{"192.168.0.10", "00-0C-29-AB-01-10", "", "PC10", ""});
  const struct {
    std::string dns1, dns2;
    bool dhcp;
    std::string problems;  // each row's problem up to its first blank, then "|"
  } cases[] = {{"", "0.0.0.0", false, ""},
               {"0.0.0.0", "8.8.8.8", true, ""},
               {"", "0.0.0.0", true, "本机的|"},
               {"127.0.0.1", "224.0.0.1", true, "首选|备用|"},
               {"0.1.2.3", "255.255.255.255", false, "首选|备用|"}};
  for (const auto& c : cases) {
    std::string got;
    for (const PreflightProblem& p : CheckBeforeGenerating(
             hosts, {"192.168.0.1", "255.255.255.0", {}, "", c.dns1, c.dns2, c.dhcp}))
      got += p.problem.substr(0, p.problem.find(' ')) + (p.row || p.Fixable() ? "!" : "|");
    EXPECT_EQ(got, c.problems) << c.dns1 << " " << c.dns2;
  }
}

// The braced password reaches the clone's keystroke sender as its own characters: each
// one looked up in the layout, the braces pressed as their keys, no syntax left.
TEST(Preflight, TheFixedPasswordIsTypedAsWritten) {
  struct Keys : clientprep::testing::FakeKeyboard {
    std::string looked_up;
    std::uint16_t KeyForChar(char c) override {
      looked_up += c;
      return FakeKeyboard::KeyForChar(c);
    }
  };
  const std::string password = "a+b^c%d~e(f)g";
  EXPECT_TRUE(HasKeySyntax(password));
  Keys keys;
  EXPECT_TRUE(clientprep::SendKeys(EscapeKeySyntax(password), false, keys));
  EXPECT_EQ(keys.looked_up, password);
  Keys braces;
  EXPECT_TRUE(clientprep::SendKeys(EscapeKeySyntax("{}"), false, braces));
  EXPECT_EQ(braces.own_log,
            (std::vector<std::string>{"D10", "DDB", "UDB", "U10", "D10", "DDD", "UDD", "U10"}));
  EXPECT_FALSE(HasKeySyntax("abc-1.!"));
}

}  // namespace
}  // namespace lr
