// The main window scanning the cafe lab, driven as the administrator drives it: the scan
// button in each protocol, stop in each mode, the batch name resolution and Wake-on-LAN from
// the popup menu; the list, the status panels and the buttons' states are read back from the
// window.
// Runs only inside the lab's scanner namespace (the lab guard ends it elsewhere).
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/lab/discovery/lab_env.h"
#include "tests/win/main_window_test_support.h"

namespace lr::test {
namespace {

int LastOctet(const std::string& ip) {
  return std::atoi(ip.substr(ip.rfind('.') + 1).c_str());
}

std::vector<lab::LabPc> PcsUpTo(int last) {
  std::vector<lab::LabPc> out;
  for (const auto& pc : lab::LoadLabPcs())
    if (LastOctet(pc.ip) <= last) out.push_back(pc);
  return out;
}

class MainWindowLab : public MainWindowTest {
 protected:
  void AdjustOptions(TForm1Options& options) override {
    options.scan = ScanRunOptions{};  // the real arp command and dump file
    options.scan.harvest_pause_ms = 500;
    options.scan.dump_pause_ms = 4000;  // cmd and the arp tool start slowly under Wine
  }

  void SetScan(const std::string& start, const std::string& end, const std::string& protocol,
               const std::string& timeout) {
    form_->edtStart().SetIPString(start);
    form_->edtEnd().SetIPString(end);
    ui::SetText(form_->control(TForm1::kComboBox1), protocol);
    ui::SetText(form_->control(TForm1::kSpinEdit1), timeout);
  }

  bool NbtSweepEnded() {
    return PumpUntil([&] { return !form_->Scan().NbtSweepRunning(); }, 120000);
  }

  std::vector<HostRecord> Records() {
    std::vector<HostRecord> out;
    for (size_t i = 0; i < form_->Hosts().Count(); ++i) out.push_back(form_->Hosts().At(i));
    return out;
  }
};

TEST_F(MainWindowLab, NetBiosScanListsEveryPcOfTheRangeWithItsNames) {
  SetScan("192.168.0.1", "192.168.0.30", "NetBios", "100");
  AddRecords({Rec("typed", "by", "hand", "gone")});
  Toolbar(TForm1::kBtnScan);
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kBtnStop));
  ASSERT_TRUE(NbtSweepEnded());
  Pump();
  const auto pcs = PcsUpTo(30);
  const auto records = Records();
  EXPECT_EQ(records.size(), pcs.size());
  for (const auto& pc : pcs) {
    const HostRecord want = lab::ExpectedNbtRecord(pc);
    EXPECT_NE(std::find(records.begin(), records.end(), want), records.end()) << pc.ip;
  }
  EXPECT_EQ(form_->StatusText(0), "扫描成功完成！");
  EXPECT_EQ(form_->StatusText(1),
            "扫描成功完成！共发现主机数：" + std::to_string(records.size()) + " 台!");
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kBtnStop));  // stays enabled after the sweep
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kSpeedButton2));
  EXPECT_EQ(Rows(), static_cast<int>(records.size()));

  // A picture of the filled window for the record.
  if (const wchar_t* dir = _wgetenv(L"LR_WINDOW_FIGURES")) {
    SetForegroundWindow(form_->hwnd());
    UpdateWindow(form_->hwnd());
    Sleep(300);
    Pump();
    EXPECT_TRUE(
        SaveWindowPicture(form_->hwnd(), std::filesystem::path(dir) / L"main_window_scan.bmp"));
  }

  // The batch name resolution from the popup menu: every name from the hosts file or "---".
  Menu(TForm1::kN10);
  ASSERT_TRUE(PumpUntil([&] { return !form_->Scan().ResolveRunning(); }, 120000));
  Pump();
  for (const auto& pc : pcs) {
    const auto got = Records();
    auto it =
        std::find_if(got.begin(), got.end(), [&](const HostRecord& r) { return r.ip == pc.ip; });
    ASSERT_NE(it, got.end()) << pc.ip;
    EXPECT_EQ(it->name, pc.hosts_name.empty() ? "---" : pc.hosts_name) << pc.ip;
  }
  EXPECT_EQ(form_->StatusText(1), "主机名解析成功完成！");
  EXPECT_FALSE(form_->ButtonEnabled(TForm1::kSpeedButton2));
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kSpeedButton1));
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kBtnInstall));
}

TEST_F(MainWindowLab, NetBiosStopEndsTheSweepWithTheEndTexts) {
  SetScan("192.168.0.1", "192.168.0.254", "NetBios", "100");
  Toolbar(TForm1::kBtnScan);
  ASSERT_TRUE(PumpUntil([&] { return form_->StatusText(0).rfind("正在扫描：", 0) == 0; }, 30000));
  Toolbar(TForm1::kBtnStop);
  ASSERT_TRUE(NbtSweepEnded());
  Pump();
  EXPECT_EQ(form_->StatusText(0), "扫描成功完成！");
  EXPECT_EQ(form_->StatusText(1).rfind("扫描成功完成！共发现主机数：", 0), 0u);
  EXPECT_LT(form_->Hosts().Count(), lab::LoadLabPcs().size());
}

