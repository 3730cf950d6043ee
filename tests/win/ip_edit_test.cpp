// The address control as a real window under Wine: characters and keys sent as window
// messages to the focused field, focus arriving by Tab, Shift+Tab, clicks and the program,
// paste through the clipboard, and the control's properties and events.
#include "hostlist/win32/ip_edit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/message_box.h"

namespace lr {
namespace {

constexpr int kBeforeId = 100;
constexpr int kEditId = 101;
constexpr int kAfterId = 102;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A top-level window holding a button, the control and another button, in tab order. The
// window and the buttons live for the whole suite (with no window manager on the display,
// Wine waits two seconds for one whenever a top-level window is hidden); each test gets a
// fresh control.
class IPEditWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"IPEditTestHost";
    RegisterClassW(&wc);
    host = CreateWindowExW(WS_EX_CONTROLPARENT, L"IPEditTestHost", L"ip edit", WS_POPUP, 50, 50,
                           400, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    before = CreateWindowExW(0, L"BUTTON", L"before", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10,
                             80, 24, host, reinterpret_cast<HMENU>(kBeforeId), nullptr, nullptr);
    after = CreateWindowExW(0, L"BUTTON", L"after", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 240, 10, 80,
                            24, host, reinterpret_cast<HMENU>(kAfterId), nullptr, nullptr);
    ShowWindow(host, SW_SHOW);
    SetForegroundWindow(host);
    SetActiveWindow(host);
    Pump();
  }

  static void TearDownTestSuite() {
    DestroyWindow(host);
    Pump();
  }

