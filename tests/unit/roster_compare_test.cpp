#include "hostlist/roster_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/field_texts.h"

namespace lr {
namespace {

using S = RosterStatus;
constexpr size_t kNo = RosterRow::kNone;

HostRecord R(std::string ip, std::string mac, std::string name) {
  return HostRecord{std::move(ip), std::move(mac), "-", std::move(name), ""};
}

struct Want {
  S status;
  size_t roster, scan;
};

TEST(RosterCompare, PairsByMacThenByAddressAndName) {
  const struct {
    const char* what;
    std::vector<HostRecord> roster, scan;
    std::vector<Want> rows;
  } cases[] = {
      {"MAC in any form, NetBIOS padding and letter case",
       {R("192.168.0.5", "00-11-22-33-44-05", "pc5")},
       {R("192.168.0.5", "00.11.22.33.44.05", "PC5            ")},
       {{S::kSame, 0, 0}}},
      {"an unknown name is not held against the row",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.6", "00-11-22-33-44-06", "PC6")},
       {R("10.0.0.5", "00-11-22-33-44-05", "-"), R("10.0.0.6", "00-11-22-33-44-99", "---")},
       {{S::kSame, 0, 0}, {S::kNicChanged, 1, 1}}},
      {"the master's address or name still on the clone",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.6", "00:11:22:33:44:06", "PC6")},
       {R("10.0.0.1", "001122334405", "PC5"), R("10.0.0.6", "00-11-22-33-44-06", "MASTER")},
       {{S::kNotApplied, 0, 0}, {S::kNotApplied, 1, 1}}},
      {"the adapter is matched before the address",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.6", "00-11-22-33-44-06", "PC6")},
       {R("10.0.0.5", "00-11-22-33-44-06", "PC5")},
       {{S::kMissing, 0, kNo}, {S::kNotApplied, 1, 0}}},
      {"same address under another MAC: a new adapter only when the name agrees too",
       {R("10.0.0.7", "00-11-22-33-44-07", "PC7"), R("10.0.0.8", "", "PC8"),
        R("10.0.0.9", "00-11-22-33-44-09", "PC9")},
       {R("10.0.0.9", "00-11-22-33-44-99", "OTHER"), R("10.0.0.8", "00-11-22-33-44-08", "pc8"),
        R("10.0.0.7", "00-11-22-33-44-77", "PC7"), R("10.0.0.20", "00-11-22-33-44-77", "PC7")},
       {{S::kNicChanged, 0, 2},
        {S::kNicChanged, 1, 1},
        {S::kMissing, 2, kNo},
        {S::kDuplicate, kNo, 0},
        {S::kDuplicate, kNo, 3}}},
      {"a MAC no client has pairs by the address only, whatever the names",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.8", "00-00-00-00-00-00", "PC8"),
        R("10.0.0.9", "", "PC9"), R("10.0.0.4", "x", "PC4")},
       {R("10.0.0.5", "", "pc5"), R("10.0.0.7", "00.00.00.00.00.00", "PC7"),
        R("10.0.0.9", "00-11-22-33-44-99", "MASTER"), R("10.0.0.4", "00-00-00-00-00-00", "PC4")},
       {{S::kSame, 0, 0},
        {S::kMissing, 1, kNo},
        {S::kNotApplied, 2, 2},
        {S::kSame, 3, 3},
        {S::kNew, kNo, 1}}},
      {"a second row under a paired MAC, or at an address kept or added, is a duplicate",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.6", "", "PC6")},
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.6", "00.11.22.33.44.05", "PC6"),
        R("10.0.0.5", "", "PC5"), R("10.0.0.8", "00-11-22-33-44-08", "N8"), R("10.0.0.8", "", "N8"),
        R("10.0.0.10", "001122334408", "X"), R("10.0.0.5", "00-11-22-33-44-77", "OTHER")},
       {{S::kSame, 0, 0},
        {S::kMissing, 1, kNo},
        {S::kDuplicate, kNo, 1},
        {S::kDuplicate, kNo, 2},
        {S::kNew, kNo, 3},
        {S::kDuplicate, kNo, 4},
        {S::kDuplicate, kNo, 5},
        {S::kDuplicate, kNo, 6}}},
      {"a new PC at the address of a duplicate is new",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5")},
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5"), R("10.0.0.9", "00-11-22-33-44-05", "PC5"),
        R("10.0.0.9", "00-11-22-33-44-09", "PC9")},
       {{S::kSame, 0, 0}, {S::kDuplicate, kNo, 1}, {S::kNew, kNo, 2}}},
      {"no MAC, another name, at a roster row's address",
       {R("10.0.0.5", "00-11-22-33-44-05", "PC5")},
       {R("10.0.0.5", "", "MASTER")},
       {{S::kNotApplied, 0, 0}}},
      {"nothing to compare", {}, {}, {}},
  };
  for (const auto& c : cases) {
    const RosterComparison got = CompareWithRoster(c.roster, c.scan);
    ASSERT_EQ(got.rows.size(), c.rows.size()) << c.what;
    size_t counts[kRosterStatusCount] = {};
    for (size_t i = 0; i < c.rows.size(); ++i) {
      EXPECT_EQ(got.rows[i].status, c.rows[i].status) << c.what << " row " << i;
      EXPECT_EQ(got.rows[i].roster, c.rows[i].roster) << c.what << " row " << i;
      EXPECT_EQ(got.rows[i].scan, c.rows[i].scan) << c.what << " row " << i;
      ++counts[static_cast<int>(c.rows[i].status)];
    }
    EXPECT_TRUE(std::equal(counts, counts + kRosterStatusCount, got.counts)) << c.what;
    // The merge keeps every new PC and brings no MAC or address twice that neither side
    // held twice.
    const std::vector<HostRecord> merged = MergeRoster(got, c.roster, c.scan);
    for (const RosterRow& row : got.rows) {
      if (row.status == S::kNew) {
        EXPECT_NE(std::find(merged.begin(), merged.end(), c.scan[row.scan]), merged.end())
            << c.what << " " << c.scan[row.scan].ip;
      }
    }
    auto most = [](const std::vector<HostRecord>& rows, bool mac) {
      std::map<std::string, int> n;
      for (const HostRecord& r : rows)
        if (std::string k = mac ? ClientMacForm(r.mac) : r.ip;
            !k.empty() && k != "00-00-00-00-00-00")
          ++n[k];
      return n;
    };
    for (bool mac : {true, false}) {
      const auto before = most(c.roster, mac), scanned = most(c.scan, mac);
      for (const auto& [key, n] : most(merged, mac))
        EXPECT_LE(n, std::max({1, before.count(key) ? before.at(key) : 0,
                               scanned.count(key) ? scanned.at(key) : 0}))
            << c.what << " " << key;
    }
  }
}

