// One octet field of the address control: the subclassed EDIT window.
#include "hostlist/win32/ip_field_edit.h"

#include <algorithm>
#include <exception>

#include "hostlist/win32/ip_edit.h"
#include "ui/text.h"
#include "ui/window.h"

namespace lr {

TIPFieldEdit::~TIPFieldEdit() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_proc_));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  }
}

bool TIPFieldEdit::Create(HWND parent, bool tab_stop, bool read_only) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_CENTER | ES_AUTOHSCROLL;
  if (tab_stop) style |= WS_TABSTOP;
  if (read_only) style |= ES_READONLY;
  hwnd_ = CreateWindowExW(0, L"EDIT", L"0", style, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(position_ + 1)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return false;
  SendMessageW(hwnd_, EM_LIMITTEXT, kIPFieldMaxChars, 0);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  edit_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TIPFieldEdit::Proc)));
  return true;
}

std::string TIPFieldEdit::Text() const {
  const int n = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
  const int got = GetWindowTextW(hwnd_, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return ui::Gbk(text);
}

void TIPFieldEdit::SetText(const std::string& text) {
  setting_text_ = true;
  SetWindowTextW(hwnd_, ui::Wide(text).c_str());
  setting_text_ = false;
  SendMessageW(hwnd_, EM_SETSEL, 0, 0);
}

IPSelection TIPFieldEdit::Selection() const {
  DWORD from = 0, to = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  const DWORD lo = std::min(from, to);
  return IPSelection{static_cast<int>(lo), static_cast<int>(std::max(from, to) - lo)};
}

void TIPFieldEdit::SetSelection(int start, int length) {
  SendMessageW(hwnd_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
}

LRESULT CALLBACK TIPFieldEdit::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TIPFieldEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // The edit goes before its object: hand it back to the system's procedure.
    const WNDPROC proc = self->edit_proc_;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return CallWindowProcW(proc, hwnd, msg, wp, lp);
  }
  // The control's event handlers can run inside this procedure; nothing may leave it.
  try {
    return self->OnMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    ui::ShowErrorBox(e.what());
  } catch (...) {
    ui::ShowErrorBox("Unknown error");
  }
  return 0;
}

LRESULT TIPFieldEdit::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CHAR:
      return FieldChar(wp, lp);
    case WM_KEYDOWN:
      return FieldKeyDown(wp, lp);
    case WM_LBUTTONDOWN:
      return FieldMouseDown(wp, lp);
    case WM_SETFOCUS:
      return FieldEnter(wp, lp);
    case WM_GETDLGCODE:
      return FieldGetDlgCode(wp, lp);
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        SetCursor(owner_.Cursor());
        return TRUE;
      }
      break;
    default:
      break;
  }
  return Default(msg, wp, lp);
}

LRESULT TIPFieldEdit::Default(UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(edit_proc_, hwnd_, msg, wp, lp);
}

LRESULT TIPFieldEdit::FieldChar(WPARAM wp, LPARAM lp) {
  if (owner_.core_.FieldChar(position_, static_cast<unsigned>(wp)) == IPInput::kSwallow) return 0;
  return Default(WM_CHAR, wp, lp);
}

LRESULT TIPFieldEdit::FieldKeyDown(WPARAM wp, LPARAM lp) {
  const IPKey key = wp == VK_LEFT ? IPKey::kLeft : wp == VK_RIGHT ? IPKey::kRight : IPKey::kOther;
  if (owner_.core_.FieldKeyDown(position_, key) == IPInput::kSwallow) return 0;
  return Default(WM_KEYDOWN, wp, lp);
}

LRESULT TIPFieldEdit::FieldMouseDown(WPARAM wp, LPARAM lp) {
  if (owner_.core_.FieldMouseDown(position_) == IPInput::kSwallow) return 0;
  return Default(WM_LBUTTONDOWN, wp, lp);
}

// Focus arriving from outside the control goes on to the first field. The edit itself only
// sees the focus that stays, so no caret is made in a field that passes it on.
LRESULT TIPFieldEdit::FieldEnter(WPARAM wp, LPARAM lp) {
  const HWND from = reinterpret_cast<HWND>(wp);
  const int target = owner_.core_.FocusTargetOnEntry(position_, owner_.ReturningFocus(from));
  if (target != position_) {
    owner_.FocusField(target);
    return 0;
  }
  return Default(WM_SETFOCUS, wp, lp);
}

// The dialog manager selects the whole text of an edit it tabs into; these fields keep
// their caret instead.
LRESULT TIPFieldEdit::FieldGetDlgCode(WPARAM wp, LPARAM lp) {
  return Default(WM_GETDLGCODE, wp, lp) & ~static_cast<LRESULT>(DLGC_HASSETSEL);
}

}  // namespace lr
