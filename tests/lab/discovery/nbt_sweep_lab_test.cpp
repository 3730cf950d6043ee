// NetBIOS sweeps of the lab's address range through the scan run, against the lab's PCs
// (our responder and Samba's nmbd): every PC found with its address, MAC text, workgroup and
// computer name; every record as nmblookup, a real client of the same query, sees the PC;
// stopping a sweep; a second start while a sweep runs; malformed answers from a hostile PC;
// the retries (of either sweep) that find every PC, once, when queries are lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "scanner/nbt_walk.h"
#include "scanner/win32/nbtstat.h"
#include "scanner/win32/scan_run.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/lab/discovery/lab_view.h"

namespace {

using lab::LabPc;
using lab::RecordingView;
using lr::HostRecord;

const std::string kScanning = "正在扫描：";
const std::string kEnded = "扫描成功完成！";
const std::string kEndCount = "扫描成功完成！共发现主机数：";

// A safety limit for one sweep of a /24 at Timeout 100 (about 25 s when all goes well).
constexpr DWORD kSweepLimitMs = 120000;

unsigned LastOctet(const std::string& ip) {
  return static_cast<unsigned>(std::stoul(ip.substr(ip.rfind('.') + 1)));
}

bool Ended(const RecordingView& view) {
  return view.SawStatus(0, kEnded);
}

// The addresses of the queries, in order, from the status texts.
std::vector<std::string> QueriedAddresses(const RecordingView& view) {
  std::vector<std::string> out;
  for (const std::string& text : view.Panel0()) {
    if (text.rfind(kScanning, 0) == 0) out.push_back(text.substr(kScanning.size()));
  }
  return out;
}

// Runs the message loop until the list stops changing for `quiet_ms` (late replies).
void SettleReplies(RecordingView& view, DWORD quiet_ms) {
  size_t count = view.Hosts().Count();
  for (int round = 0; round < 50; ++round) {
    lab::PumpFor(quiet_ms);
    if (view.Hosts().Count() == count) return;
    count = view.Hosts().Count();
  }
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One sweep of 192.168.0.1 .. 192.168.0.254 at Timeout 100, shared by the checks below.
class NbtLabSweep : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pcs_ = new std::vector<LabPc>(lab::LoadLabPcs());
    view_ = new RecordingView;
    lab::BoxRecorder boxes;
    {
      lr::ScanRun run(*view_);
      const DWORD start = GetTickCount();
      run.ScanClick("192.168.0.1", "192.168.0.254", "NetBios", "100");
      ended_ = lab::PumpUntil([] { return Ended(*view_); }, kSweepLimitMs);
      const DWORD wall = GetTickCount() - start;
      SettleReplies(*view_, 300);
      std::printf("FIGURE nbt_sweep_100_ms %lu\n", static_cast<unsigned long>(wall));
      std::printf("FIGURE nbt_sweep_100_queries %zu\n", QueriedAddresses(*view_).size());
      std::printf("FIGURE nbt_sweep_100_found %zu\n", view_->Hosts().Count());
    }
    boxes_ = new std::vector<std::string>(boxes.boxes);
  }
  static void TearDownTestSuite() {
    delete pcs_;
    delete view_;
    delete boxes_;
  }

  static std::vector<LabPc>* pcs_;
  static RecordingView* view_;
  static std::vector<std::string>* boxes_;
  static bool ended_;
};

std::vector<LabPc>* NbtLabSweep::pcs_;
RecordingView* NbtLabSweep::view_;
std::vector<std::string>* NbtLabSweep::boxes_;
bool NbtLabSweep::ended_;

TEST_F(NbtLabSweep, FindsEveryPcOnceWithItsAddressMacWorkgroupAndName) {
  ASSERT_TRUE(ended_) << "the sweep never ended";
  EXPECT_TRUE(boxes_->empty()) << boxes_->front();
  std::map<std::string, std::vector<HostRecord>> by_ip;
  for (const HostRecord& r : view_->Records()) by_ip[r.ip].push_back(r);
  for (const LabPc& pc : *pcs_) {
    auto found = by_ip.find(pc.ip);
    ASSERT_NE(found, by_ip.end()) << pc.ip << " was not found";
    ASSERT_EQ(found->second.size(), 1u) << pc.ip << " answered more than once";
    EXPECT_EQ(found->second[0], lab::ExpectedNbtRecord(pc))
        << lab::Describe(found->second[0]) << " vs " << lab::Describe(lab::ExpectedNbtRecord(pc));
    by_ip.erase(found);
  }
  for (const auto& [ip, records] : by_ip) ADD_FAILURE() << "record for a non-PC " << ip;
}

