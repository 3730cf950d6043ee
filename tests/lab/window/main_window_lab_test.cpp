// The main window scanning the cafe lab, driven as the administrator drives it: the scan
// button in each protocol, stop in each mode, and the batch name resolution from the popup
// menu; the list, the status panels and the buttons' states are read back from the window.
// Runs only inside the lab's scanner namespace (the lab guard ends it elsewhere).
#include <algorithm>
#include <cstdio>

#include "tests/lab/discovery/lab_env.h"
#include "base/format.h"
#include "hostlist/win32/ip_edit.h"
#include "hostlist/win32/pattern_dialog.h"
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

// The batch naming over the rows of a NetBIOS scan of the whole lab: the dialog driven
// through its controls, its preview read back before each "确定".
TEST_F(MainWindowLab, PatternNamesTheScannedRowsInAddressOrder) {
  SetScan("192.168.0.1", "192.168.0.254", "NetBios", "100");
  Toolbar(TForm1::kBtnScan);
  ASSERT_TRUE(NbtSweepEnded());
  Pump();
  std::vector<std::string> ips;
  for (const auto& pc : lab::LoadLabPcs()) ips.push_back(pc.ip);
  std::sort(ips.begin(), ips.end(), [](auto& a, auto& b) { return LastOctet(a) < LastOctet(b); });
  ASSERT_EQ(form_->Hosts().Count(), ips.size());
  ASSERT_EQ(ips.size(), 24u);

  // Runs the dialog from the popup menu; `drive` sets its controls, then "确定" is clicked.
  auto name_by = [&](const std::function<void(HWND)>& drive) {
    later_.Post([&] {
      HWND dlg = FindWindowW(TPatternDialog::kClassName, nullptr);
      ASSERT_TRUE(dlg && IsWindowVisible(dlg));
      drive(dlg);
      SendMessageW(GetDlgItem(dlg, TPatternDialog::kBtnOk), BM_CLICK, 0, 0);
    });
    Menu(TForm1::kNamePattern);
    Pump();
  };
  auto click = [](HWND dlg, int id) { SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); };
  auto preview = [](HWND dlg, int row, int column) {
    wchar_t buf[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 64;
    SendMessageW(GetDlgItem(dlg, TPatternDialog::kList), LVM_GETITEMTEXTW, row,
                 reinterpret_cast<LPARAM>(&item));
    return ui::Gbk(buf);
  };
  auto name_of = [&](const std::string& ip) {
    for (size_t i = 0; i < form_->Hosts().Count(); ++i)
      if (form_->Hosts().At(i).ip == ip) return form_->Hosts().At(i).name;
    return std::string("(gone)");
  };

  name_by([&](HWND dlg) {  // as it opens: all rows, PC001 on, in address order
    EXPECT_EQ(preview(dlg, 0, TPatternDialog::kColIp), "192.168.0.2");
    EXPECT_EQ(preview(dlg, 23, TPatternDialog::kColNewName), "PC024");
    // A prefix that leaves digits only is refused in the preview and "确定" is disabled.
    ui::SetText(GetDlgItem(dlg, TPatternDialog::kEdtPrefix), "");
    EXPECT_EQ(preview(dlg, 0, TPatternDialog::kColFault), "计算机名全是数字，Windows不接受");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, TPatternDialog::kBtnOk)));
    ui::SetText(GetDlgItem(dlg, TPatternDialog::kEdtPrefix), "PC");
    if (const wchar_t* dir = _wgetenv(L"LR_WINDOW_FIGURES")) {
      UpdateWindow(dlg);
      Sleep(300);
      Pump();
      EXPECT_TRUE(SaveWindowPicture(dlg, std::filesystem::path(dir) / L"pattern_dialog.bmp"));
    }
  });
  for (size_t i = 0; i < ips.size(); ++i)
    EXPECT_EQ(name_of(ips[i]), StrFormat("PC%03u", static_cast<unsigned>(i + 1))) << ips[i];

  name_by([&](HWND dlg) { click(dlg, TPatternDialog::kRadLastOctet); });
  for (const auto& ip : ips) EXPECT_EQ(name_of(ip), StrFormat("PC%03d", LastOctet(ip))) << ip;

  // Consecutive addresses from .101 in address order; the names follow the new addresses.
  name_by([&](HWND dlg) {
    TIPEdit::FromHandle(GetDlgItem(dlg, TPatternDialog::kEdtStartAddress))
        ->SetIPString("192.168.0.101");
    click(dlg, TPatternDialog::kChkAddresses);
    EXPECT_EQ(preview(dlg, 1, TPatternDialog::kColNewIp), "192.168.0.102");
  });
  for (size_t i = 0; i < ips.size(); ++i) {
    const std::string ip = StrFormat("192.168.0.%u", static_cast<unsigned>(101 + i));
    EXPECT_EQ(name_of(ip), StrFormat("PC%u", static_cast<unsigned>(101 + i))) << ips[i];
  }
  EXPECT_EQ(Cell(0, kFieldName), form_->Hosts().At(0).name);  // the list shows the rows
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

}  // namespace
}  // namespace lr::test
