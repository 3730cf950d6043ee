#include "hostlist/host_list.h"

#include <gtest/gtest.h>

namespace lr {
namespace {

HostRecord Rec(std::string ip, std::string name = "-") {
  return HostRecord{std::move(ip), "00-11-22-33-44-55", "-", std::move(name), ""};
}

std::vector<std::string> Ips(const HostList& list) {
  std::vector<std::string> ips;
  for (size_t i = 0; i < list.Count(); ++i) ips.push_back(list.At(i).ip);
  return ips;
}

TEST(HostList, AppendAndInsertTopKeepTheirOrder) {
  HostList list;
  list.Append(Rec("1"));
  list.Append(Rec("2"));
  list.InsertTop(Rec("0"));
  list.InsertTop(Rec("-1"));
  EXPECT_EQ(Ips(list), (std::vector<std::string>{"-1", "0", "1", "2"}));
  list.RemoveAt(1);
  EXPECT_EQ(Ips(list), (std::vector<std::string>{"-1", "1", "2"}));
  list.Clear();
  EXPECT_TRUE(list.Empty());
}

TEST(HostList, DuplicatesAreKeptAndFieldsSetByPosition) {
  HostList list;
  list.Append(Rec("10.0.0.1"));
  list.Append(Rec("10.0.0.1"));
  ASSERT_EQ(list.Count(), 2u);
  list.SetField(1, kFieldName, "PC2");
  list.Replace(0, HostRecord{"a", "b", "c", "d", ""});
  EXPECT_EQ(list.At(0), (HostRecord{"a", "b", "c", "d", ""}));
  EXPECT_EQ(list.At(1).name, "PC2");
  EXPECT_EQ(list.At(1).Field(kFieldIp), "10.0.0.1");
}

TEST(HostList, IdsFollowRecordsThroughSortsInsertsAndRemovals) {
  HostList list;
  const auto b = list.Append(Rec("b"));
  const auto a = list.Append(Rec("a"));
  const auto c = list.Append(Rec("c"));
  list.Sort([](const HostRecord& x, const HostRecord& y) { return x.ip.compare(y.ip); });
  list.InsertTop(Rec("z"));
  EXPECT_EQ(Ips(list), (std::vector<std::string>{"z", "a", "b", "c"}));
  EXPECT_EQ(list.PositionOf(b), 2u);
  EXPECT_TRUE(list.SetFieldById(b, kFieldName, "resolved"));
  EXPECT_EQ(list.At(2).name, "resolved");

  list.RemoveAt(list.PositionOf(a));
  EXPECT_EQ(list.Find(a), nullptr);
  EXPECT_FALSE(list.SetFieldById(a, kFieldName, "dropped"));
  EXPECT_EQ(list.PositionOf(a), list.Count());
  ASSERT_NE(list.Find(c), nullptr);
  EXPECT_EQ(list.Find(c)->ip, "c");
}

TEST(HostList, SortIsStableForEqualKeys) {
  // Small lists and lists past the size where a sort stops inserting one by one.
  for (int n : {3, 17, 40}) {
    HostList list;
    for (int i = 0; i < n; ++i) list.Append(Rec(i % 3 == 1 ? "0" : "1", std::to_string(100 + i)));
    list.Sort([](const HostRecord& x, const HostRecord& y) { return x.ip.compare(y.ip); });
    for (size_t i = 1; i < list.Count(); ++i) {
      if (list.At(i - 1).ip == list.At(i).ip) {
        EXPECT_LT(list.At(i - 1).name, list.At(i).name) << n;
      }
    }
  }
}

}  // namespace
}  // namespace lr
