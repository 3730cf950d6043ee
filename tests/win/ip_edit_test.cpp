// The address control as a real window under Wine: characters and keys sent as window
// messages to the focused field, focus arriving by Tab, Shift+Tab, clicks and the program,
// paste through the clipboard, the control's properties, its events, dialog templates.
#include "hostlist/win32/ip_edit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/message_box.h"

namespace lr {
namespace {

using Strings = std::vector<std::string>;
using Sel = std::pair<DWORD, DWORD>;

// A popup holding a button, the control and another button, in tab order. The popup and
// buttons live for the whole suite (with no window manager on the display, Wine waits two
// seconds for one whenever a top-level window is hidden); each test gets a fresh control.
class IPEditWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    host = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 50, 400,
                           100, nullptr, nullptr, nullptr, nullptr);
    before = CreateWindowExW(0, L"BUTTON", L"before", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10,
                             80, 24, host, nullptr, nullptr, nullptr);
    after = CreateWindowExW(0, L"BUTTON", L"after", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 240, 10, 80,
                            24, host, nullptr, nullptr, nullptr);
    SetForegroundWindow(host);
  }
  static void TearDownTestSuite() { DestroyWindow(host); }

  void SetUp() override {
    edit = TIPEdit::Create(host, 7, 100, 10);
    ASSERT_NE(edit, nullptr);
    SetWindowPos(edit->Handle(), before, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetFocus(before);
    ASSERT_EQ(GetFocus(), before);
    edit->OnChange = [this](TIPEdit& sender) {
      events.push_back(&sender == edit ? "change" : "?");
    };
    edit->OnError = [this](TIPEdit& sender, int field) {
      events.push_back("error" + std::to_string(field) + (sender.Error() ? "" : " without flag"));
    };
  }
  void TearDown() override { DestroyWindow(edit->Handle()); }

  HWND Field(int k) { return edit->Field(k).Handle(); }
  int Focused() {
    for (int k = 0; k < 4; ++k) {
      if (GetFocus() == Field(k)) return k;
    }
    return GetFocus() == before ? -2 : GetFocus() == after ? -3 : -1;
  }
  Strings Texts() { return {Text(0), Text(1), Text(2), Text(3)}; }
  std::string Text(int k) { return edit->Field(k).Text(); }
  Sel GetSel(int k) {
    Sel s;
    SendMessageW(Field(k), EM_GETSEL, reinterpret_cast<WPARAM>(&s.first),
                 reinterpret_cast<LPARAM>(&s.second));
    return s;
  }
  void At(int k, int from, int to) {
    SetFocus(Field(0));
    SetFocus(Field(k));
    SendMessageW(Field(k), EM_SETSEL, from, to);
  }
  // Characters and keys go to whichever window has the focus, as typing does.
  void Type(const std::wstring& chars) {
    for (wchar_t c : chars) SendMessageW(GetFocus(), WM_CHAR, c, 1);
  }
  void Key(UINT vk) { SendMessageW(GetFocus(), WM_KEYDOWN, vk, 1); }
  // Tab and Shift+Tab through the dialog manager, as a loop with IsDialogMessage does.
  void Tab(bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg{GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    IsDialogMessageW(host, &msg);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }
  void Click(HWND hwnd) { SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(29, 8)); }
  void Paste(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(host));
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(mem), text, bytes);
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
    SendMessageW(GetFocus(), WM_PASTE, 0, 0);
  }

  static inline HWND host, before, after;
  TIPEdit* edit = nullptr;
  Strings events;
};

TEST_F(IPEditWindowTest, CreatedWithTheSystemsSizeFontAndFields) {
  EXPECT_EQ(TIPEdit::FromHandle(GetDlgItem(host, 7)), edit);
  EXPECT_EQ(TIPEdit::FromHandle(before), nullptr);
  EXPECT_EQ(edit->IPString(), "0.0.0.0");
  EXPECT_EQ(Texts(), (Strings{"0", "0", "0", "0"}));
  EXPECT_TRUE(GetWindowLongPtrW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(edit->TabStop());
  EXPECT_EQ(edit->Cursor(), LoadCursorW(nullptr, IDC_IBEAM));
  for (int k = 0; k < 4; ++k) {
    RECT r;
    GetWindowRect(Field(k), &r);
    MapWindowPoints(nullptr, edit->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 31 * k);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right - r.left, 27);
    EXPECT_EQ(r.bottom - r.top, 19);
    const LONG_PTR style = GetWindowLongPtrW(Field(k), GWL_STYLE);
    EXPECT_EQ(style & (ES_CENTER | WS_TABSTOP | WS_BORDER), ES_CENTER | WS_TABSTOP);
    EXPECT_EQ(SendMessageW(Field(k), EM_GETLIMITTEXT, 0, 0), 3);
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Field(k), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -12);  // 9 points at 96 dots per inch
  }
}

