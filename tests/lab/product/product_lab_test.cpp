// The administrator's whole path on the master machine, in the cafe lab: the real main
// window sweeps the default range by NetBIOS, one scanned record is corrected by hand in the
// record dialog (its MAC in the form a client builds, and a new name), and the generator
// dialog, opened from the main window's button, writes the client package onto this Wine
// prefix through the real master-machine target, the check's dialog answered "按原样生成".
// The settings file is compared byte for byte with the text the scanned list must give.
// Then, uncorrected, a NetBIOS and an ICMP scan answered "修正后生成", and a NetBIOS scan of
// PCs with nothing wrong but the scan's MAC form and name padding, which generates without
// the check's dialog. The suite script checks the kept packages, boots the master and the
// clones, and at the end has the package removed from the master by the list's popup item
// while its service waits for its adapter (RemoveClientFromTheMenu, run on its own); last, a
// generation that can't write Hostprep.exe (HeldHostprepLeavesNothingToStart, run on its own)
// before the master boots again. Runs only in the lab's scanner namespace.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/file.h"
#include "package/preflight.h"
#include "package/win32/Preflight.h"
#include "package/win32/Setup.h"
#include "package/win32/adapters.h"
#include "package/win32/client_removal.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/win/main_window_test_support.h"

namespace lr::test {
namespace {

const std::filesystem::path kSettingsFile = L"C:\\Windows\\Myset.ini";
const std::filesystem::path kHostprepFile = L"C:\\Windows\\Hostprep.exe";

// The record corrected by hand; the suite boots a clone with this PC's MAC. The name is
// GBK (网吧-21).
const char* const kCorrectedIp = "192.168.0.21";
const char* const kCorrectedMac = "00-0C-29-AB-01-21";
const char* const kCorrectedName = "\xCD\xF8\xB0\xC9-21";

// The options the administrator sets; the clones' checks in the suite script use the same.
const char* const kGateway = "192.168.0.1";
const char* const kMask = "255.255.255.0";
const char* const kProgram = "C:\\\xCD\xF8\xB0\xC9\\prog.exe";  // C:\网吧\prog.exe
const char* const kPassword = "Pw7x";

std::string TrimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

bool SameKey(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

// The settings file a generation must leave: the options, then one entry per row in the
// list's order, a MAC text seen again keeping its first place with the later row's value.
// Values lose their trailing blanks (the padded NetBIOS names), as the platform's profile
// functions store them.
std::string ExpectedSettings(const std::vector<std::pair<std::string, std::string>>& autoset,
                             const std::vector<HostRecord>& rows) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& r : rows) {
    const std::string value = TrimRight(r.ip + "~" + r.name);
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const auto& e) { return SameKey(e.first, r.mac); });
    if (it == entries.end())
      entries.emplace_back(r.mac, value);
    else
      it->second = value;
  }
  std::string text = "[AutoSet]\r\n";
  for (const auto& [k, v] : autoset) text += k + "=" + v + "\r\n";
  text += "[InfoList]\r\n";
  for (const auto& [k, v] : entries) text += k + "=" + v + "\r\n";
  return text;
}

bool RunValueExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const bool found =
      RegQueryValueExW(key, L"hostprep", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

bool ServiceExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\hostprep", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool ServiceRunning() {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = scm ? OpenServiceW(scm, L"hostprep", SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS status{};
  const bool running =
      service && QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
  if (service) CloseServiceHandle(service);
  if (scm) CloseServiceHandle(scm);
  return running;
}