// Before the NetBIOS tests fill the neighbour table, the suite empties it and runs these.
TEST_F(MainWindowLab, IcmpScanHarvestsTheArpTableOfTheRange) {
  SetScan("192.168.0.1", "192.168.0.30", "ICMP", "100");
  Toolbar(TForm1::kBtnScan);  // runs to its end inside the click
  EXPECT_FALSE(IsWindowVisible(form_->control(TForm1::kPanel1)));
  const auto records = Records();
  for (const auto& pc : PcsUpTo(30)) {
    if (LastOctet(pc.ip) < 2) continue;  // the start address is never sent an echo
    const HostRecord want = Rec(pc.ip, lab::ArpMacText(pc), "-", "-");
    EXPECT_NE(std::find(records.begin(), records.end(), want), records.end()) << pc.ip;
  }
  EXPECT_EQ(form_->StatusText(0),
            "扫描已成功完成,本次扫描共发现在线主机 " + std::to_string(records.size()) + " 台");
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kBtnInstall));
  EXPECT_TRUE(form_->ButtonEnabled(TForm1::kBtnStop));
  EXPECT_EQ(Rows(), static_cast<int>(records.size()));
}

TEST_F(MainWindowLab, IcmpStopBeforeTheNextEchoLeavesTheListEmpty) {
  SetScan("192.168.0.1", "192.168.0.254", "ICMP", "100");
  AddRecords({Rec("typed", "by", "hand", "gone")});
  later_.Post([&] {
    EXPECT_TRUE(IsWindowVisible(form_->control(TForm1::kPanel1)));
    Toolbar(TForm1::kBtnStop);
  });
  Toolbar(TForm1::kBtnScan);
  EXPECT_EQ(form_->StatusText(0), "用户取消扫描！");
  EXPECT_EQ(form_->Hosts().Count(), 0u);
  EXPECT_EQ(Rows(), 0);
  EXPECT_FALSE(form_->ButtonEnabled(TForm1::kBtnStop));
  EXPECT_FALSE(IsWindowVisible(form_->control(TForm1::kPanel1)));
}

// The suite switches off the PCs listed in asleep.txt (no address until their magic packet
// reaches their link) and checks the packets on the wire afterwards.
TEST_F(MainWindowLab, WakeOnLanFromALoadedListThenNetBiosFindsEveryPc) {
  std::ifstream asleep_file(lab::LabFile("asleep.txt"));
  std::vector<std::string> asleep;
  for (std::string ip; asleep_file >> ip;) asleep.push_back(ip);
  ASSERT_FALSE(asleep.empty()) << "no asleep.txt in the lab folder";

  // The list file: the PCs' MACs in the forms a list may hold, and a row with no MAC.
  std::ostringstream text;
  text << "header\r\n";
  size_t n = 0;
  for (const auto& pc : lab::LoadLabPcs()) {
    if (std::find(asleep.begin(), asleep.end(), pc.ip) == asleep.end()) continue;
    std::string mac = pc.mac;  // 00:0c:29:ab:01:21
    switch (n++ % 4) {
      case 1:
        std::replace(mac.begin(), mac.end(), ':', '.');
        break;
      case 2:
        mac = lab::ArpMacText(pc);
        break;
      case 3:
        mac.erase(std::remove(mac.begin(), mac.end(), ':'), mac.end());
        break;
    }
    text << pc.ip << " " << mac << " " << pc.computer << "\r\n";
  }
  ASSERT_EQ(n, asleep.size());
  text << "192.168.0.99 00-0C-29 PC99\r\n";
  const auto path = dir_ / L"roster.txt";
  std::ofstream(path, std::ios::binary) << text.str();
  dialog_answers_.push_back(Chosen(path));
  Toolbar(TForm1::kSpeedButton4);
  ASSERT_EQ(Rows(), static_cast<int>(asleep.size() + 1));

  // One selected row is woken alone: here the row without a MAC, so nothing is sent.
  Select(static_cast<int>(asleep.size()));
  Shortcut(TForm1::kMnuWake);
  EXPECT_EQ(form_->StatusText(0), "已向 0 台计算机发送唤醒包，1 行 MAC 无效");
  // None selected: every row.
  Select(-1);
  Menu(TForm1::kMnuWake);
  EXPECT_EQ(form_->StatusText(0),
            "已向 " + std::to_string(asleep.size()) + " 台计算机发送唤醒包，1 行 MAC 无效");

  SetScan("192.168.0.1", "192.168.0.30", "NetBios", "100");
  Toolbar(TForm1::kBtnScan);
  ASSERT_TRUE(NbtSweepEnded());
  Pump();
  const auto records = Records();
  const auto pcs = PcsUpTo(30);
  EXPECT_EQ(records.size(), pcs.size());
  for (const auto& pc : pcs) {
    const HostRecord want = lab::ExpectedNbtRecord(pc);
    EXPECT_NE(std::find(records.begin(), records.end(), want), records.end()) << pc.ip;
  }
  EXPECT_EQ(form_->StatusText(0), "扫描成功完成！");
}

}  // namespace
}  // namespace lr::test