TEST_F(IPEditWindowTest, WritingIPStringIsQuietAndAllOrNothing) {
  At(2, 1, 1);
  edit->SetIPString("010.168.300.254x");
  EXPECT_EQ(edit->IPString(), "10.168.255.255");
  EXPECT_EQ(Texts(), (Strings{"10", "168", "255", "255"}));
  edit->SetIPString("1.2.3");
  EXPECT_EQ(edit->IPString(), "10.168.255.255");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(Focused(), 2);
}

TEST_F(IPEditWindowTest, TypingMovesOnAndRejectsWhatIsNotAnOctet) {
  At(0, 0, 1);
  Type(L"192");
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(GetSel(1), Sel(0, 1));  // the next field's text selected
  Type(L"19.");
  EXPECT_EQ(Focused(), 2);
  Type(L".\r a\x4E2D\x16");  // a selection: "." does nothing; the rest is discarded
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(Text(2), "0");
  Key(VK_DELETE);
  Type(L".");  // empty: nothing happens
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(edit->IPString(), "192.19.0.0");  // an emptied field keeps its value
  events.clear();
  Type(L"25");
  EXPECT_EQ(events, (Strings{"change", "change"}));
  events.clear();
  Type(L"6");
  EXPECT_EQ(events, (Strings{"error2", "change"}));
  EXPECT_FALSE(edit->Error());
  EXPECT_EQ(Text(2), "255");
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(GetSel(2), Sel(0, 0));
  // Pasted text goes through the same rule; the three-character limit holds.
  At(1, 0, 2);
  Paste(L"1x");
  EXPECT_EQ(Text(1), "255");
  EXPECT_EQ(Focused(), 1);
  SendMessageW(Field(1), EM_SETSEL, 0, 3);
  Paste(L"12345");
  EXPECT_EQ(Text(1), "123");
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(edit->IPString(), "192.123.255.0");
}

TEST_F(IPEditWindowTest, BackspaceAndArrowsCrossFieldEndsOnly) {
  edit->SetIPString("192.168.0.1");
  At(1, 0, 0);
  Type(L"\b");
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(GetSel(0), Sel(3, 3));
  EXPECT_EQ(Text(1), "168");
  Type(L"\b");  // an ordinary Backspace now
  EXPECT_EQ(Text(0), "19");
  Key(VK_RIGHT);
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(GetSel(1), Sel(0, 0));
  Key(VK_RIGHT);  // inside the text: the edit moves its caret
  EXPECT_EQ(GetSel(1), Sel(1, 1));
  SendMessageW(Field(1), EM_SETSEL, 0, 0);
  Key(VK_LEFT);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(GetSel(0), Sel(2, 2));
  SendMessageW(Field(0), EM_SETSEL, 0, 2);
  Key(VK_LEFT);  // the first field's start: nothing moves, the selection goes
  Type(L"\b");
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(GetSel(0), Sel(0, 0));
  At(3, 1, 1);
  Key(VK_RIGHT);
  EXPECT_EQ(Focused(), 3);
  EXPECT_EQ(edit->IPString(), "19.168.0.1");
}

TEST_F(IPEditWindowTest, ReadOnlyFieldsIgnoreTypingButStillMoveFocus) {
  edit->SetIPString("1.2.3.4");
  edit->SetReadOnly(true);
  EXPECT_TRUE(GetWindowLongPtrW(Field(3), GWL_STYLE) & ES_READONLY);
  At(0, 1, 1);
  Type(L"9\b.");
  EXPECT_EQ(Focused(), 1);
  Key(VK_LEFT);
  Key(VK_RIGHT);
  Type(L"\b");
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Texts(), (Strings{"1", "2", "3", "4"}));
  EXPECT_TRUE(events.empty());
  edit->SetReadOnly(false);
  EXPECT_FALSE(edit->ReadOnly());
}

