// The generator dialog's options for imaging: the café's DNS servers ("首选 DNS", "备用 DNS",
// empty unless filled) in a row below the gateway and mask, and "关闭快速启动和休眠（克隆前
// 必须）", ticked, below the other check boxes. Each row is inserted by moving the controls
// below it down, so the designed layout keeps its order and spacing.
#include "package/win32/Setup.h"

#include "ui/controls.h"

namespace lr {

namespace {

constexpr const char* kEmptyAddress = "0.0.0.0";

// Moves the dialog's own controls at or below `y` down by `height`; a group box that spans
// `y` grows instead.
void InsertRow(HWND dialog, int y, int height) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    if (r.top >= y)
      SetWindowPos(c, nullptr, r.left, r.top + height, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    else if (r.bottom > y)
      SetWindowPos(c, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Puts `control` after `previous` in the tab order.
void TabAfter(HWND control, HWND previous) {
  SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

void TForm2::CreateImagingControls() {
  HWND h = hwnd();
  // Below the gateway and mask (y 70).
  InsertRow(h, 98, 28);
  HWND l1 = ui::CreateChild(h, L"STATIC", "首选 DNS", SS_LEFT, 22, 102, 86, 16, -1);
  dns1_.Create(h, 108, 98, kEdtDns1, kEmptyAddress);
  HWND l2 = ui::CreateChild(h, L"STATIC", "备用 DNS", SS_LEFT, 250, 102, 86, 16, -1);
  dns2_.Create(h, 336, 98, kEdtDns2, kEmptyAddress);
  TabAfter(l1, mask_.hwnd());
  TabAfter(dns1_.hwnd(), l1);
  TabAfter(l2, dns1_.hwnd());
  TabAfter(dns2_.hwnd(), l2);
  // Below chkRA2 (y 150 + 28).
  InsertRow(h, 200, 24);
  HWND fast = ui::CreateChild(h, L"BUTTON", "关闭快速启动和休眠（克隆前必须）",
                              WS_TABSTOP | BS_AUTOCHECKBOX, 22, 202, 300, 18, kChkFastStartup);
  SendMessageW(fast, BM_SETCHECK, BST_CHECKED, 0);
  TabAfter(fast, Control(kChkRA2));
}

void TForm2::ReadImagingInputs(GeneratorInputs& in) const {
  in.dns1 = dns1_.IPString();
  in.dns2 = dns2_.IPString();
  in.fast_startup_off = SendMessageW(Control(kChkFastStartup), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace lr
