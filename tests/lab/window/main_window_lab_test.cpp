// The main window scanning the cafe lab, driven as the administrator drives it: the scan
// button in each protocol (and with "快速扫描" ticked, with and without lost queries), stop in
// each mode, the batch name resolution, Wake-on-LAN, the
// roster comparison and the batch naming from the popup menu; the list, the status panels,
// the dialogs and the buttons' states are read back from the window.
// Runs only inside the lab's scanner namespace (the lab guard ends it elsewhere).
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/format.h"
#include "base/field_texts.h"
#include "hostlist/win32/RosterCompare.h"
#include "hostlist/win32/ip_edit.h"
#include "hostlist/win32/pattern_dialog.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/win/main_window_test_support.h"
#include "tests/win/screenshot.h"

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

  // A NetBIOS scan of the whole lab with "快速扫描" ticked: every PC in exactly one row.
  void FastNetBiosScanFindsEveryPcOnce() {
    SetScan("192.168.0.1", "192.168.0.254", "NetBios", "100");
    SendMessageW(form_->control(TForm1::kChkFast), BM_CLICK, 0, 0);
    Toolbar(TForm1::kBtnScan);
    ASSERT_TRUE(NbtSweepEnded());
    PumpUntil([] { return false; }, 300);  // answers still on their way add no row either
    const auto pcs = lab::LoadLabPcs();
    std::map<std::string, int> rows;
    for (const auto& r : Records()) ++rows[r.ip];
    for (const auto& pc : pcs) EXPECT_EQ(rows[pc.ip], 1) << pc.ip;
    EXPECT_EQ(form_->Hosts().Count(), pcs.size());
    EXPECT_EQ(form_->StatusText(0).rfind("扫描成功完成！", 0), 0u) << form_->StatusText(0);
    EXPECT_EQ(form_->StatusText(1),
              "扫描成功完成！共发现主机数：" + std::to_string(pcs.size()) + " 台!");
    EXPECT_EQ(Rows(), static_cast<int>(pcs.size()));
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

  // Saved on exit (the window's close query, without the close), exported with the CSV
  // filter as NetInfo.csv, exported as text and renamed to .csv, then each imported with
  // either filter: every row comes back with its padded workgroup and name (the text export
  // has no workgroup).
  const auto saved = dir_ / L"NetInfo.txt";
  const auto sheet = dir_ / L"NetInfo.csv";
  const auto text = dir_ / L"text.csv";
  dialog_answers_ = {Chosen(saved),    Chosen(sheet, 2), Chosen(dir_ / L"text.txt"),
                     Chosen(saved, 2), Chosen(sheet),    Chosen(sheet, 2),
                     Chosen(text, 2)};
  ASSERT_TRUE(form_->FormCloseQuery());
  form_->btnExportClick();
  EXPECT_EQ(dialogs_.back().file_name, "NetInfo.txt");
  form_->btnExportClick();
  std::filesystem::rename(dir_ / L"text.txt", text);
  for (int i = 0; i < 4; ++i) form_->SpeedButton4Click();
  const auto all = Records();
  ASSERT_EQ(all.size(), 5 * records.size());
  for (size_t copy = 1; copy < 5; ++copy) {
    auto want = records;
    if (copy == 4)
      for (auto& r : want) r.workgroup = "-";
    EXPECT_TRUE(std::equal(want.begin(), want.end(), all.begin() + copy * records.size())) << copy;
  }
  while (form_->Hosts().Count() > records.size()) form_->Hosts().RemoveAt(records.size());
  form_->HostsChanged();

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

TEST_F(MainWindowLab, NetBiosFastScanFindsEveryPcOnce) {
  FastNetBiosScanFindsEveryPcOnce();
}

// The suite drops 30% of the queries (the lab responder's drop flag) for this one.
TEST_F(MainWindowLab, DropsFastNetBiosScanStillFindsEveryPcOnce) {
  FastNetBiosScanFindsEveryPcOnce();
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

// The fast ICMP scan of the same range right after the designed one: the same rows and end
// text, without the fixed pauses.
TEST_F(MainWindowLab, IcmpFastScanGivesTheRowsOfTheDesignedScan) {
  SetScan("192.168.0.1", "192.168.0.30", "ICMP", "100");
  Toolbar(TForm1::kBtnScan);
  std::multiset<std::string> designed, fast;
  for (const auto& r : Records()) designed.insert(lab::Describe(r));
  const std::string designed_end = form_->StatusText(0);
  ASSERT_FALSE(designed.empty());
  SendMessageW(form_->control(TForm1::kChkFast), BM_CLICK, 0, 0);
  Toolbar(TForm1::kBtnScan);
  for (const auto& r : Records()) fast.insert(lab::Describe(r));
  EXPECT_EQ(fast, designed);
  EXPECT_EQ(form_->StatusText(0), designed_end);
  EXPECT_FALSE(IsWindowVisible(form_->control(TForm1::kPanel1)));
  EXPECT_EQ(Rows(), static_cast<int>(fast.size()));
}

// After a scan, a roster that differs by one MAC, one name, one PC it lacks and one PC the
// lab lacks: "关闭" leaves the list alone, "合并到列表" makes it the roster brought up to date.
TEST_F(MainWindowLab, RosterComparisonGivesOneRowOfEachStatusAndMerges) {
  SetScan("192.168.0.18", "192.168.0.29", "NetBios", "100");  // the end is not queried
  Toolbar(TForm1::kBtnScan);
  ASSERT_TRUE(NbtSweepEnded());
  Pump();
  const std::vector<HostRecord> scanned = Records();
  auto at = [&](const char* ip) {
    auto it = std::find_if(scanned.begin(), scanned.end(), [&](auto& r) { return r.ip == ip; });
    EXPECT_NE(it, scanned.end()) << ip;
    return it == scanned.end() ? HostRecord{} : *it;
  };
  // The roster as kept by hand: client MACs, names without padding, in address order.
  HostList roster;
  for (int last = 18; last <= 28; ++last) {
    HostRecord r = at(("192.168.0." + std::to_string(last)).c_str());
    r.mac = ClientMacForm(r.mac);
    r.name = r.name.substr(0, r.name.find(' '));
    if (last == 21) r.mac = "00-0C-29-AB-09-21";  // its adapter was replaced
    if (last == 22) r.name = "PC22X";             // the clone kept another name
    if (last != 23) roster.Append(r);             // a PC bought since
  }
  roster.Append(Rec("192.168.0.99", "00-0C-29-AB-09-99", "-", "PC99"));  // switched off
  const auto roster_file = dir_ / L"roster.txt";
  ASSERT_TRUE(WriteListFile(roster_file, roster, ListLayout::kExport).status.ok);

  struct Seen {
    std::string summary;
    std::map<std::string, std::string> status_by_ip;  // a roster IP, or a scanned one for 新增
    std::string first, last;                          // statuses after the header click
  } seen;
  auto answer_with = [&](int button) {
    later_.Post([&, button] {
      HWND dlg = FindWindowW(TRosterCompareDialog::kClassName, nullptr);
      ASSERT_NE(dlg, nullptr);
      HWND list = GetDlgItem(dlg, TRosterCompareDialog::kList);
      auto cell = [&](int row, int col) {
        wchar_t buf[256] = {};
        LVITEMW item{};
        item.iSubItem = col;
        item.pszText = buf;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return ui::Gbk(buf);
      };
      seen.summary = ui::GetText(GetDlgItem(dlg, TRosterCompareDialog::kSummary));
      const int rows = ListView_GetItemCount(list);
      for (int i = 0; i < rows; ++i) {
        const std::string ip = cell(i, kRosterColIp);
        seen.status_by_ip[ip.empty() ? cell(i, kRosterColScanIp) : ip] = cell(i, kRosterColStatus);
      }
      if (const wchar_t* dir = _wgetenv(L"LR_WINDOW_FIGURES"); dir && button == IDCANCEL) {
        RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT r;
        GetWindowRect(dlg, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        const auto png = lr::testing::EncodePng(w, h, lr::testing::Capture(dlg, w, h, true));
        std::ofstream(std::filesystem::path(dir) / L"roster_compare.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()),
                   static_cast<std::streamsize>(png.size()));
      }
      // A click on the status header, as the mouse gives it.
      HWND header = ListView_GetHeader(list);
      RECT col{};
      Header_GetItemRect(header, kRosterColStatus, &col);
      const LPARAM pt = MAKELPARAM((col.left + col.right) / 2, (col.top + col.bottom) / 2);
      SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, pt);
      SendMessageW(header, WM_LBUTTONUP, 0, pt);
      seen.first = cell(0, kRosterColStatus);
      seen.last = cell(rows - 1, kRosterColStatus);
      SendMessageW(GetDlgItem(dlg, button), BM_CLICK, 0, 0);
    });
  };

  dialog_answers_.push_back(Chosen(roster_file));
  answer_with(IDCANCEL);
  Menu(TForm1::kRosterItem);
  const size_t n = scanned.size();
  EXPECT_EQ(seen.summary, "一致 " + std::to_string(n - 3) +
                              " 台，未生效 1 台，已换网卡 1 台，未找到 1 台，新增 1 台");
  const std::map<std::string, std::string> special = {{"192.168.0.21", "已换网卡"},
                                                      {"192.168.0.22", "未生效"},
                                                      {"192.168.0.23", "新增"},
                                                      {"192.168.0.99", "未找到"}};
  EXPECT_EQ(seen.status_by_ip.size(), n + 1);
  for (const auto& [ip, status] : seen.status_by_ip)
    EXPECT_EQ(status, special.count(ip) ? special.at(ip) : "一致") << ip;
  EXPECT_EQ(seen.first, "一致");
  EXPECT_EQ(seen.last, "新增");
  EXPECT_EQ(Records(), scanned);  // "关闭" changes nothing

  dialog_answers_.push_back(Chosen(roster_file));
  answer_with(TRosterCompareDialog::kBtnMerge);
  Shortcut(TForm1::kRosterItem);  // Ctrl+K
  std::vector<HostRecord> want;
  for (size_t i = 0; i < roster.Count(); ++i) want.push_back(roster.At(i));
  for (auto& r : want) r.workgroup = "-";  // the export layout has no workgroup
  want[3].mac = at("192.168.0.21").mac;    // the adapter the scan found
  want.push_back(at("192.168.0.23"));
  EXPECT_EQ(Records(), want);
  EXPECT_EQ(Rows(), static_cast<int>(want.size()));
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
