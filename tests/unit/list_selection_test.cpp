#include "hostlist/list_selection.h"

#include <gtest/gtest.h>

namespace lr {
namespace {

HostRecord Rec(std::string ip) {
  return HostRecord{std::move(ip), "", "-", "-", ""};
}

TEST(SelectionTracker, NothingSelectedFollowsNothing) {
  HostList list;
  list.Append(Rec("a"));
  SelectionTracker sel;
  EXPECT_FALSE(sel.Follow(list));
  sel.Select(list, 0);
  sel.Clear();
  EXPECT_FALSE(sel.Follow(list));
}

TEST(SelectionTracker, StaysOnItsRecordThroughInsertsAtTheTopAndAppends) {
  HostList list;
  list.Append(Rec("a"));
  list.Append(Rec("b"));
  SelectionTracker sel;
  sel.Select(list, 1);
  for (int i = 0; i < 5; ++i) list.InsertTop(Rec("t"));
  EXPECT_EQ(sel.Follow(list), 6u);
  list.Append(Rec("z"));
  EXPECT_EQ(sel.Follow(list), 6u);
  list.InsertTop(Rec("t"));
  list.Append(Rec("z"));  // mixed change: found by search
  EXPECT_EQ(sel.Follow(list), 7u);
  EXPECT_EQ(list.At(7).ip, "b");
}

TEST(SelectionTracker, FollowsASortAndForgetsARemovedRecord) {
  HostList list;
  for (const char* ip : {"c", "a", "b"}) list.Append(Rec(ip));
  SelectionTracker sel;
  sel.Select(list, 0);  // "c"
  list.Sort([](const HostRecord& x, const HostRecord& y) { return x.ip.compare(y.ip); });
  EXPECT_EQ(sel.Follow(list), 2u);
  list.RemoveAt(2);
  EXPECT_FALSE(sel.Follow(list));
  EXPECT_FALSE(sel.Position());
  // A removal above the selected record moves it up.
  sel.Select(list, 1);
  list.RemoveAt(0);
  EXPECT_EQ(sel.Follow(list), 0u);
  list.Clear();
  EXPECT_FALSE(sel.Follow(list));
}

TEST(SelectionTracker, ADuplicateAtTheOldPositionIsNotTakenForTheSelectedRecord) {
  HostList list;
  list.Append(Rec("x"));
  list.Append(Rec("x"));
  SelectionTracker sel;
  sel.Select(list, 0);
  list.RemoveAt(0);  // the other "x" now stands at position 0
  EXPECT_FALSE(sel.Follow(list));
}

// Several rows selected by the program follow their records; a removed leader hands the
// lead on; a selection by the administrator is one row again.
TEST(SelectionTracker, SeveralRowsFollowTheirRecords) {
  HostList list;
  std::vector<HostList::Id> ids;
  for (const char* ip : {"a", "b", "c", "d"}) ids.push_back(list.Append(Rec(ip)));
  SelectionTracker sel;
  sel.SelectSeveral(list, {ids[1], 999, ids[3]});
  EXPECT_EQ(sel.FollowAll(list), (std::vector<size_t>{1, 3}));
  list.InsertTop(Rec("t"));
  list.RemoveAt(2);  // "b", the leader
  EXPECT_EQ(sel.FollowAll(list), (std::vector<size_t>{3}));
  EXPECT_EQ(sel.Position(), 3u);
  sel.SelectSeveral(list, {ids[0], ids[2]});
  sel.Select(list, 1);
  EXPECT_EQ(sel.FollowAll(list), (std::vector<size_t>{1}));
}

}  // namespace
}  // namespace lr