TEST_F(NbtLabSweep, EveryRecordAgreesWithWhatNmblookupSees) {
  ASSERT_TRUE(ended_);
  ASSERT_FALSE(view_->Records().empty());
  for (const HostRecord& r : view_->Records()) {
    SCOPED_TRACE(lab::Describe(r));
    lab::PeerStatus peer;
    ASSERT_TRUE(lab::ReadNmblookup(ReadText(lab::LabFile("nmblookup\\" + r.ip + ".txt")), peer))
        << "no nmblookup answer saved for " << r.ip;
    std::string mac = peer.mac;
    std::replace(mac.begin(), mac.end(), '-', '.');
    // nmbd sends no MAC (all zeros): the scanner takes the PC's from the neighbour table.
    EXPECT_EQ(r.mac == mac, mac != "00.00.00.00.00.00") << r.mac;
    std::string workgroup, computer;
    lab::PeerRecordNames(peer, workgroup, computer);
    EXPECT_TRUE(lab::PeerNameAgrees(r.workgroup, workgroup)) << "nmblookup: '" << workgroup << "'";
    EXPECT_TRUE(lab::PeerNameAgrees(r.name, computer)) << "nmblookup: '" << computer << "'";
    EXPECT_EQ(r.remark, "");
  }
}

TEST_F(NbtLabSweep, WalksTheRangeNewestFirstAndCountsAtTheEnd) {
  ASSERT_TRUE(ended_);
  std::vector<std::string> queried = QueriedAddresses(*view_);
  ASSERT_EQ(queried.size(), 253u);
  EXPECT_EQ(queried.front(), "192.168.0.1");
  EXPECT_EQ(queried.back(), "192.168.0.253");
  // Every PC answers before the next query goes out, so the newest record is the PC with
  // the highest address.
  std::vector<unsigned> octets;
  for (const HostRecord& r : view_->Records()) octets.push_back(LastOctet(r.ip));
  EXPECT_TRUE(std::is_sorted(octets.rbegin(), octets.rend()));
  EXPECT_EQ(view_->status[0], kEnded);
  EXPECT_EQ(view_->status[1], kEndCount + std::to_string(pcs_->size()) + " 台!");
  EXPECT_TRUE(view_->buttons[lr::ScanButton::kStop]);
  EXPECT_TRUE(view_->buttons[lr::ScanButton::kEdit]);
  EXPECT_TRUE(view_->errors.empty());
}

class NbtLab : public ::testing::Test {
 protected:
  void SetUp() override { pcs_ = lab::LoadLabPcs(); }
  std::vector<LabPc> pcs_;
  lab::BoxRecorder boxes_;
};