class ProductLab : public MainWindowTest {
 protected:
  void AdjustOptions(TForm1Options& options) override {
    options.remove_client = [] {  // as the program wires it
      WinClientRemovalTarget machine;
      RemoveClientPackage(machine);
    };
    options.scan = ScanRunOptions{};
    options.scan.dump_pause_ms = 4000;  // cmd and the arp tool start slowly under Wine
    options.show_generator = [this] {
      ++generator_shown_;
      if (form2_) form2_->ShowModal();
    };
  }

  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    // As the program does: the generator over the main window's list, on the real machine.
    form2_ = std::make_unique<TForm2>(form_->Hosts());
    ASSERT_TRUE(form2_->Create(form_->hwnd()));
  }

  void TearDown() override {
    form2_.reset();
    MainWindowTest::TearDown();
  }

  std::vector<HostRecord> Records() {
    std::vector<HostRecord> out;
    for (size_t i = 0; i < form_->Hosts().Count(); ++i) out.push_back(form_->Hosts().At(i));
    return out;
  }

  int RowOf(const std::string& ip) {
    for (size_t i = 0; i < form_->Hosts().Count(); ++i)
      if (form_->Hosts().At(i).ip == ip) return static_cast<int>(i);
    return -1;
  }

  void Check(int id) { SendMessageW(form2_->Control(id), BM_SETCHECK, BST_CHECKED, 0); }
  void Type(int id, const std::string& text) { ui::SetText(form2_->Control(id), text); }
  void ClickCreate() {
    SendMessageW(form2_->hwnd(), WM_COMMAND, MAKEWPARAM(TForm2::kBtnCreateFile, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form2_->Control(TForm2::kBtnCreateFile)));
  }

  // Clicks the create button with the check's dialog, when it comes, answered `button`
  // (its lines counted, -1 when it did not come); fails and closes the generator dialog if
  // that stays open.
  void CreateAnswering(int button) {
    boxes_.clear();
    check_lines_ = -1;
    later_.Post([this, button] {
      HWND d = FindWindowW(TPreflightDialog::kClassName, nullptr);
      if (!d) return;
      check_lines_ = ListView_GetItemCount(GetDlgItem(d, TPreflightDialog::kList));
      // With nothing the check can fix, "修正后生成" is disabled: the converted rows are
      // generated as they stand.
      HWND b = GetDlgItem(d, button);
      if (!IsWindowEnabled(b)) b = GetDlgItem(d, TPreflightDialog::kBtnAsIs);
      SendMessageW(b, BM_CLICK, 0, 0);
    });
    ClickCreate();
    later_.Post([this] {  // runs inside the dialog's loop only if it stayed open
      if (form2_ && form2_->Showing()) {
        ADD_FAILURE() << "the generation did not close the dialog";
        form2_->Button2Click();
      }
    });
  }

  // After a scan: the generator with the suite's options, answered "修正后生成", the package
  // kept as `keep`; then each lab PC's row, in the list and the window, holds the MAC the
  // ARP table gives and, unless `name` gives "", that name.
  // With `lines` 0, the check must find nothing to ask and only the PCs of `ips` are looked
  // at.
  void GenerateFixed(const char* keep, std::string (*name)(const lab::LabPc&), int lines = 1,
                     const std::vector<std::string>& ips = {}) {
    later_.Post([&] {
      form2_->edtGateway().SetIPString(kGateway);
      form2_->edtMask().SetIPString(kMask);
      Type(TForm2::kEdtPW1, kPassword);
      Type(TForm2::kEdtPW2, kPassword);
      CreateAnswering(TPreflightDialog::kBtnFix);
    });
    Toolbar(TForm1::kBtnInstall);
    if (lines)
      EXPECT_GT(check_lines_, 0);
    else
      EXPECT_EQ(check_lines_, -1) << "the check's dialog came for a sound list";
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "提示");
    Keep(keep);
    for (const auto& pc : lab::LoadLabPcs()) {
      if (!ips.empty() && std::find(ips.begin(), ips.end(), pc.ip) == ips.end()) continue;
      const int row = RowOf(pc.ip);
      const HostRecord r = row < 0 ? HostRecord{} : form_->Hosts().At(row);
      EXPECT_TRUE(row < 0 || (Cell(row, 1) == r.mac && Cell(row, 3) == r.name)) << pc.ip;
      EXPECT_EQ(r.mac, lab::ArpMacText(pc)) << pc.ip;
      EXPECT_TRUE(name(pc).empty() || r.name == name(pc)) << pc.ip << ": " << r.name;
    }
  }

  void Keep(const char* name) {
    if (lab::LabDir().empty()) return;
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(kSettingsFile, bytes).ok);
    OutFile out;
    EXPECT_TRUE(out.Open(lab::LabFile(name)).ok);
    out.Write(bytes);
  }

  std::unique_ptr<TForm2> form2_;
  int check_lines_ = 0;
};