TEST(RosterCompare, SummarySortAndMerge) {
  const std::vector<HostRecord> roster = {
      R("10.0.0.10", "00-11-22-33-44-10", "PC10"), R("10.0.0.9", "00-11-22-33-44-09", "PC9"),
      R("10.0.0.7", "00-11-22-33-44-07", "PC7"), R("10.0.0.2", "00-11-22-33-44-02", "PC2")};
  const std::vector<HostRecord> scan = {
      R("10.0.0.30", "00.11.22.33.44.30", "NEW30"), R("10.0.0.7", "00.11.22.33.44.77", "PC7"),
      R("10.0.0.9", "00.11.22.33.44.09", "MASTER"), R("10.0.0.10", "00.11.22.33.44.10", "PC10")};
  const RosterComparison c = CompareWithRoster(roster, scan);
  EXPECT_EQ(RosterSummary(c), "一致 1 台，未生效 1 台，已换网卡 1 台，未找到 1 台，新增 1 台");
  EXPECT_EQ(RosterSummary(CompareWithRoster(roster, {scan[0], scan[0]})),
            "一致 0 台，未生效 0 台，已换网卡 0 台，未找到 4 台，新增 1 台，重复 1 台");

  // Merged: the roster's rows, the scanned MAC on the changed adapter, the new PC last.
  std::vector<HostRecord> want = roster;
  want[2].mac = "00.11.22.33.44.77";
  want.push_back(scan[0]);
  EXPECT_EQ(MergeRoster(c, roster, scan), want);

  const struct {
    int column;
    bool ascending;
    std::vector<size_t> order;
  } sorts[] = {
      {kRosterColIp, true, {3, 2, 1, 0, 4}},      // by value, the new PC's empty cell last
      {kRosterColIp, false, {4, 0, 1, 2, 3}},     // 10.0.0.10 ahead of 10.0.0.9
      {kRosterColStatus, true, {0, 1, 2, 3, 4}},  // 一致 未生效 已换网卡 未找到 新增
      {kRosterColScanName, true, {3, 1, 4, 0, 2}},  // letter case aside
  };
  for (const auto& s : sorts) {
    std::vector<size_t> order = {0, 1, 2, 3, 4};
    SortRosterRows(order, s.column, s.ascending, c, roster, scan);
    EXPECT_EQ(order, s.order) << "column " << s.column;
  }
}

}  // namespace
}  // namespace lr