  void SetUp() override {
    ASSERT_NE(host, nullptr);
    edit = TIPEdit::Create(host, kEditId, 100, 10);
    ASSERT_NE(edit, nullptr);
    // Tab order is the order of the children: put the control between the buttons.
    SetWindowPos(edit->Handle(), before, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetFocus(before);
    Pump();
    ASSERT_EQ(GetFocus(), before);
    edit->OnChange = [this](TIPEdit& sender) {
      events.push_back(&sender == edit ? "change" : "change from another sender");
    };
    edit->OnError = [this](TIPEdit& sender, int field) {
      events.push_back((&sender == edit ? "error" : "error?") + std::to_string(field));
      error_during_event = sender.Error();
    };
  }

  void TearDown() override {
    SetFocus(before);
    if (edit) DestroyWindow(edit->Handle());
    Pump();
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  HWND Field(int k) { return edit->Field(k).Handle(); }
  int Focused() {
    for (int k = 0; k < 4; ++k) {
      if (GetFocus() == Field(k)) return k;
    }
    return GetFocus() == before ? -2 : GetFocus() == after ? -3 : -1;
  }
  std::string Text(int k) { return edit->Field(k).Text(); }
  std::vector<std::string> Texts() { return {Text(0), Text(1), Text(2), Text(3)}; }
  std::pair<int, int> Sel(int k) {
    DWORD a = 0, b = 0;
    SendMessageW(Field(k), EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {static_cast<int>(a), static_cast<int>(b)};
  }
  void SetSel(int k, int from, int to) { SendMessageW(Field(k), EM_SETSEL, from, to); }

  // Characters and keys go to whichever window has the focus, as typing does.
  void Type(const std::string& chars) {
    for (char c : chars) SendMessageW(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void Char(wchar_t ch) { SendMessageW(GetFocus(), WM_CHAR, ch, 1); }
  void Key(UINT vk) {
    const HWND to = GetFocus();
    SendMessageW(to, WM_KEYDOWN, vk, 1);
    SendMessageW(to, WM_KEYUP, vk, 0xC0000001);
  }
  // Tab and Shift+Tab through the dialog manager, as a message loop with IsDialogMessage does.
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
  void Click(HWND hwnd, int x, int y) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void FocusField(int k, int from, int to) {
    SetFocus(Field(0));
    if (k) SetFocus(Field(k));
    SetSel(k, from, to);
  }

  static inline HWND host = nullptr;
  static inline HWND before = nullptr;
  static inline HWND after = nullptr;
  TIPEdit* edit = nullptr;
  std::vector<std::string> events;
  bool error_during_event = false;
};

using Strings = std::vector<std::string>;

TEST_F(IPEditWindowTest, CreatedWithTheSystemsSizeFontAndFields) {
  EXPECT_EQ(TIPEdit::FromHandle(GetDlgItem(host, kEditId)), edit);
  EXPECT_EQ(TIPEdit::FromHandle(before), nullptr);
  RECT wr;
  GetWindowRect(edit->Handle(), &wr);
  EXPECT_EQ(wr.right - wr.left, 125);
  EXPECT_EQ(wr.bottom - wr.top, 21);
  EXPECT_EQ(edit->IPString(), "0.0.0.0");
  EXPECT_EQ(Texts(), (Strings{"0", "0", "0", "0"}));
  EXPECT_EQ(edit->BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_TRUE(GetWindowLongPtrW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(edit->TabStop());
  EXPECT_FALSE(edit->ReadOnly());
  EXPECT_FALSE(edit->Error());
  EXPECT_EQ(edit->Cursor(), LoadCursorW(nullptr, IDC_IBEAM));
  EXPECT_EQ(edit->Font().height, -12);  // 9 points at 96 dots per inch
  EXPECT_TRUE(edit->Font().bold);
  EXPECT_EQ(edit->Color(), GetSysColor(COLOR_WINDOW));

  const int lefts[4] = {0, 31, 62, 93};
  for (int k = 0; k < 4; ++k) {
    RECT r;
    GetWindowRect(Field(k), &r);
    MapWindowPoints(nullptr, edit->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, lefts[k]) << k;
    EXPECT_EQ(r.top, 2) << k;
    EXPECT_EQ(r.right - r.left, 27) << k;
    EXPECT_EQ(r.bottom - r.top, 19) << k;
    const LONG_PTR style = GetWindowLongPtrW(Field(k), GWL_STYLE);
    EXPECT_TRUE(style & ES_CENTER) << k;
    EXPECT_TRUE(style & WS_TABSTOP) << k;
    EXPECT_FALSE(style & WS_BORDER) << k;
    EXPECT_EQ(SendMessageW(Field(k), EM_GETLIMITTEXT, 0, 0), 3) << k;
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Field(k), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD) << k;
    EXPECT_EQ(lf.lfHeight, -12) << k;
  }
}

TEST_F(IPEditWindowTest, WritingIPStringSetsTextsQuietlyOrNotAtAll) {
  FocusField(2, 1, 1);
  edit->SetIPString("192.168.0.1");
  EXPECT_EQ(edit->IPString(), "192.168.0.1");
  EXPECT_EQ(Texts(), (Strings{"192", "168", "0", "1"}));
  edit->SetIPString("010.1.1.1");
  EXPECT_EQ(edit->IPString(), "10.1.1.1");
  EXPECT_EQ(Text(0), "10");
  edit->SetIPString("300.1.2.3");
  EXPECT_EQ(edit->IPString(), "255.1.2.3");
  edit->SetIPString("1..2.3");
  EXPECT_EQ(edit->IPString(), "1.255.2.3");
  edit->SetIPString("1.2.3.4.5");
  EXPECT_EQ(edit->IPString(), "1.2.3.4");
  edit->SetIPString("1.2.3.4x");
  EXPECT_EQ(edit->IPString(), "1.2.3.255");
  edit->SetIPString("1.2.3");
  edit->SetIPString("");
  EXPECT_EQ(edit->IPString(), "1.2.3.255");
  EXPECT_EQ(Texts(), (Strings{"1", "2", "3", "255"}));
  // No event, and the focus stays in field 2 though texts of three characters were set.
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(Focused(), 2);
  EXPECT_FALSE(edit->Error());
}

TEST_F(IPEditWindowTest, ThreeDigitsOrADotMoveToTheNextFieldSelected) {
  edit->SetIPString("0.168.0.0");
  FocusField(0, 0, 1);
  Type("192");
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(Sel(1), std::make_pair(0, 3));
  EXPECT_EQ(events, (Strings{"change", "change", "change"}));
  Type("10.");
  EXPECT_EQ(Text(1), "10");
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(Sel(2), std::make_pair(0, 1));
  Type(".");  // text selected: nothing happens
  EXPECT_EQ(Focused(), 2);
  SendMessageW(Field(2), WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(2), "");
  Type(".");  // empty field: nothing happens
  EXPECT_EQ(Focused(), 2);
  Type("7.254");
  EXPECT_EQ(edit->IPString(), "192.10.7.254");
  EXPECT_EQ(Focused(), 3);  // the last field keeps the focus
  EXPECT_EQ(Sel(3), std::make_pair(3, 3));
}

TEST_F(IPEditWindowTest, AnEntryAbove255IsRejectedAndShows255) {
  FocusField(0, 0, 1);
  Type("25");
  EXPECT_EQ(edit->IPString(), "25.0.0.0");
  EXPECT_EQ(events, (Strings{"change", "change"}));
  events.clear();
  Type("6");
  EXPECT_EQ(events, (Strings{"error0", "change"}));
  EXPECT_TRUE(error_during_event);
  EXPECT_FALSE(edit->Error());
  EXPECT_EQ(Text(0), "255");
  EXPECT_EQ(edit->IPString(), "255.0.0.0");
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Sel(0), std::make_pair(0, 0));
  // A text set from outside runs the same rule, in whichever field.
  events.clear();
  SetWindowTextW(Field(3), L"999");
  EXPECT_EQ(events, (Strings{"error3", "change"}));
  EXPECT_EQ(Text(3), "255");
  EXPECT_EQ(Focused(), 0);
}

TEST_F(IPEditWindowTest, PastedJunkIsRejectedAndDigitsAccepted) {
  auto paste = [&](const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(host));
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(mem), text, bytes);
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
    SendMessageW(GetFocus(), WM_PASTE, 0, 0);
  };
  FocusField(1, 0, 1);
  paste(L"1x");
  EXPECT_EQ(events, (Strings{"error1", "change"}));
  EXPECT_EQ(Text(1), "255");
  EXPECT_EQ(Focused(), 1);
  SetSel(1, 0, 3);
  events.clear();
  paste(L"42");
  EXPECT_EQ(events, (Strings{"change"}));
  EXPECT_EQ(edit->IPString(), "0.42.0.0");
  // The three-character limit holds for pastes too; "123" then moves on.
  SetSel(1, 0, 2);
  paste(L"12345");
  EXPECT_EQ(Text(1), "123");
  EXPECT_EQ(Focused(), 2);
}

TEST_F(IPEditWindowTest, BackspaceAtAFieldStartGoesToThePreviousFieldsEnd) {
  edit->SetIPString("192.168.0.1");
  FocusField(1, 0, 0);
  Char(VK_BACK);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Sel(0), std::make_pair(3, 3));
  EXPECT_EQ(Text(1), "168");
  Char(VK_BACK);  // now an ordinary Backspace in the first field
  EXPECT_EQ(Text(0), "19");
  EXPECT_EQ(edit->IPString(), "19.168.0.1");
  SetSel(0, 0, 0);
  Char(VK_BACK);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Text(0), "19");
  // A selection that starts at 0 goes back too, and is still deleted where it was typed.
  FocusField(3, 0, 1);
  Char(VK_BACK);
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(Sel(2), std::make_pair(1, 1));
  EXPECT_EQ(Text(3), "");
  EXPECT_EQ(edit->IPString(), "19.168.0.1");  // an emptied field keeps its value
}

TEST_F(IPEditWindowTest, ArrowsCrossBetweenFieldsButNotPastTheEnds) {
  edit->SetIPString("192.168.0.1");
  FocusField(0, 3, 3);
  Key(VK_RIGHT);
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(Sel(1), std::make_pair(0, 0));
  Key(VK_RIGHT);  // inside the text: the edit moves its caret
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(Sel(1), std::make_pair(1, 1));
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Sel(0), std::make_pair(3, 3));
  // At the outer ends nothing moves; a selection there is cleared.
  SetSel(0, 0, 3);
  Key(VK_LEFT);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Sel(0), std::make_pair(0, 0));
  FocusField(3, 1, 1);
  Key(VK_RIGHT);
  EXPECT_EQ(Focused(), 3);
  EXPECT_EQ(Sel(3), std::make_pair(1, 1));
  EXPECT_TRUE(events.empty());
}