// The master's adapters as the MasterMAC value lists them.
std::string MasterMacs() {
  std::string out;
  for (const NetAdapter& a : ListNetAdapters()) out += (out.empty() ? "" : ",") + a.mac;
  return out;
}

TEST_F(ProductLab, ScanCorrectAndGenerateThePackage) {
  // The master starts with no package.
  ASSERT_FALSE(std::filesystem::exists(kSettingsFile));
  ASSERT_FALSE(std::filesystem::exists(kHostprepFile));
  ASSERT_FALSE(RunValueExists());
  ASSERT_FALSE(ServiceExists());

  // 1. The scan, with the window's own range, protocol and time-out.
  EXPECT_EQ(form_->edtStart().IPString(), "192.168.0.1");
  EXPECT_EQ(form_->edtEnd().IPString(), "192.168.0.254");
  Toolbar(TForm1::kBtnScan);
  ASSERT_TRUE(PumpUntil([&] { return !form_->Scan().NbtSweepRunning(); }, 300000));
  Pump();
  const auto pcs = lab::LoadLabPcs();
  std::vector<HostRecord> scanned = Records();
  ASSERT_EQ(scanned.size(), pcs.size());
  for (const auto& pc : pcs) {
    const HostRecord want = lab::ExpectedNbtRecord(pc);
    EXPECT_NE(std::find(scanned.begin(), scanned.end(), want), scanned.end())
        << lab::Describe(want);
  }
  ASSERT_FALSE(HasFailure()) << "the scan did not list the lab's PCs";

  // 2. The correction in the record dialog's edit mode.
  const int row = RowOf(kCorrectedIp);
  ASSERT_GE(row, 0);
  const HostRecord before = form_->Hosts().At(row);
  Select(row);
  bool edited = false;
  later_.Post([&] {
    EXPECT_EQ(frm_add_->Inputs(), InputsFor(before));
    ui::SetText(frm_add_->edtMAC(), kCorrectedMac);
    ui::SetText(frm_add_->edtName(), kCorrectedName);
    edited = true;
    SendMessageW(GetDlgItem(frm_add_->hwnd(), TFrmAdd::kBitBtn1), BM_CLICK, 0, 0);
  });
  form_->SpeedButton2Click();
  ASSERT_TRUE(edited);
  const HostRecord corrected{kCorrectedIp, kCorrectedMac, before.workgroup, kCorrectedName, ""};
  EXPECT_EQ(form_->Hosts().At(row), corrected);
  EXPECT_EQ(Cell(row, 1), kCorrectedMac);
  EXPECT_EQ(Cell(row, 3), kCorrectedName);
  const std::vector<HostRecord> rows = Records();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (static_cast<int>(i) != row) {
      EXPECT_EQ(rows[i], scanned[i]) << i;
    }
  }

  // 3. The generator from the main window's button: first a refused click (the passwords
  // differ), which must leave the machine without any part of a package, then the real one.
  const std::string gateway = kGateway;
  const std::string mask = kMask;
  const std::string program = kProgram;
  const std::string password = kPassword;
  bool refused_checked = false;
  later_.Post([&] {
    EXPECT_TRUE(form2_->Showing());
    form2_->edtGateway().SetIPString(gateway);
    form2_->edtMask().SetIPString(mask);
    Check(TForm2::kChkReboot);
    Check(TForm2::kChkRA2);
    // Today's package: unlisted clones do not ask (their own suite shows the asking).
    SendMessageW(form2_->Control(TForm2::kChkAssign), BM_SETCHECK, BST_UNCHECKED, 0);
    Type(TForm2::kEdtExecutePath, program);
    Check(TForm2::kRadNormal);
    Type(TForm2::kEdtPW1, password);
    Type(TForm2::kEdtPW2, password + "!");
    boxes_.clear();
    ClickCreate();
    if (boxes_.size() != 1u) {  // the dialog is closed, so the test goes on to report
      ADD_FAILURE() << "a refused click shows one message, not " << boxes_.size();
      form2_->Button2Click();
      return;
    }
    EXPECT_EQ(boxes_[0].text, "前后两次输入的密码不一致！");
    EXPECT_TRUE(form2_->Showing());
    EXPECT_FALSE(std::filesystem::exists(kSettingsFile));
    EXPECT_FALSE(std::filesystem::exists(kHostprepFile));
    EXPECT_FALSE(RunValueExists());
    refused_checked = true;

    Type(TForm2::kEdtPW2, password);
    CreateAnswering(TPreflightDialog::kBtnAsIs);
  });
  Toolbar(TForm1::kBtnInstall);
  EXPECT_TRUE(refused_checked);
  EXPECT_EQ(generator_shown_, 1);
  EXPECT_FALSE(form2_->Showing());
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "提示");
  EXPECT_EQ(boxes_[0].text,
            "所需文件已自动生成，并存入指定目录下！\r\n"
            "现在请立即重新启动计算机为系统制作Ghost镜像!否则所有设置无效！\r\n\r\n"
            "克隆机开机时（无需登录），服务 hostprep 设置计算机名和 IP 地址，并重启一次；\r\n"
            "首次登录时启动指定程序、输入解锁密码；\r\n"
            "然后 Hostprep 自行删除。本机（母盘）不做任何修改。"
            "\r\n\r\n制作镜像前请注意：\r\n"
            "已关闭快速启动和休眠（克隆机也一样）。\r\n"
            "只在“重新启动”后制作镜像，不要在“关机”后制作（快速启动会把母盘的会话留在镜像里）。\r\n"
            "Windows 11 24H2 及以后：与母盘共用计算机 SID 的克隆机之间不能用 NTLM/Kerberos"
            "（共享文件、远程桌面），解决办法是先用 Sysprep 封装。\r\n"
            "开着 BitLocker 或设备加密的母盘做出的克隆机会要求恢复密钥：制作镜像前先解密。");
  EXPECT_EQ(boxes_[0].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONINFORMATION));

  // 4. The package: the settings file byte for byte, the Run value, the executable.
  std::string encoded;
  const unsigned char key[3] = {0x0E, 0x05, 0x1A};
  for (size_t i = 0; i < password.size(); ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X",
                  static_cast<unsigned char>(password[i]) ^ key[(i + 1) % 3]);
    encoded += hex;
  }
  // The MACs in the client's form and the names without their padding, in the rows too.
  std::vector<HostRecord> converted = rows;
  for (HostRecord& r : converted) ConvertHostTexts(r);
  const std::string expected = ExpectedSettings({{"Gateway", gateway},
                                                 {"Mask", mask},
                                                 {"UnlockPW", encoded},
                                                 {"CanReboot", "Yes"},
                                                 {"CanModifyRA2", "Yes"},
                                                 {"ExecutePath", program},
                                                 {"FormStat", "1"},
                                                 {"MasterMAC", MasterMacs()}},
                                                converted);
  std::string written;
  ASSERT_TRUE(ReadWholeFile(kSettingsFile, written).ok);
  EXPECT_EQ(written, expected);
  EXPECT_EQ(Records(), converted);  // "按原样生成" leaves the rows as the conversions made them
  Keep("package-asis.ini");
  EXPECT_TRUE(RunValueExists());
  EXPECT_TRUE(ServiceExists());
  EXPECT_TRUE(std::filesystem::exists(kHostprepFile));

  // The suite prints the text the list had to give, next to what was written.
  if (!lab::LabDir().empty()) {
    OutFile out;
    EXPECT_TRUE(out.Open(lab::LabFile("expected_myset.ini")).ok);
    out.Write(expected);
  }
}