TEST_F(IPEditWindowTest, FocusFromOutsideAlwaysLandsOnTheFirstField) {
  SetFocus(Field(2));  // from the program
  EXPECT_EQ(Focused(), 0);
  SetFocus(after);
  SetFocus(edit->Handle());
  EXPECT_EQ(Focused(), 0);
  SetFocus(after);
  Click(Field(3));  // a click on a later field
  EXPECT_EQ(Focused(), 0);
  Click(Field(3));  // once inside, a click lands where it is
  EXPECT_EQ(Focused(), 3);
  Click(edit->Handle());  // the surface, with a field focused: no change
  EXPECT_EQ(Focused(), 3);
  SetFocus(before);
  Click(edit->Handle());
  EXPECT_EQ(Focused(), 0);
  SetFocus(Field(2));
  SetFocus(nullptr);  // the window is left, and on its return the field gets focus back
  SetFocus(Field(2));
  EXPECT_EQ(Focused(), 2);

  SetFocus(before);
  Tab(false);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(GetSel(0), Sel(0, 0));  // tabbing in selects nothing
  for (int k = 1; k < 4; ++k) {
    Tab(false);
    EXPECT_EQ(Focused(), k);
  }
  Tab(false);
  EXPECT_EQ(Focused(), -3);
  Tab(true);
  EXPECT_EQ(Focused(), 0);  // Shift+Tab comes in at the first field too
  edit->SetTabStop(false);
  EXPECT_FALSE(GetWindowLongPtrW(Field(2), GWL_STYLE) & WS_TABSTOP);
  SetFocus(before);
  Tab(false);
  EXPECT_EQ(Focused(), -3);
}

TEST_F(IPEditWindowTest, PropertiesReachTheFieldsAndTheLayout) {
  edit->SetBorderStyle(TBorderStyle::bsNone);
  RECT rc;
  GetClientRect(edit->Handle(), &rc);
  EXPECT_EQ(rc.right, 125);
  edit->SetColor(RGB(0, 128, 0));
  const HDC dc = GetDC(Field(1));
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      edit->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), LPARAM(Field(1))));
  EXPECT_EQ(GetBkColor(dc), RGB(0, 128, 0));
  ReleaseDC(Field(1), dc);
  LOGBRUSH lb{};
  GetObjectW(brush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(0, 128, 0));
  const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  edit->SetCursor(hand);
  SendMessageW(Field(2), WM_SETCURSOR, WPARAM(Field(2)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), hand);
  edit->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(Field(3)));
  TIPEditFont font = edit->Font();
  font.height = -16;  // 12 points: fields 36 wide, 5 apart
  edit->SetFont(font);
  MoveWindow(edit->Handle(), 100, 10, 200, 30, TRUE);
  RECT r;
  GetWindowRect(Field(1), &r);
  MapWindowPoints(nullptr, edit->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, (200 - 144 - 15 - 4) / 2 + 41);
  EXPECT_EQ(r.right - r.left, 36);
  EXPECT_EQ(r.top, (30 - 16 - 6) / 2 + 1);
}

TEST_F(IPEditWindowTest, AThrowingHandlerIsShownAndTheControlGoesOn) {
  Strings boxes;
  ui::SetMessageBoxSeam([&](const std::string&, const std::string& text, unsigned) {
    boxes.push_back(text);
    return IDOK;
  });
  edit->OnChange = [](TIPEdit&) { throw std::runtime_error("handler failed"); };
  At(0, 0, 1);
  Type(L"78");
  ui::SetMessageBoxSeam(nullptr);
  EXPECT_EQ(boxes, (Strings{"handler failed", "handler failed"}));
  EXPECT_EQ(edit->IPString(), "78.0.0.0");
}

INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

TEST(IPEditDialogTest, UsableFromADialogTemplateKeepingItsOwnFont) {
  ASSERT_TRUE(TIPEdit::RegisterWindowClass());
  // DLGTEMPLATE with DS_SETFONT and one DLGITEMTEMPLATE of class TIPEdit, id 77.
  std::vector<WORD> t = {DS_SETFONT, HIWORD(WS_POPUP | WS_VISIBLE), 0, 0, 1, 0, 0, 200, 80, 0, 0, 0,
                         8};
  for (const wchar_t* s = L"MS Shell Dlg"; *s; ++s) t.push_back(*s);
  t.push_back(0);
  if (t.size() % 2) t.push_back(0);
  const std::vector<WORD> item = {
      0, HIWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP), 0, 0, 10, 10, 80, 14, 77};
  t.insert(t.end(), item.begin(), item.end());
  for (const wchar_t* s = TIPEdit::kClassName; *s; ++s) t.push_back(*s);
  t.insert(t.end(), {0, 0, 0});
  const HWND dlg = CreateDialogIndirectW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()),
                                         nullptr, DialogProc);
  ASSERT_NE(dlg, nullptr);
  TIPEdit* edit = TIPEdit::FromHandle(GetDlgItem(dlg, 77));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Font().height, -12);
  EXPECT_TRUE(edit->Font().bold);
  EXPECT_EQ(GetFocus(), edit->Field(0).Handle());  // the dialog's first tab stop
  edit->SetIPString("192.168.0.254");
  EXPECT_EQ(edit->Field(3).Text(), "254");
  DestroyWindow(dlg);
}

}  // namespace
}  // namespace lr