TEST_F(IPEditWindowTest, ClearedFieldKeepsItsValueUntilANumberIsTyped) {
  edit->SetIPString("10.20.30.40");
  FocusField(2, 0, 2);
  Key(VK_DELETE);
  EXPECT_EQ(Text(2), "");
  EXPECT_EQ(Focused(), 2);
  EXPECT_EQ(edit->IPString(), "10.20.30.40");
  EXPECT_TRUE(events.empty());
  Type("5");
  EXPECT_EQ(edit->IPString(), "10.20.5.40");
  EXPECT_EQ(events, (Strings{"change"}));
}

TEST_F(IPEditWindowTest, EnterLettersAndControlCharactersAreDiscarded) {
  edit->SetIPString("1.2.3.4");
  FocusField(0, 1, 1);
  for (wchar_t ch : {L'\r', L'a', L'Z', L' ', L'-', L'+', L'\x4E2D', L'\x1B', L'\x16'}) Char(ch);
  EXPECT_EQ(Texts(), (Strings{"1", "2", "3", "4"}));
  EXPECT_EQ(Focused(), 0);
  EXPECT_TRUE(events.empty());
}

TEST_F(IPEditWindowTest, ReadOnlyFieldsIgnoreTypingButStillMoveFocus) {
  edit->SetIPString("1.2.3.4");
  edit->SetReadOnly(true);
  EXPECT_TRUE(edit->ReadOnly());
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(GetWindowLongPtrW(Field(k), GWL_STYLE) & ES_READONLY);
  FocusField(0, 1, 1);
  Type("9");
  Char(VK_BACK);
  EXPECT_EQ(Text(0), "1");
  Type(".");
  EXPECT_EQ(Focused(), 1);
  Key(VK_LEFT);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Sel(0), std::make_pair(1, 1));
  Key(VK_RIGHT);
  EXPECT_EQ(Focused(), 1);
  Char(VK_BACK);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Texts(), (Strings{"1", "2", "3", "4"}));
  EXPECT_TRUE(events.empty());
  edit->SetIPString("5.6.7.8");  // the program still writes
  EXPECT_EQ(edit->IPString(), "5.6.7.8");
  edit->SetReadOnly(false);
  EXPECT_FALSE(GetWindowLongPtrW(Field(3), GWL_STYLE) & ES_READONLY);
}