// The imaging options driven in the real dialog: unticked, neither HiberbootEnabled nor
// powercfg (the recorder, whose log holds each command line in hexadecimal) is touched;
// ticked, the value is 0 and powercfg was started with "/hibernate off"; filled DNS fields
// reach Myset.ini as DNS1 and DNS2 (empty ones are left out: the first test's file).
TEST_F(ProductLab, FastStartupAndDnsOptionsInTheRealDialog) {
  AddRecords({HostRecord{"192.168.0.50", "00-0C-29-AB-01-50", "-", "PC50", ""}});
  HKEY power = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                            L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power", 0,
                            nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &power, nullptr),
            ERROR_SUCCESS);
  DWORD value = 1, size = sizeof value;
  RegSetValueExW(power, L"HiberbootEnabled", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), size);
  std::string calls, hex;
  for (unsigned char c : std::string(" /hibernate off")) {
    hex += "0123456789abcdef"[c >> 4];
    hex += "0123456789abcdef"[c & 15];
  }
  for (const bool ticked : {false, true}) {
    const std::string before = ReadWholeFile(L"C:\\lrhp\\calls.log", calls).ok ? calls : "";
    later_.Post([&] {
      form2_->edtGateway().SetIPString(kGateway);
      form2_->edtMask().SetIPString(kMask);
      SendMessageW(form2_->Control(TForm2::kChkFastStartup), BM_SETCHECK, ticked, 0);
      form2_->edtDns1().SetIPString(ticked ? "192.168.0.1" : "0.0.0.0");
      form2_->edtDns2().SetIPString(ticked ? "114.114.114.114" : "0.0.0.0");
      CreateAnswering(TPreflightDialog::kBtnAsIs);
    });
    Toolbar(TForm1::kBtnInstall);
    Pump();  // CreateAnswering's checks, left over when no check came, run now
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text.find("已关闭快速启动和休眠") != std::string::npos, ticked);
    RegQueryValueExW(power, L"HiberbootEnabled", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                     &size);
    EXPECT_EQ(value, ticked ? 0u : 1u);
    calls = ReadWholeFile(L"C:\\lrhp\\calls.log", calls).ok ? calls : "";
    EXPECT_EQ(
        calls.size() > before.size() && calls.find(hex + "\n", before.size()) != std::string::npos,
        ticked);
    std::string written;
    ASSERT_TRUE(ReadWholeFile(kSettingsFile, written).ok);
    EXPECT_EQ(written.find("Mask=255.255.255.0\r\nDNS1=192.168.0.1\r\nDNS2=114.114.114.114\r\n") !=
                  std::string::npos,
              ticked)
        << written;
    if (ticked) Keep("package-dns.ini");
  }
  RegCloseKey(power);
}

