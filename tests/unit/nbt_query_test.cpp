// The node-status request bytes and the reading of answers, including answers whose name
// table or unit ID runs past the received bytes.
#include "scanner/nbt_query.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lr {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Name {
  std::string text;
  std::uint8_t suffix;
  bool group;
};

// A standard answer: 12-byte header, the 34-byte encoded name, type/class, TTL, length,
// the name table and the unit ID.
Bytes Answer(const std::vector<Name>& names, const Bytes& mac) {
  Bytes d = {0x00, 0x00, 0x84, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x20};
  d.push_back('C');
  d.push_back('K');
  for (int i = 0; i < 30; ++i) d.push_back('A');
  d.push_back(0x00);
  d.insert(d.end(), {0x00, 0x21, 0x00, 0x01, 0, 0, 0, 0, 0x00, 0x41});
  d.push_back(static_cast<std::uint8_t>(names.size()));
  for (const Name& n : names) {
    std::string padded = n.text;
    padded.resize(15, ' ');
    d.insert(d.end(), padded.begin(), padded.end());
    d.push_back(n.suffix);
    d.push_back(n.group ? 0x84 : 0x04);
    d.push_back(0x00);
  }
  d.insert(d.end(), mac.begin(), mac.end());
  return d;
}

const Bytes kMac = {0x00, 0x0C, 0x29, 0xAB, 0x01, 0xFF};
const std::vector<Name> kFourNames = {{"PC01", 0x00, false},
                                      {"WORKGROUP", 0x00, true},
                                      {"PC01", 0x20, false},
                                      {"WORKGROUP", 0x1E, true}};

HostRecord Parse(const Bytes& d, size_t n) {
  return ParseReply(d.data(), n, "10.9.0.5");
}

TEST(NodeStatusQuery, IsTheFiftyByteWildcardQuestion) {
  const std::string name(kNodeStatusQuery.begin() + 13, kNodeStatusQuery.begin() + 45);
  EXPECT_EQ(name, "CKAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
  const Bytes head(kNodeStatusQuery.begin(), kNodeStatusQuery.begin() + 13);
  EXPECT_EQ(head, (Bytes{0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x20}));
  const Bytes tail(kNodeStatusQuery.begin() + 45, kNodeStatusQuery.end());
  EXPECT_EQ(tail, (Bytes{0x00, 0x00, 0x21, 0x00, 0x01}));
}

TEST(ParseReply, StandardAnswerGivesAllFields) {
  const Bytes d = Answer(kFourNames, kMac);
  ASSERT_EQ(d[47], 0x21);  // marker at its standard place
  const HostRecord r = Parse(d, d.size());
  EXPECT_EQ(r.ip, "10.9.0.5");
  EXPECT_EQ(r.mac, "00.0C.29.AB.01.FF");
  EXPECT_EQ(r.workgroup, "WORKGROUP      ");
  EXPECT_EQ(r.name, "PC01           ");
  EXPECT_EQ(r.remark, "");
}

TEST(ParseReply, LaterMatchesOverwriteEarlierOnes) {
  std::vector<Name> names = kFourNames;
  names.push_back({"PC01", 0x03, false});
  names.push_back({"ADMIN", 0x03, false});
  const Bytes d = Answer(names, kMac);
  EXPECT_EQ(Parse(d, d.size()).workgroup, "ADMIN          ");

  // A group name with suffix 0 after a unique 0x03 takes the field back; a group name with
  // another suffix and a unique name with another suffix change nothing.
  const Bytes d2 = Answer(
      {{"ADMIN", 0x03, false}, {"LAB", 0x00, true}, {"OTHER", 0x1C, true}, {"SVC", 0x1B, false}},
      kMac);
  const HostRecord r2 = Parse(d2, d2.size());
  EXPECT_EQ(r2.workgroup, "LAB            ");
  EXPECT_EQ(r2.name, "");
}

TEST(ParseReply, NoMarkerOrNoNamesKeepsOnlyTheAddress) {
  const Bytes empty_table = Answer({}, kMac);
  const Bytes junk = {0x12, 0x34, 0x56, 0x78, 0x9A};
  const Bytes marker_at_zero = {0x21, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 1};
  for (const Bytes* d : {&empty_table, &junk, &marker_at_zero}) {
    const HostRecord r = Parse(*d, d->size());
    EXPECT_EQ(r, (HostRecord{"10.9.0.5", "", "", "", ""}));
  }
  EXPECT_EQ(Parse(junk, 0), (HostRecord{"10.9.0.5", "", "", "", ""}));
}

TEST(ParseReply, NameTextBlanksControlBytesAndKeepsGbk) {
  Bytes d = Answer({{"AB", 0x20, false}}, kMac);
  const size_t e = 57;
  d[e + 2] = 0x00;
  d[e + 3] = 0x1F;
  d[e + 4] = 'C';
  d[e + 5] = 0xBC;  // 计 in GBK
  d[e + 6] = 0xC6;
  EXPECT_EQ(Parse(d, d.size()).name, "AB  C\xBC\xC6        ");
}

TEST(ParseReply, TruncatedAnswersUseOnlyTheReceivedBytes) {
  // Copies of the truncated datagrams in exactly-sized buffers, so the sanitizers see any
  // read past them.
  const Bytes full = Answer(kFourNames, kMac);
  const size_t mac_at = 57 + 4 * 18;
  for (size_t n = 0; n <= full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + n);
    const HostRecord r = Parse(cut, cut.size());
    EXPECT_EQ(r.ip, "10.9.0.5");
    if (n >= mac_at + 6) {
      EXPECT_EQ(r.mac, "00.0C.29.AB.01.FF");
    } else if (n > mac_at) {
      const std::string whole = "00.0C.29.AB.01.FF";
      EXPECT_EQ(r.mac, whole.substr(0, 3 * (n - mac_at) - 1)) << n;
    } else {
      EXPECT_EQ(r.mac, "") << n;
    }
    // The workgroup comes from the second entry, the name from the third.
    EXPECT_EQ(r.workgroup.empty(), n < 57 + 18 + 17) << n;
    EXPECT_EQ(r.name.empty(), n < 57 + 36 + 17) << n;
  }
}

TEST(ParseReply, NameCountFarBeyondTheDatagram) {
  Bytes d = Answer(kFourNames, kMac);
  d[56] = 0xFF;  // claims 255 names; only four and six more bytes are there
  const HostRecord r = Parse(d, d.size());
  EXPECT_EQ(r.workgroup, "WORKGROUP      ");
  EXPECT_EQ(r.name, "PC01           ");
  EXPECT_EQ(r.mac, "");
}

TEST(FillZeroMac, OnlyAnAllZeroUnitIdTakesTheNeighbourTablesAddress) {
  struct : NeighbourTable {
    std::optional<std::array<std::uint8_t, 6>> Lookup(const std::string& ip) override {
      if (ip != "10.0.0.7") return std::nullopt;
      return std::array<std::uint8_t, 6>{0x00, 0x0C, 0x29, 0xAB, 0x01, 0xFF};
    }
  } table;
  const char* cases[][3] = {{"10.0.0.7", "00.00.00.00.00.00", "00.0C.29.AB.01.FF"},
                            {"10.0.0.9", "00.00.00.00.00.00", "00.00.00.00.00.00"},
                            {"10.0.0.7", "02.00.00.00.00.07", "02.00.00.00.00.07"}};
  for (const auto& c : cases) {
    HostRecord r{c[0], c[1], "-", "PC", ""};
    FillZeroMac(r, table);
    EXPECT_EQ(r.mac, c[2]) << c[0];
  }
}

}  // namespace
}  // namespace lr