TEST_F(IPEditWindowTest, FocusEnteringFromOutsideLandsOnTheFirstField) {
  SetFocus(Field(2));  // from the program
  EXPECT_EQ(Focused(), 0);
  SetFocus(after);
  SetFocus(edit->Handle());
  EXPECT_EQ(Focused(), 0);
  SetFocus(after);
  Click(Field(3), 5, 5);  // a click on a later field
  EXPECT_EQ(Focused(), 0);
  Click(Field(3), 5, 5);  // once inside, the click lands where it is
  EXPECT_EQ(Focused(), 3);
  SetFocus(before);
  Click(edit->Handle(), 29, 8);  // the surface between fields 0 and 1
  EXPECT_EQ(Focused(), 0);
  SetFocus(Field(2));
  Click(edit->Handle(), 29, 8);  // a field has focus: the surface click changes nothing
  EXPECT_EQ(Focused(), 2);

  SetFocus(before);
  Tab(false);
  EXPECT_EQ(Focused(), 0);
  EXPECT_EQ(Sel(0), std::make_pair(0, 0));  // tabbing in selects nothing
  Tab(false);
  EXPECT_EQ(Focused(), 1);
  Tab(false);
  Tab(false);
  EXPECT_EQ(Focused(), 3);
  Tab(false);
  EXPECT_EQ(Focused(), -3);  // on to the next control
  Tab(true);
  EXPECT_EQ(Focused(), 0);  // Shift+Tab comes in at the first field too
  Tab(true);
  EXPECT_EQ(Focused(), -2);
}

TEST_F(IPEditWindowTest, TabStopOffTakesTheFieldsOutOfTheTabOrder) {
  edit->SetTabStop(false);
  EXPECT_FALSE(edit->TabStop());
  for (int k = 0; k < 4; ++k) EXPECT_FALSE(GetWindowLongPtrW(Field(k), GWL_STYLE) & WS_TABSTOP);
  SetFocus(before);
  Tab(false);
  EXPECT_EQ(Focused(), -3);
  edit->SetTabStop(true);
  SetFocus(before);
  Tab(false);
  EXPECT_EQ(Focused(), 0);
}