TEST_F(ProductLab, NetBiosScanThenFixThenGenerate) {
  Toolbar(TForm1::kBtnScan);
  ASSERT_TRUE(PumpUntil([&] { return !form_->Scan().NbtSweepRunning(); }, 300000));
  Pump();
  GenerateFixed("package-nbt.ini", [](const lab::LabPc& pc) {  // the padding trimmed
    return pc.kind == "ours" && pc.computer.rfind("PC", 0) == 0 ? pc.computer : "";
  });
}

// PCs with sound names and addresses: the scan's "." MACs and padded names are converted
// without asking, so the package is written at once and the rows show what was written.
TEST_F(ProductLab, NetBiosScanOfSoundPcsGeneratesWithoutTheCheck) {
  form_->edtStart().SetIPString("192.168.0.17");
  form_->edtEnd().SetIPString("192.168.0.29");  // no PC: the sweep waits out the last reply
  Toolbar(TForm1::kBtnScan);
  std::vector<std::string> ips;
  for (int i = 17; i <= 28; ++i) ips.push_back("192.168.0." + std::to_string(i));
  ASSERT_TRUE(PumpUntil([&] { return !form_->Scan().NbtSweepRunning(); }, 120000));
  PumpUntil([&] { return form_->Hosts().Count() >= ips.size(); }, 5000);
  ASSERT_EQ(form_->Hosts().Count(), ips.size());
  EXPECT_NE(form_->Hosts().At(0).mac.find('.'), std::string::npos);  // as scanned
  GenerateFixed(
      "package-sound.ini", [](const lab::LabPc& pc) { return pc.computer; }, 0, ips);
}

TEST_F(ProductLab, IcmpScanAndReverseNamesThenFixThenGenerate) {
  ui::SetText(form_->control(TForm1::kComboBox1), "ICMP");
  Toolbar(TForm1::kBtnScan);
  Menu(TForm1::kN10);
  ASSERT_TRUE(PumpUntil([&] { return !form_->Scan().ResolveRunning(); }, 120000));
  Pump();
  GenerateFixed("package-icmp.ini", [](const lab::LabPc& pc) {
    return pc.hosts_name.empty() ? std::string("---")
                                 : pc.hosts_name.substr(0, pc.hosts_name.find('.'));
  });
}

