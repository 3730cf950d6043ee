// The generator dialog driven through its controls: initial states, the options it reads,
// the click that generates, refusals that keep it open, and reuse between openings.
#include "package/win32/Setup.h"

#include <gtest/gtest.h>

#include "package/assign_wire.h"
#include "package/win32/Preflight.h"
#include "tests/win/main_window_test_support.h"
#include "tests/win/screenshot.h"

#include <vector>

#include "ui/controls.h"
#include "ui/file_dialog.h"
#include "ui/shell.h"
#include "ui/text.h"

namespace lr {
namespace {

// Keeps what the generation did instead of touching the machine.
struct RecordingTarget : PackageTarget {
  explicit RecordingTarget(std::vector<std::string>& log) : log(log) {}
  void StartSettingsFile() override { log.push_back("delete"); }
  void WriteSetting(const std::string& s, const std::string& k, const std::string& v) override {
    log.push_back(s + "/" + k + "=" + v);
  }
  void PlaceSettingsFile() override {}
  bool WithdrawStarts(std::string&) override { return true; }
  bool SetRunValue(const std::string&, const std::string&) override { return true; }
  bool InstallService(std::string&) override { return true; }
  bool SaveHostprep(std::string&) override { return true; }
  void ShowMessage(const std::string& caption, const std::string&, MessageKind) override {
    log.push_back("box " + caption);
  }
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  std::vector<std::string> OwnMacs() override { return {"00-0C-29-00-00-99"}; }
  std::vector<std::string>& log;
};

class SetupDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    hosts_.Append(HostRecord{"192.168.0.21", "00-1A-2B-3C-4D-5E", "-", "PC21", ""});
    form_ = std::make_unique<TForm2>(hosts_,
                                     [this] { return std::make_unique<RecordingTarget>(log_); });
    ASSERT_TRUE(form_->Create(nullptr));
  }
  void Click(int id) { SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void Check(int id) { SendMessageW(form_->Control(id), BM_SETCHECK, BST_CHECKED, 0); }
  void Type(int id, const std::string& text) { ui::SetText(form_->Control(id), text); }
  bool Has(const std::string& entry) const {
    return std::find(log_.begin(), log_.end(), entry) != log_.end();
  }

  HostList hosts_;
  std::vector<std::string> log_;
  std::unique_ptr<TForm2> form_;
};

TEST_F(SetupDialog, StartsWithTheDesignedCaptionSizeAndStates) {
  EXPECT_EQ(ui::GetText(form_->hwnd()), "配置并生成客户端");
  RECT rc;
  GetClientRect(form_->hwnd(), &rc);
  EXPECT_EQ(rc.right, TForm2::kClientWidth);
  EXPECT_EQ(rc.bottom, TForm2::kClientHeight);
  EXPECT_EQ(form_->edtGateway().IPString(), "0.0.0.0");
  EXPECT_EQ(form_->edtMask().IPString(), "0.0.0.0");
  HWND always = form_->Control(TForm2::kCheckBox4);
  EXPECT_EQ(SendMessageW(always, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(always));
  const GeneratorInputs in = form_->Inputs();
  EXPECT_FALSE(in.reboot);
  EXPECT_FALSE(in.modify_ra2);
  EXPECT_EQ(in.window_mode, GeneratorInputs::WindowMode::kNone);
  EXPECT_EQ(in.execute_path, "");
  EXPECT_TRUE(ParseAssignKey(in.assign_key));  // ticked by default: a fresh key every time
  EXPECT_NE(form_->Inputs().assign_key, in.assign_key);
  EXPECT_EQ(ui::GetText(form_->Control(TForm2::kBtnCreateFile)), "生成并安装(&E)");
  EXPECT_EQ(SendMessageW(form_->Control(TForm2::kEdtPW1), EM_GETPASSWORDCHAR, 0, 0), '*');
  // The imaging options: Fast Startup off ticked, the DNS fields empty.
  EXPECT_TRUE(in.fast_startup_off);
  EXPECT_EQ(in.dns1 + " " + in.dns2, "0.0.0.0 0.0.0.0");
  // The rows inserted for them keep the designed controls in order, all inside the dialog.
  int last = 0;
  for (HWND c :
       {form_->edtGateway().hwnd(), form_->edtDns1().hwnd(), form_->Control(TForm2::kChkRA2),
        form_->Control(TForm2::kChkFastStartup), form_->Control(TForm2::kEdtExecutePath),
        form_->Control(TForm2::kBtnCreateFile), form_->Control(TForm2::kLabel3)}) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, form_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_LE(last, r.top);
    last = r.bottom;
  }
  EXPECT_LE(last, TForm2::kClientHeight);
}

TEST_F(SetupDialog, GeneratesFromTheControlsAndClosesOnlyAfterSuccess) {
  Click(TForm2::kBtnCreateFile);  // gateway and mask still 0.0.0.0: refused
  EXPECT_EQ(log_, (std::vector<std::string>{"box 警告"}));
  log_.clear();

  form_->edtGateway().SetIPString("192.168.0.1");
  form_->edtMask().SetIPString("255.255.255.0");
  Check(TForm2::kChkReboot);
  Check(TForm2::kRadHide);
  Type(TForm2::kEdtExecutePath, "C:\\\xCD\xF8\xB0\xC9\\client.exe");
  Type(TForm2::kEdtPW1, "abc");
  Type(TForm2::kEdtPW2, "abd");
  Click(TForm2::kBtnCreateFile);
  EXPECT_EQ(log_, (std::vector<std::string>{"box 提示"}));  // passwords differ
  log_.clear();

  Type(TForm2::kEdtPW2, "abc");
  form_->edtDns1().SetIPString("192.168.0.1");
  Click(TForm2::kBtnCreateFile);
  EXPECT_TRUE(Has("AutoSet/Gateway=192.168.0.1"));
  EXPECT_TRUE(Has("AutoSet/DNS1=192.168.0.1"));
  EXPECT_FALSE(Has("AutoSet/DNS2=0.0.0.0"));
  EXPECT_TRUE(Has("InfoList/00-1A-2B-3C-4D-5E=192.168.0.21~PC21"));
  EXPECT_TRUE(Has("AutoSet/CanReboot=Yes"));
  EXPECT_TRUE(Has("AutoSet/CanModifyRA2=No"));
  EXPECT_TRUE(Has("AutoSet/ExecutePath=C:\\\xCD\xF8\xB0\xC9\\client.exe"));
  EXPECT_TRUE(Has("AutoSet/FormStat=0"));
  EXPECT_EQ(log_.back(), "box 提示");

  // Reused: the next opening shows the same options.
  EXPECT_EQ(form_->Inputs().password1, "abc");
  EXPECT_TRUE(form_->Inputs().reboot);
}

TEST_F(SetupDialog, ProgramChooserAndLinks) {
  auto old_dialog = ui::SetFileDialogSeam([](const ui::FileDialogRequest& r) {
    EXPECT_EQ(r.kind, ui::FileDialogRequest::Kind::kOpen);
    EXPECT_EQ(r.filter, "");
    return ui::FileDialogResult{true, std::filesystem::path(L"C:\\Games\\\u7f51\u5427.exe")};
  });
  Click(TForm2::kSpeedButton1);
  EXPECT_EQ(form_->Inputs().execute_path, "C:\\Games\\\xCD\xF8\xB0\xC9.exe");
  ui::SetFileDialogSeam([](const ui::FileDialogRequest&) { return ui::FileDialogResult{}; });
  Click(TForm2::kSpeedButton1);  // cancelled: unchanged
  EXPECT_EQ(form_->Inputs().execute_path, "C:\\Games\\\xCD\xF8\xB0\xC9.exe");
  ui::SetFileDialogSeam(old_dialog);

  std::vector<std::wstring> opened;
  auto old_shell = ui::SetShellOpenSeam([&](const std::wstring& t) { opened.push_back(t); });
  SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(TForm2::kLabel3, STN_CLICKED),
               reinterpret_cast<LPARAM>(form_->Control(TForm2::kLabel3)));
  SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(TForm2::kLabel2, STN_CLICKED),
               reinterpret_cast<LPARAM>(form_->Control(TForm2::kLabel2)));
  ui::SetShellOpenSeam(old_shell);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], ui::ExecutableFolder() + L"Help.txt");
  EXPECT_EQ(opened[1].rfind(L"http", 0), 0u);
}

