// ICMP in the lab: the echo client against a live PC and a silent address, and the ICMP
// sweep of the scan run, whose harvest runs "cmd /c arp -a >C:\WINDOWS\IPMAC.TXT" with the
// lab's arp tool and reads the dump back, and the fast ICMP sweep. The suite empties the
// scanner's neighbour table before these run (and again before the fast one), so the dump
// holds what the sweep's own echoes put there.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>

#include "scanner/id_exceptions.h"
#include "scanner/win32/id_icmp_client.h"
#include "scanner/win32/scan_run.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/lab/discovery/lab_view.h"

namespace {

using lab::LabPc;
using lab::RecordingView;
using lr::HostRecord;

const wchar_t kDump[] = L"C:\\WINDOWS\\IPMAC.TXT";
const std::string kProgress = "正在扫描  ";

bool DumpExists() {
  return GetFileAttributesW(kDump) != INVALID_FILE_ATTRIBUTES;
}

TEST(IcmpLab, EchoGetsTheReplyOfALivePcAndTimesOutOnASilentAddress) {
  std::vector<LabPc> pcs = lab::LoadLabPcs();
  lr::TIdIcmpClient client;
  client.ReceiveTimeout = 2000;
  client.Host = pcs.front().ip;
  client.Echo();
  const lr::TReplyStatus& live = client.LastReply();
  EXPECT_EQ(live.Kind, lr::rkEchoReply);
  EXPECT_EQ(live.SourceAddress, pcs.front().ip);
  EXPECT_EQ(live.IcmpType, 0);
  EXPECT_EQ(live.SequenceNumber, 3489);
  EXPECT_EQ(live.ByteCount, 20 + 52);  // IPv4 header and the echoed 52 bytes
  EXPECT_EQ(live.ReplyTtl, 64);        // the Linux PCs' default
  EXPECT_FALSE(client.SocketOpen());

  client.ReceiveTimeout = 300;
  client.Host = lab::SilentIp();
  client.Echo();
  const lr::TReplyStatus& silent = client.LastReply();
  EXPECT_EQ(silent.Kind, lr::rkTimedOut);
  EXPECT_EQ(silent.ByteCount, 0);
  EXPECT_EQ(silent.SourceAddress, "0.0.0.0");
  EXPECT_EQ(silent.IcmpType, 0);
  EXPECT_EQ(silent.ReplyTtl, 0);
  EXPECT_EQ(silent.SequenceNumber, 3490);

  // Not an address, and the lab's resolver knows no such name.
  client.Host = "192.168.256.1";
  try {
    client.Echo();
    ADD_FAILURE() << "no exception";
  } catch (const lr::EIdSocketError& e) {
    EXPECT_EQ(e.LastError(), 11001);
    EXPECT_STREQ(e.what(), "Socket Error # 11001\r\nHost not found.");
  }
  EXPECT_EQ(client.SequenceCounter(), 3491);
}

TEST(IcmpLab, SweepAndHarvestListEveryLivePcWithItsMac) {
  std::vector<LabPc> pcs = lab::LoadLabPcs();
  RecordingView view;
  lr::ScanRun run(view);
  const DWORD start = GetTickCount();
  run.ScanClick("192.168.0.1", "192.168.0.254", "ICMP", "100");
  std::printf("FIGURE icmp_sweep_ms %lu\n", static_cast<unsigned long>(GetTickCount() - start));
  std::printf("FIGURE icmp_sweep_rows %zu\n", view.Records().size());

  EXPECT_TRUE(view.errors.empty()) << view.errors.front();
  EXPECT_TRUE(DumpExists());
  std::map<std::string, HostRecord> by_ip;
  for (const HostRecord& r : view.Records()) {
    EXPECT_TRUE(by_ip.emplace(r.ip, r).second) << "twice: " << r.ip;
  }
  for (const LabPc& pc : pcs) {
    auto found = by_ip.find(pc.ip);
    ASSERT_NE(found, by_ip.end()) << pc.ip << " is missing from the harvest";
    EXPECT_EQ(found->second, (HostRecord{pc.ip, lab::ArpMacText(pc), "-", "-", ""}))
        << lab::Describe(found->second);
    by_ip.erase(found);
  }
  for (const auto& [ip, r] : by_ip) ADD_FAILURE() << "not a PC: " << lab::Describe(r);
  EXPECT_EQ(view.status[0],
            "扫描已成功完成,本次扫描共发现在线主机 " + std::to_string(pcs.size()) + " 台");
  EXPECT_FALSE(view.progress_shown);
  EXPECT_TRUE(view.buttons[lr::ScanButton::kInstall]);
  // 253 echoes, .2 to .254, each followed by pending input, and one before the harvest.
  EXPECT_EQ(view.pending_input_calls, 254);
  EXPECT_EQ(view.Panel0()[0], "正在扫描 192.168.0.2 共计要扫描IP地址 253 个");
}

// The fast sweep, on a neighbour table emptied again by the suite: the same rows as the
// sweep above (every PC, its MAC, nothing else) and the same end texts.
TEST(IcmpLab, FastSweepGivesTheSameRows) {
  std::vector<LabPc> pcs = lab::LoadLabPcs();
  RecordingView view;
  lr::ScanRun run(view);
  const DWORD start = GetTickCount();
  run.ScanClick("192.168.0.1", "192.168.0.254", "ICMP", "100", true);
  std::printf("FIGURE icmp_fast_ms %lu\n", static_cast<unsigned long>(GetTickCount() - start));
  std::printf("FIGURE icmp_fast_rows %zu\n", view.Records().size());
  EXPECT_TRUE(view.errors.empty()) << view.errors.front();
  std::multiset<std::string> got, want;
  for (const HostRecord& r : view.Records()) got.insert(lab::Describe(r));
  for (const LabPc& pc : pcs)
    want.insert(lab::Describe({pc.ip, lab::ArpMacText(pc), "-", "-", ""}));
  EXPECT_EQ(got, want);
  EXPECT_EQ(view.status[0],
            "扫描已成功完成,本次扫描共发现在线主机 " + std::to_string(pcs.size()) + " 台");
  EXPECT_EQ(view.Panel0()[0], "正在扫描 192.168.0.2 共计要扫描IP地址 253 个");
  EXPECT_FALSE(view.progress_shown);
  EXPECT_TRUE(view.buttons[lr::ScanButton::kInstall]);
}

TEST(IcmpLab, StopInTheMiddleEndsBeforeTheNextEchoWithoutAHarvest) {
  RecordingView view;
  lr::ScanRun run(view);
  // The stop button, clicked once while the window handles its pending input after .15
  // (the stop handler itself lets the window handle pending input again).
  bool clicked = false;
  view.on_pending_input = [&] {
    if (!clicked && view.progress_caption == kProgress + "192.168.0.15") {
      clicked = true;
      run.StopClick();
    }
  };
  run.ScanClick("192.168.0.1", "192.168.0.254", "ICMP", "100");

  EXPECT_EQ(view.status[0], "用户取消扫描！");
  EXPECT_TRUE(view.Records().empty());
  EXPECT_FALSE(DumpExists()) << "a dump was made after the stop";
  EXPECT_FALSE(view.progress_shown);
  EXPECT_FALSE(view.buttons[lr::ScanButton::kStop]);
  EXPECT_EQ(view.buttons.count(lr::ScanButton::kInstall), 0u);
  const std::string last_echo = "正在扫描 192.168.0.15 共计要扫描IP地址 253 个";
  std::vector<std::string> panel0 = view.Panel0();
  ASSERT_GE(panel0.size(), 2u);
  EXPECT_EQ(panel0[panel0.size() - 2], last_echo);
  EXPECT_TRUE(view.errors.empty());
}

}  // namespace
