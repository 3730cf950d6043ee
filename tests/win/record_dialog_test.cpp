// The record dialog driven through the main window's buttons, with the real controls:
// add mode's checks and its reset after each record, edit mode, and every way of closing.
#include "tests/win/main_window_test_support.h"

namespace lr::test {
namespace {

using RecordDialogTest = MainWindowTest;

void Type(HWND edit, const std::string& text) {
  ui::SetText(edit, text);
}
void Click(HWND dlg, int id) {
  SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
}
// A key as the keyboard gives it to the focused control; the modal loop handles it.
void PostKey(WPARAM key) {
  PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
  PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

TEST_F(RecordDialogTest, AddRefusesSilentlyAndKeepsWhatWasTyped) {
  bool checked = false;
  later_.Post([&] {
    HWND dlg = frm_add_->hwnd();
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(ui::GetText(dlg), "手动添加记录");
    EXPECT_EQ(frm_add_->GroupCaption(), "手动添加记录");
    EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"0.0.0.0", "", ""}));
    // No address, then no MAC, then no name: nothing is added and nothing is shown.
    Type(frm_add_->edtMAC(), "00-11-22-33-44-55");
    Type(frm_add_->edtName(), "PC1");
    Click(dlg, TFrmAdd::kBitBtn1);
    EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"0.0.0.0", "00-11-22-33-44-55", "PC1"}));
    frm_add_->AddIP().SetIPString("10.0.0.1");
    Type(frm_add_->edtMAC(), "");
    Click(dlg, TFrmAdd::kBitBtn1);
    Type(frm_add_->edtMAC(), "m");
    Type(frm_add_->edtName(), "");
    Click(dlg, TFrmAdd::kBitBtn1);
    EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"10.0.0.1", "m", ""}));
    EXPECT_TRUE(frm_add_->Showing());
    EXPECT_EQ(form_->Hosts().Count(), 0u);
    checked = true;
    Click(dlg, TFrmAdd::kBitBtn2);
  });
  form_->SpeedButton1Click();
  EXPECT_TRUE(checked);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(IsWindowVisible(frm_add_->hwnd()));
  EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"0.0.0.0", "", ""}));
}

TEST_F(RecordDialogTest, AddAppendsAsTypedAndStaysOpenForTheNext) {
  AddRecords({Rec("10.0.0.9", "x", "WG", "old")});
  later_.Post([&] {
    HWND dlg = frm_add_->hwnd();
    frm_add_->AddIP().SetIPString("192.168.0.5");
    Type(frm_add_->edtMAC(), " aa-bb cc ");
    Type(frm_add_->edtName(), "pc 5 ");
    Click(dlg, TFrmAdd::kBitBtn1);
    EXPECT_TRUE(frm_add_->Showing());
    EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"0.0.0.0", "", ""}));
    EXPECT_TRUE(IsChild(frm_add_->AddIP().hwnd(), GetFocus()) ||
                GetFocus() == frm_add_->AddIP().hwnd());
    // The second record goes in with Enter, the default button; Esc then closes.
    frm_add_->AddIP().SetIPString("192.168.0.6");
    Type(frm_add_->edtMAC(), "00-00-00-00-00-06");
    Type(frm_add_->edtName(), "计算机6");
    SetFocus(frm_add_->edtName());
    PostKey(VK_RETURN);
    later_.Post([&] {
      EXPECT_EQ(form_->Hosts().Count(), 3u);
      EXPECT_TRUE(frm_add_->Showing());
      PostKey(VK_ESCAPE);
    });
  });
  form_->SpeedButton1Click();
  ASSERT_EQ(form_->Hosts().Count(), 3u);
  EXPECT_EQ(form_->Hosts().At(1), Rec("192.168.0.5", " aa-bb cc ", "-", "pc 5 "));
  EXPECT_EQ(form_->Hosts().At(2), Rec("192.168.0.6", "00-00-00-00-00-06", "-", "计算机6"));
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(Cell(2, 3), "计算机6");
  EXPECT_FALSE(frm_add_->Showing());
}

TEST_F(RecordDialogTest, EditOpensWithTheRecordAndWritesWithoutCheck) {
  AddRecords({Rec("10.0.0.1", "a", "WG1", "PC1"), Rec("10.0.0.2", "00-11", "WG2", "PC2")});
  Select(1);
  later_.Post([&] {
    HWND dlg = frm_add_->hwnd();
    EXPECT_EQ(ui::GetText(dlg), "修改记录");
    EXPECT_EQ(frm_add_->GroupCaption(), "修改记录信息");
    EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"10.0.0.2", "00-11", "PC2"}));
    Type(frm_add_->edtMAC(), "");
    Type(frm_add_->edtName(), "");
    frm_add_->AddIP().SetIPString("0.0.0.0");
    Click(dlg, TFrmAdd::kBitBtn1);
  });
  form_->SpeedButton2Click();
  EXPECT_FALSE(frm_add_->Showing());
  EXPECT_EQ(form_->Hosts().At(1), Rec("0.0.0.0", "", "WG2", ""));
  EXPECT_EQ(form_->Hosts().At(0), Rec("10.0.0.1", "a", "WG1", "PC1"));
  EXPECT_EQ(Cell(1, 0), "0.0.0.0");
  // Closed, the dialog is back in add mode with empty inputs.
  EXPECT_EQ(ui::GetText(frm_add_->hwnd()), "手动添加记录");
  EXPECT_EQ(frm_add_->GroupCaption(), "手动添加记录");
  EXPECT_EQ(frm_add_->Inputs(), (RecordInputs{"0.0.0.0", "", ""}));
}