TEST_F(NbtLab, StopEndsTheSweepAndTheNextSweepStartsAfresh) {
  RecordingView view;
  lr::ScanRun run(view);
  bool stop_now = false;
  size_t count_at_end = 0;
  view.on_status = [&](int panel, const std::string& text) {
    // A silent address: the sweep is in its wait when the stop comes.
    if (panel == 0 && text == kScanning + "192.168.0.40") stop_now = true;
    if (panel == 0 && text == kEnded) count_at_end = view.Hosts().Count();
  };
  run.ScanClick("192.168.0.1", "192.168.0.254", "NetBios", "100");
  ASSERT_TRUE(lab::PumpUntil([&] { return stop_now; }, kSweepLimitMs));
  const unsigned last_before = LastOctet(QueriedAddresses(view).back());
  run.StopClick();
  ASSERT_TRUE(lab::PumpUntil([&] { return Ended(view); }, 10000));
  SettleReplies(view, 300);
  EXPECT_FALSE(run.NbtSweepRunning());

  // At most the query already handed over when the stop came goes out after it.
  std::vector<std::string> queried = QueriedAddresses(view);
  ASSERT_FALSE(queried.empty());
  EXPECT_LE(LastOctet(queried.back()), last_before + 1) << queried.back();
  std::set<std::string> found;
  for (const HostRecord& r : view.Records()) found.insert(r.ip);
  for (const LabPc& pc : pcs_) {
    EXPECT_EQ(found.count(pc.ip), LastOctet(pc.ip) <= last_before ? 1u : 0u) << pc.ip;
  }
  // The end texts count the records there were then; a reply to the last query may
  // still come in after them.
  EXPECT_EQ(view.status[1], kEndCount + std::to_string(count_at_end) + " 台!");

  // The stop flag does not outlive the stopped sweep.
  view.statuses.clear();
  run.ScanClick("192.168.0.2", "192.168.0.4", "NetBios", "100");
  ASSERT_TRUE(lab::PumpUntil([&] { return Ended(view); }, 10000));
  SettleReplies(view, 300);
  EXPECT_EQ(QueriedAddresses(view), (std::vector<std::string>{"192.168.0.2", "192.168.0.3"}));
  std::vector<HostRecord> records = view.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].ip, "192.168.0.3");
  EXPECT_EQ(records[1].ip, "192.168.0.2");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(NbtLab, ScanClickDuringASweepLeavesOneWalkOverTheNewRange) {
  RecordingView view;
  lr::ScanRun run(view);
  bool click_now = false;
  view.on_status = [&](int panel, const std::string& text) {
    // A silent address: the sweep is in its wait when the second click comes.
    if (panel == 0 && text == kScanning + "192.168.0.40") click_now = true;
  };
  run.ScanClick("192.168.0.1", "192.168.0.254", "NetBios", "100");
  ASSERT_TRUE(lab::PumpUntil([&] { return click_now; }, kSweepLimitMs));
  const std::vector<std::string> before = QueriedAddresses(view);
  run.ScanClick("192.168.0.2", "192.168.0.4", "NetBios", "100");
  ASSERT_TRUE(lab::PumpUntil([&] { return !run.NbtSweepRunning(); }, 10000));
  SettleReplies(view, 300);

  // After the second click the new range is walked once, in order. Of the old range at
  // most the query already handed over may still go out; a second thread left on the old
  // range would show further addresses here.
  std::vector<std::string> after = QueriedAddresses(view);
  after.erase(after.begin(), after.begin() + before.size());
  const std::vector<std::string> new_range = {"192.168.0.2", "192.168.0.3"};
  if (after.size() == 3) {
    EXPECT_EQ(LastOctet(after[0]), LastOctet(before.back()) + 1) << after[0];
    after.erase(after.begin());
  }
  EXPECT_EQ(after, new_range);
  std::map<std::string, int> count;
  for (const HostRecord& r : view.Records()) ++count[r.ip];
  EXPECT_EQ(count["192.168.0.2"], 1);
  EXPECT_EQ(count["192.168.0.3"], 1);
  EXPECT_TRUE(boxes_.boxes.empty());
}

// With the lab's hostile flag set, the PC at 192.168.0.60 answers each query with malformed
// datagrams and then a flood (see the lab's responder). The suite sets the flag and runs
// only these tests.
TEST(NbtHostileLab, MalformedAnswersDuringASweepGiveExactlyTheirRecords) {
  lab::BoxRecorder boxes;
  RecordingView view;
  lr::ScanRun run(view);
  run.ScanClick("192.168.0.55", "192.168.0.66", "NetBios", "100");
  ASSERT_TRUE(lab::PumpUntil([&] { return Ended(view); }, 30000));
  SettleReplies(view, 500);

  const std::string ip = "192.168.0.60";
  const std::string wg = lab::Pad15("EVILGROUP"), pc = lab::Pad15("EVILPC");
  const std::string mac = "0E.71.00.AB.CD.EF";
  // The specific datagrams in the order they were sent; the empty one yields no record.
  const std::vector<HostRecord> specific = {
      {ip, "", "", "", ""},          // no marker
      {ip, "", "", "", ""},          // marker only at position 0
      {ip, "", "", "", ""},          // datagram ends before the name count
      {ip, "", "", "", ""},          // name count 0, unit ID present
      {ip, "", wg, pc, ""},          // 200 names claimed, two present
      {ip, "", wg, "", ""},          // table cut inside the second entry
      {ip, "0E.71.00", wg, pc, ""},  // unit ID cut after three bytes
      // (an answer longer than the receive buffer fails to be received: no record)
      {ip, mac, wg, pc, ""},  // a whole answer
  };
  const HostRecord flood = {ip, mac, "", lab::Pad15("FLOOD"), ""};

  std::vector<HostRecord> records = view.Records();
  for (const HostRecord& r : records) EXPECT_EQ(r.ip, ip) << lab::Describe(r);
  size_t flooded = 0;
  while (flooded < records.size() && records[flooded] == flood) ++flooded;
  std::printf("FIGURE hostile_flood_records %zu\n", flooded);
  EXPECT_GE(flooded, 1u);
  EXPECT_LE(flooded, 400u);
  std::vector<HostRecord> rest(records.begin() + flooded, records.end());
  std::vector<HostRecord> expected(specific.rbegin(), specific.rend());
  ASSERT_EQ(rest.size(), expected.size());
  for (size_t i = 0; i < rest.size(); ++i) {
    EXPECT_EQ(rest[i], expected[i]) << i << ": " << lab::Describe(rest[i]);
  }
  // The sweep went on to the end of its range.
  std::vector<std::string> queried = QueriedAddresses(view);
  ASSERT_FALSE(queried.empty());
  EXPECT_EQ(queried.back(), "192.168.0.65");
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(view.errors.empty());
}

