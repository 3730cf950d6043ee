// The assignment datagrams: what goes out comes back whole, a cut or padded datagram is
// refused, and the clone's check names why an answer does not count.
#include "package/assign_wire.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/format.h"
#include "package/assign_desk.h"

#include "tests/unit/assign_fake.h"

namespace lr {
namespace {

const std::string kKey(16, '\x11');

struct Wire : ::testing::Test {
  testing::FakeCrypto crypto;
  std::string id = AssignPackageId(crypto, kKey);
  std::string nonce = std::string(16, 'n');
  AssignAnswer answer{id, nonce, "00-1A-2B-3C-4D-5E", "192.168.1.40", "PC40"};
};

TEST_F(Wire, KeysAndRoundTrips) {
  EXPECT_EQ(ParseAssignKey(" 00112233445566778899aabbccddeeFF "),
            std::string("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF", 16));
  for (const char* bad : {"", "0011", "00112233445566778899AABBCCDDEEF",
                          "0011223344556677889"
                          "9AABBCCDDEEFG",
                          "00112233445566778899AABBCCDDEEFF00"})
    EXPECT_FALSE(ParseAssignKey(bad)) << bad;
  EXPECT_EQ(AssignKeyText(*ParseAssignKey(NewAssignKeyText(crypto))).size(), 32u);
  EXPECT_EQ(id.size(), kPackageIdBytes);
  EXPECT_NE(AssignPackageId(crypto, std::string(16, '\x12')), id);

  // MACs in any form go out in the client's form; one that doesn't parse is left out.
  const AssignRequest request{id, nonce, {"00:1a:2b:3c:4d:5e", "junk", "001A2B3C4D5F"}, "母盘"};
  const std::optional<AssignRequest> back = ParseAssignRequest(EncodeAssignRequest(request));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->macs, (std::vector<std::string>{"00-1A-2B-3C-4D-5E", "00-1A-2B-3C-4D-5F"}));
  EXPECT_EQ(back->name, "母盘");
  EXPECT_EQ(EncodeAssignRequest({id, nonce, {"junk"}, "X"}), "");
  EXPECT_EQ(ParseAssignAnswer(EncodeAssignAnswer(crypto, kKey, answer)), answer);
  // What the datagram can't carry is not sent at all.
  AssignAnswer bad[4] = {answer, answer, answer, answer};
  bad[0].ip = "1.2.3";
  bad[1].name = "";
  bad[2].mac = "1.2.3";
  bad[3].name = std::string(64, 'N');
  for (const AssignAnswer& b : bad) EXPECT_EQ(EncodeAssignAnswer(crypto, kKey, b), "") << &b - bad;
}

// Every cut and every extra byte is refused, never read past.
TEST_F(Wire, WholeOrRefused) {
  const std::string request = EncodeAssignRequest({id, nonce, {answer.mac}, "PC"});
  const std::string signed_answer = EncodeAssignAnswer(crypto, kKey, answer);
  for (size_t n = 0; n < request.size(); ++n)
    EXPECT_FALSE(ParseAssignRequest(request.substr(0, n))) << n;
  for (size_t n = 0; n < signed_answer.size(); ++n)
    EXPECT_FALSE(ParseAssignAnswer(signed_answer.substr(0, n))) << n;
  EXPECT_FALSE(ParseAssignRequest(request + "x"));
  EXPECT_FALSE(ParseAssignAnswer(signed_answer + "x"));
  EXPECT_FALSE(ParseAssignAnswer(request));
  EXPECT_TRUE(LooksLikeAssignRequest(request));
  EXPECT_FALSE(LooksLikeAssignRequest(signed_answer));
}

TEST_F(Wire, VerdictsOfTheClone) {
  const std::string good = EncodeAssignAnswer(crypto, kKey, answer);
  std::string flipped = good;
  flipped[30] ^= 1;  // the MAC changed under the signature
  AssignAnswer other = answer;
  other.nonce = std::string(16, 'o');
  AssignAnswer foreign_mac = answer;
  foreign_mac.mac = "00-00-00-00-00-01";
  AssignAnswer master = answer;
  master.mac = "00-AA-00-00-00-01";
  AssignAnswer other_package = answer;
  other_package.package_id = std::string(8, 'p');
  const std::vector<std::string> own{"00-1a-2b-3c-4d-5e", "00-AA-00-00-00-01"};
  const struct {
    std::string datagram;
    AnswerVerdict verdict;
  } cases[] = {
      {good, AnswerVerdict::kValid},
      {"LRA1", AnswerVerdict::kMalformed},
      {flipped, AnswerVerdict::kBadSignature},
      {EncodeAssignAnswer(crypto, std::string(16, 'x'), answer), AnswerVerdict::kBadSignature},
      {EncodeAssignAnswer(crypto, kKey, other), AnswerVerdict::kOtherNonce},
      {EncodeAssignAnswer(crypto, kKey, foreign_mac), AnswerVerdict::kNotOwnMac},
      {EncodeAssignAnswer(crypto, kKey, master), AnswerVerdict::kMasterMac},
      {EncodeAssignAnswer(crypto, kKey, other_package), AnswerVerdict::kOtherPackage},
  };
  for (const auto& c : cases) {
    AssignAnswer got;
    EXPECT_EQ(CheckAssignAnswer(crypto, kKey, id, c.datagram, {std::string(16, 'a'), nonce}, own,
                                SplitMacList(" 00aa00000001 ,"), got),
              c.verdict)
        << &c - cases;
    if (c.verdict == AnswerVerdict::kValid) {
      EXPECT_EQ(got, answer);
    }
  }
}

}  // namespace
}  // namespace lr