TEST_F(RecordDialogTest, CancellingOrClosingAnEditLeavesTheRecordAndResetsTheDialog) {
  const HostRecord original = Rec("10.0.0.1", "a", "WG1", "PC1");
  AddRecords({original});
  for (int way = 0; way < 3; ++way) {
    Select(0);
    later_.Post([&, way] {
      Type(frm_add_->edtName(), "changed");
      if (way == 0) Click(frm_add_->hwnd(), TFrmAdd::kBitBtn2);
      if (way == 1) SendMessageW(frm_add_->hwnd(), WM_CLOSE, 0, 0);  // the close box
      if (way == 2) PostKey(VK_ESCAPE);
    });
    Menu(TForm1::kSpeedButton2);  // N2
    EXPECT_EQ(form_->Hosts().At(0), original) << "way " << way;
    EXPECT_EQ(ui::GetText(frm_add_->hwnd()), "手动添加记录");
  }
  bool add_mode = false;
  later_.Post([&] {
    add_mode = ui::GetText(frm_add_->hwnd()) == "手动添加记录" &&
               frm_add_->Inputs() == RecordInputs{"0.0.0.0", "", ""};
    Click(frm_add_->hwnd(), TFrmAdd::kBitBtn2);
  });
  Menu(TForm1::kSpeedButton1);  // N1
  EXPECT_TRUE(add_mode);
}

TEST_F(RecordDialogTest, EditWithoutSelectionWarnsEvenOnAnEmptyList) {
  form_->SpeedButton2Click();
  AddRecords({Rec("10.0.0.1", "a", "-", "PC1")});
  Select(-1);
  form_->SpeedButton2Click();
  auto warnings = BoxesCaptioned("警告");
  ASSERT_EQ(warnings.size(), 2u);
  for (const auto& b : warnings) {
    EXPECT_EQ(b.text, "您并没有选中要修改的记录！");
    EXPECT_EQ(b.type & MB_ICONMASK, static_cast<unsigned>(MB_ICONWARNING));
  }
  EXPECT_FALSE(frm_add_->Showing());
}

TEST_F(RecordDialogTest, EditOfWhatTheDialogCantShowWritesNoAddressButKeepsMacAndName) {
  AddRecords({Rec("host-a", "\xFF\xFEm", "-", "NAME-CUT-IN-A-\xB5")});
  Select(0);
  later_.Post([&] {
    EXPECT_EQ(frm_add_->AddIP().IPString(), "0.0.0.0");
    Click(frm_add_->hwnd(), TFrmAdd::kBitBtn1);
  });
  form_->SpeedButton2Click();
  EXPECT_EQ(form_->Hosts().At(0), Rec("0.0.0.0", "\xFF\xFEm", "-", "NAME-CUT-IN-A-\xB5"));
}

TEST_F(RecordDialogTest, FixedSizeAndTabOrder) {
  RECT rc{};
  GetClientRect(frm_add_->hwnd(), &rc);
  EXPECT_EQ(rc.right, 264);
  EXPECT_EQ(rc.bottom, 186);
  HWND dlg = frm_add_->hwnd();
  EXPECT_EQ(ui::GetText(GetDlgItem(dlg, TFrmAdd::kBitBtn1)), "确定(&E)");
  EXPECT_EQ(ui::GetText(GetDlgItem(dlg, TFrmAdd::kBitBtn2)), "取消(&C)");
  EXPECT_FALSE(GetWindowLongPtrW(dlg, GWL_STYLE) & WS_THICKFRAME);
  // Tab from the MAC edit to the name, OK, cancel, and round to the address control.
  HWND next = GetNextDlgTabItem(dlg, frm_add_->edtMAC(), FALSE);
  EXPECT_EQ(next, frm_add_->edtName());
  next = GetNextDlgTabItem(dlg, next, FALSE);
  EXPECT_EQ(next, GetDlgItem(dlg, TFrmAdd::kBitBtn1));
  next = GetNextDlgTabItem(dlg, next, FALSE);
  EXPECT_EQ(next, GetDlgItem(dlg, TFrmAdd::kBitBtn2));
  next = GetNextDlgTabItem(dlg, next, FALSE);
  EXPECT_TRUE(next == frm_add_->AddIP().hwnd() || IsChild(frm_add_->AddIP().hwnd(), next));
  EXPECT_EQ(GetNextDlgTabItem(dlg, frm_add_->edtMAC(), TRUE) == frm_add_->AddIP().hwnd() ||
                IsChild(frm_add_->AddIP().hwnd(), GetNextDlgTabItem(dlg, frm_add_->edtMAC(), TRUE)),
            true);
}

}  // namespace
}  // namespace lr::test