// With the lab's drop flag set our responder drops 30% of the queries it gets (a fixed
// seed). The first pass walks the range as always; then the PCs the neighbour table knows
// but that sent nothing are asked again, and every PC is found, each in one row (a late
// answer and the retry's both arriving must not make two). The suite sets the flag afresh
// for each of these tests and runs only them.
void SweepWithDrops(bool fast, const char* figure) {
  const std::vector<LabPc> pcs = lab::LoadLabPcs();
  lab::BoxRecorder boxes;
  RecordingView view;
  lr::ScanRun run(view);
  // Where the time goes: the walk's last query, and the first query of the retries.
  DWORD walk_done = 0, retries_begin = 0;
  view.on_status = [&](int panel, const std::string& text) {
    if (panel != 0 || text.rfind(kScanning, 0) != 0) return;
    if (walk_done && !retries_begin) retries_begin = GetTickCount();
    if (text == kScanning + "192.168.0.253" && !walk_done) walk_done = GetTickCount();
  };
  const DWORD start = GetTickCount();
  run.ScanClick("192.168.0.1", "192.168.0.254", "NetBios", "100", fast);
  // The end text goes on after "扫描成功完成！" with the count of PCs found on a retry.
  ASSERT_TRUE(lab::PumpUntil([&] { return view.status[0].rfind(kEnded, 0) == 0; }, kSweepLimitMs));
  const DWORD wall = GetTickCount() - start;
  SettleReplies(view, 300);

  std::map<std::string, int> rows;
  for (const HostRecord& r : view.Records()) ++rows[r.ip];
  for (const LabPc& pc : pcs) EXPECT_EQ(rows[pc.ip], 1) << pc.ip << ": rows";
  EXPECT_EQ(view.Records().size(), pcs.size());

  // The walk first, unchanged; the retries after it ask only PCs, at most twice each.
  std::vector<std::string> queried = QueriedAddresses(view);
  const std::vector<std::string> walk = lr::NbtQueryTargets("192.168.0.1", "192.168.0.254");
  ASSERT_GE(queried.size(), walk.size());
  EXPECT_TRUE(std::equal(walk.begin(), walk.end(), queried.begin()));
  std::map<std::string, int> retried;
  for (size_t i = walk.size(); i < queried.size(); ++i) ++retried[queried[i]];
  for (const auto& [ip, times] : retried) {
    EXPECT_TRUE(std::any_of(pcs.begin(), pcs.end(), [&](const LabPc& pc) { return pc.ip == ip; }))
        << ip;
    EXPECT_LE(times, 2) << ip;
  }
  const size_t on_retry = run.Nbt().FoundOnRetry();
  EXPECT_GT(on_retry, 0u) << "no query was lost: is the drop flag set?";
  EXPECT_EQ(view.status[0], kEnded + "，重试后补充 " + std::to_string(on_retry) + " 台");
  EXPECT_TRUE(boxes.boxes.empty());
  std::printf("FIGURE %s_sweep_ms %lu\n", figure, static_cast<unsigned long>(wall));
  std::printf("FIGURE %s_walk_ms %lu\n", figure, static_cast<unsigned long>(walk_done - start));
  std::printf("FIGURE %s_first_retry_ms %lu\n", figure,
              static_cast<unsigned long>(retries_begin - start));
  std::printf("FIGURE %s_dropped_queries %u\n", figure, run.Nbt().DroppedQueries());
  std::printf("FIGURE %s_found %zu\n", figure, rows.size());
  std::printf("FIGURE %s_rows %zu\n", figure, view.Records().size());
  std::printf("FIGURE %s_found_on_retry %zu\n", figure, on_retry);
  std::printf("FIGURE %s_retry_queries %zu\n", figure, queried.size() - walk.size());
}

TEST(NbtDropLab, RetriesFindEveryPcWhoseQueriesWereLost) {
  SweepWithDrops(false, "nbt_drop");
}

TEST(NbtDropLab, FastSweepFindsEveryPcOnce) {
  SweepWithDrops(true, "nbt_fast_drop");
}

}  // namespace