TEST_F(IPEditWindowTest, BorderColourCursorFontAndEnabledReachTheFields) {
  edit->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_FALSE(GetWindowLongPtrW(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT rc;
  GetClientRect(edit->Handle(), &rc);
  EXPECT_EQ(rc.right, 125);
  edit->SetBorderStyle(TBorderStyle::bsSingle);
  GetClientRect(edit->Handle(), &rc);
  EXPECT_EQ(rc.right, 121);

  edit->SetColor(RGB(0, 128, 0));
  EXPECT_EQ(edit->Color(), RGB(0, 128, 0));
  const HDC dc = GetDC(Field(1));
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(edit->Handle(), WM_CTLCOLOREDIT,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(Field(1))));
  EXPECT_EQ(GetBkColor(dc), RGB(0, 128, 0));
  LOGBRUSH lb{};
  GetObjectW(brush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(0, 128, 0));
  ReleaseDC(Field(1), dc);
  edit->SetColor(TIPEdit::kSystemWindowColor);
  EXPECT_EQ(edit->Color(), GetSysColor(COLOR_WINDOW));

  const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  edit->SetCursor(hand);
  SendMessageW(Field(2), WM_SETCURSOR, reinterpret_cast<WPARAM>(Field(2)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), hand);

  TIPEditFont big = edit->Font();
  big.height = -16;  // 12 points: fields 36 wide, 5 apart
  edit->SetFont(big);
  RECT r;
  GetWindowRect(Field(1), &r);
  MapWindowPoints(nullptr, edit->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.right - r.left, 36);
  EXPECT_EQ(r.left, (125 - 144 - 15 - 4) / 2 + 41);
  EXPECT_EQ(r.top, (21 - 16 - 6) / 2 + 1);
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Field(1), WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -16);

  edit->SetEnabled(false);
  for (int k = 0; k < 4; ++k) EXPECT_FALSE(IsWindowEnabled(Field(k))) << k;
  edit->SetEnabled(true);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(IsWindowEnabled(Field(k))) << k;

  MoveWindow(edit->Handle(), 100, 10, 200, 30, TRUE);  // a resize lays the fields out again
  GetWindowRect(Field(0), &r);
  MapWindowPoints(nullptr, edit->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, (200 - 144 - 15 - 4) / 2);
  EXPECT_EQ(r.bottom - r.top, 28);
}

INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

TEST_F(IPEditWindowTest, AThrowingHandlerIsShownAndTheControlGoesOn) {
  std::vector<std::string> boxes;
  ui::SetMessageBoxSeam([&](const std::string&, const std::string& text, unsigned) {
    boxes.push_back(text);
    return IDOK;
  });
  edit->OnChange = [](TIPEdit&) { throw std::runtime_error("handler failed"); };
  FocusField(0, 0, 1);
  Type("7");
  EXPECT_EQ(boxes, (Strings{"handler failed"}));
  EXPECT_EQ(edit->IPString(), "7.0.0.0");
  Type("8");
  ui::SetMessageBoxSeam(nullptr);
  EXPECT_EQ(Text(0), "78");
  EXPECT_EQ(edit->IPString(), "78.0.0.0");
  EXPECT_EQ(boxes.size(), 2u);
}

// A dialog built from an in-memory template with one control of the class.
TEST(IPEditDialogTest, UsableFromADialogTemplate) {
  ASSERT_TRUE(TIPEdit::RegisterWindowClass());
  std::vector<WORD> t;
  auto push_dword = [&](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  auto push_text = [&](const wchar_t* s) {
    for (; *s; ++s) t.push_back(*s);
    t.push_back(0);
  };
  push_dword(DS_SETFONT | WS_POPUP | WS_BORDER | WS_VISIBLE);
  push_dword(0);
  t.push_back(1);  // one control
  t.push_back(0);
  t.push_back(0);
  t.push_back(200);
  t.push_back(80);
  t.push_back(0);  // no menu
  t.push_back(0);  // standard class
  push_text(L"dialog");
  t.push_back(8);
  push_text(L"MS Shell Dlg");
  if (t.size() % 2) t.push_back(0);  // DWORD alignment of the item
  push_dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  push_dword(0);
  t.push_back(10);
  t.push_back(10);
  t.push_back(80);
  t.push_back(14);
  t.push_back(77);  // id
  push_text(TIPEdit::kClassName);
  push_text(L"");
  t.push_back(0);  // no creation data

  const HWND dlg = CreateDialogIndirectW(
      GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, DialogProc);
  ASSERT_NE(dlg, nullptr);
  TIPEdit* edit = TIPEdit::FromHandle(GetDlgItem(dlg, 77));
  ASSERT_NE(edit, nullptr);
  // The dialog's font does not replace the control's own.
  EXPECT_EQ(edit->Font().height, -12);
  EXPECT_TRUE(edit->Font().bold);
  edit->SetIPString("192.168.0.254");
  EXPECT_EQ(edit->IPString(), "192.168.0.254");
  EXPECT_EQ(edit->Field(3).Text(), "254");
  // The dialog gives its first tab stop the focus: the first field, caret not selection.
  EXPECT_EQ(GetFocus(), edit->Field(0).Handle());
  DWORD from = 1, to = 1;
  SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
               reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, to);
  DestroyWindow(dlg);
  EXPECT_FALSE(IsWindow(dlg));
}

}  // namespace
}  // namespace lr