namespace lr {
namespace {

// The window's desk: requests become rows, floods and strangers are only counted, and an
// assignment passes the check before generating or changes nothing.
TEST_F(Wire, TheDeskHearsChecksAndAnswers) {
  HostList hosts;
  hosts.Append(HostRecord{"192.168.1.21", "00-1A-2B-3C-4D-21", "", "PC001", ""});
  AssignDesk desk(crypto, kKey,
                  {"192.168.1.1", "255.255.255.0", {"00-AA-00-00-00-01"}, "", "", "", false});
  const std::string request =
      EncodeAssignRequest({id, nonce, {"00-AA-00-00-00-01", answer.mac}, "MASTER"});
  EXPECT_EQ(desk.Hear(request, 0x0A000001, 1000), "");
  EXPECT_EQ(desk.Hear(EncodeAssignRequest({std::string(8, 'p'), nonce, {answer.mac}, ""}), 2, 1000),
            "");
  EXPECT_EQ(desk.Hear("LRQ1 cut", 3, 1000), "");
  for (int i = 0; i < kAssignRateLimit + 2; ++i) desk.Hear(request, 4, 1500);
  ASSERT_EQ(desk.rows().size(), 1u);
  EXPECT_EQ(desk.rows()[0].first, 1000u);
  EXPECT_EQ(desk.rows()[0].last, 1500u);
  EXPECT_EQ(desk.other_packages(), 1u);
  EXPECT_EQ(desk.ignored(), 3u);  // the cut one and two over the rate

  std::string ip, name, reply;
  desk.Propose(hosts, NamePattern{}, ip, name);
  EXPECT_EQ(ip + " " + name, "192.168.1.2 PC002");
  const struct {
    const char* ip;
    const char* name;
    const char* problem;  // a part of it; empty when assigned
  } cases[] = {
      {"192.168.1.21", "PC40", "IP地址相同"}, {"192.168.1.40", "pc001", "计算机名相同"},
      {"10.0.0.40", "PC40", "子网"},          {"192.168.1.40", "PC 40", "计算机名"},
      {"192.168.1.40", "PC40", ""},
  };
  for (const auto& c : cases) {
    const std::string problem = desk.Assign(0, c.ip, c.name, hosts, reply);
    EXPECT_THAT(problem, ::testing::HasSubstr(c.problem)) << c.ip << c.name;
    EXPECT_EQ(problem.empty(), *c.problem == 0) << problem;
    EXPECT_EQ(hosts.Count(), *c.problem ? 1u : 2u) << c.name;
  }
  EXPECT_EQ(hosts.At(1), (HostRecord{"192.168.1.40", answer.mac, "", "PC40", ""}));
  // Asked again with a new nonce, the same entry for that nonce, valid at the clone.
  const std::string again = std::string(16, 'm');
  const std::string second =
      desk.Hear(EncodeAssignRequest({id, again, {answer.mac}, "MASTER"}), 0x0A000001, 9000);
  AssignAnswer got;
  EXPECT_EQ(CheckAssignAnswer(crypto, kKey, id, second, {again}, {answer.mac}, {}, got),
            AnswerVerdict::kValid);
  EXPECT_EQ(got.ip + got.name, "192.168.1.40PC40");
  desk.Propose(hosts, NamePattern{}, ip, name);
  EXPECT_EQ(ip + " " + name, "192.168.1.2 PC002");
  // Made-up MACs from made-up senders fill no more than the cap.
  for (unsigned i = 0; i < 2 * kMaxDeskRows; ++i) {
    const std::string mac = StrFormat("02-00-00-00-%02X-%02X", i >> 8, i & 255);
    desk.Hear(EncodeAssignRequest({id, nonce, {mac}, ""}), 100 + i, 20000);
  }
  EXPECT_EQ(desk.rows().size(), kMaxDeskRows);
}

}  // namespace
}  // namespace lr