// Run by the suite on its own, once the master's package has been checked and booted, during
// a further boot whose service is in its adapter wait: the list's popup item "移除客户端..."
// asks, is answered OK, stops the service and takes the whole package off.
TEST_F(ProductLab, RemoveClientFromTheMenu) {
  ASSERT_TRUE(ServiceExists());
  ASSERT_TRUE(RunValueExists());
  ASSERT_TRUE(ServiceRunning());
  const DWORD start = GetTickCount();
  Menu(TForm1::kRemoveClient);
  std::printf("figures: the removal took %.3f s, the running service's stop included\n",
              (GetTickCount() - start) / 1000.0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].caption, "询问");
  EXPECT_EQ(boxes_[0].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONQUESTION));
  EXPECT_EQ(boxes_[1].caption, "提示");
  EXPECT_EQ(boxes_[1].text,
            "已移除：服务 hostprep、开机运行项 hostprep、C:\\Windows\\Hostprep.exe、"
            "C:\\Windows\\Myset.ini");
  EXPECT_FALSE(ServiceExists());
  EXPECT_FALSE(RunValueExists());
  EXPECT_FALSE(std::filesystem::exists(kHostprepFile));
  EXPECT_FALSE(std::filesystem::exists(kSettingsFile));
}

// Run by the suite on its own after the removal: an earlier package, then a generation with
// the master's own MAC among the rows (as a sweep finds it) while Hostprep.exe is held open,
// as a running program or a virus scanner holds it. The box names the file and the cause,
// and nothing that starts Hostprep is left; the suite then boots the master.
TEST_F(ProductLab, HeldHostprepLeavesNothingToStart) {
  AddRecords({HostRecord{kCorrectedIp, kCorrectedMac, "-", "PC21", ""}});
  auto generate = [&] {
    form2_->edtGateway().SetIPString(kGateway);
    form2_->edtMask().SetIPString(kMask);
    boxes_.clear();
    later_.Post([] {
      HWND d = FindWindowW(TPreflightDialog::kClassName, nullptr);
      if (d) SendMessageW(GetDlgItem(d, TPreflightDialog::kBtnAsIs), BM_CLICK, 0, 0);
    });
    ClickCreate();
    if (form2_->Showing()) form2_->Button2Click();
  };
  later_.Post(generate);
  Toolbar(TForm1::kBtnInstall);
  ASSERT_TRUE(RunValueExists());
  std::string earlier_exe;
  ASSERT_TRUE(ReadWholeFile(kHostprepFile, earlier_exe).ok);

  const std::string own = ListNetAdapters().at(0).mac;
  AddRecords({HostRecord{"192.168.0.30", own, "-", "PC30", ""}});
  HANDLE held = CreateFileW(kHostprepFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  later_.Post(generate);
  Toolbar(TForm1::kBtnInstall);
  CloseHandle(held);
  ASSERT_EQ(boxes_.size(), 1u);
  std::printf("the box: %s\n", boxes_[0].text.c_str());
  EXPECT_EQ(boxes_[0].caption, ui::kErrorCaption);
  const std::string head = "Unable to write to C:\\Windows\\Hostprep.exe\xA3\xBA";  // "："
  EXPECT_EQ(boxes_[0].text.rfind(head, 0), 0u);
  EXPECT_GT(boxes_[0].text.find("\r\n"), head.size());                        // the system's reason
  EXPECT_NE(boxes_[0].text.find("\r\n\xB1\xBE\xBB\xFA"), std::string::npos);  // "本机..."
  EXPECT_FALSE(RunValueExists());
  std::string settings, exe;
  ASSERT_TRUE(ReadWholeFile(kSettingsFile, settings).ok);
  EXPECT_NE(settings.find("MasterMAC=" + MasterMacs() + "\r\n"), std::string::npos);
  EXPECT_TRUE(ReadWholeFile(kHostprepFile, exe).ok && exe == earlier_exe);
}

}  // namespace
}  // namespace lr::test