TEST_F(SetupDialog, CancelWritesNothing) {
  form_->edtGateway().SetIPString("192.168.0.1");
  form_->edtMask().SetIPString("255.255.255.0");
  Click(TForm2::kButton2);
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(log_.empty());
}

// Conversions are only counted; going back (Esc, the close box, Enter on a list with a
// problem no fix solves) closes the generator and shows the problem rows in the main list.
TEST_F(SetupDialog, TheCheckAsksAndEachAnswerHolds) {
  hosts_.Append(HostRecord{"192.168.0.22", "00.0c.29.ab.01.22", "WG", "pc22.cafe.test", ""});
  hosts_.Append(HostRecord{"192.168.0.23", "00.00.00.00.00.00", "WG", "-", ""});
  hosts_.Append(HostRecord{"192.168.0.21", "00-0C-29-00-00-99", "-", "PC24", ""});
  hosts_.Append(HostRecord{"10.0.0.25", "00-0C-29-AB-01-25", "-", "PC25     ", ""});
  std::vector<HostList::Id> problem_rows;
  for (size_t i = 1; i < hosts_.Count(); ++i) problem_rows.push_back(hosts_.IdAt(i));
  std::vector<std::vector<HostList::Id>> shown_rows;
  form_->SetShowRows([&](const std::vector<HostList::Id>& ids) { shown_rows.push_back(ids); });
  form_->edtGateway().SetIPString("192.168.0.1");
  form_->edtMask().SetIPString("255.255.255.0");
  const struct {
    int id;  // the control that gets `msg`; 0 for the dialog
    UINT msg;
    WPARAM wparam;
    bool writes, fixes;
  } answers[] = {
      {TPreflightDialog::kList, WM_KEYDOWN, VK_ESCAPE, false, false},
      {0, WM_SYSCOMMAND, SC_CLOSE, false, false},
      {TPreflightDialog::kList, WM_KEYDOWN, VK_RETURN, false, false},
      {TPreflightDialog::kBtnAsIs, BM_CLICK, 0, true, false},
      {TPreflightDialog::kBtnFix, BM_CLICK, 0, true, true},
  };
  test::LaterRunner later;
  for (const auto& a : answers) {
    log_.clear();
    HWND seen = nullptr;
    std::string caption, converted, as_is;
    int lines = 0;
    later.Post([&] {
      seen = FindWindowW(TPreflightDialog::kClassName, nullptr);
      caption = ui::GetText(seen);
      converted = ui::GetText(GetDlgItem(seen, TPreflightDialog::kConverted));
      as_is = ui::GetText(GetDlgItem(seen, TPreflightDialog::kAsIsNote));
      lines = ListView_GetItemCount(GetDlgItem(seen, TPreflightDialog::kList));
      if (&a == &answers[0]) {  // the picture of the dialog, frame included
        RedrawWindow(seen, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT r;
        GetWindowRect(seen, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        testing::SavePngBesideTest(L"preflight.png", w, h, testing::Capture(seen, w, h, true));
      }
      PostMessageW(a.id ? GetDlgItem(seen, a.id) : seen, a.msg, a.wparam, 0);
    });
    Click(TForm2::kBtnCreateFile);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(caption, "生成前检查");
    EXPECT_EQ(lines, 6);  // row 2's name, row 3's MAC and name, row 4's MAC and address, row 5's
    // Row 2's and row 3's MAC and row 5's name, converted at the first generation only.
    EXPECT_EQ(converted.find(" 3 ") != std::string::npos, &a == &answers[0]) << converted;
    EXPECT_NE(as_is.find("第2行、第3行的"), std::string::npos) << as_is;
    EXPECT_EQ(log_.empty(), !a.writes);
    EXPECT_EQ(Has("InfoList/00-0C-29-AB-01-22=192.168.0.22~pc22"), a.fixes);
    EXPECT_EQ(Has("InfoList/00-0C-29-AB-01-22=192.168.0.22~pc22.cafe.test"), a.writes && !a.fixes);
  }
  EXPECT_EQ(shown_rows, std::vector<std::vector<HostList::Id>>(3, problem_rows));
  EXPECT_EQ(hosts_.At(1), (HostRecord{"192.168.0.22", "00-0C-29-AB-01-22", "WG", "pc22", ""}));
  EXPECT_EQ(hosts_.At(4).name, "PC25");
}

}  // namespace
}  // namespace lr
