// The address control's window: class registration, the four fields, painting, colours,
// font, border and the focus that enters it.
#include "hostlist/win32/ip_edit.h"

#include <exception>

#include "hostlist/ip_edit_layout.h"
#include "ui/text.h"
#include "ui/window.h"

namespace lr {

namespace {

int ScreenDpi() {
  const HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

HFONT MakeFont(const std::string& name, int height, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = ui::Wide(name);
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

}  // namespace

bool TIPEdit::RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
    wc.lpfnWndProc = &TIPEdit::Proc;
    wc.cbWndExtra = sizeof(TIPEdit*);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

TIPEdit* TIPEdit::Create(HWND parent, int id, int x, int y, int width, int height) {
  if (!RegisterWindowClass()) return nullptr;
  const HWND hwnd = CreateWindowExW(
      WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, kClassName, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, x, y, width, height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  return FromHandle(hwnd);
}

TIPEdit* TIPEdit::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  wchar_t name[16] = {};
  if (!GetClassNameW(hwnd, name, 16) || lstrcmpiW(name, kClassName) != 0) return nullptr;
  return reinterpret_cast<TIPEdit*>(GetWindowLongPtrW(hwnd, 0));
}

TIPEditFont TIPEdit::DefaultFont() {
  return TIPEditFont{"MS Sans Serif", -FontPixelsFromPoints(9, ScreenDpi()), true};
}

TIPEdit::TIPEdit(HWND hwnd)
    : hwnd_(hwnd), core_(*this), cursor_(LoadCursorW(nullptr, IDC_IBEAM)), font_(DefaultFont()) {}

TIPEdit::~TIPEdit() = default;

LRESULT CALLBACK TIPEdit::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // Whatever created the window (code or a dialog template), it gets the control's own
    // frame: a sunken border, fields that the dialog manager tabs through, no painting over
    // the fields, and a tab stop.
    TIPEdit* created = nullptr;
    try {
      created = new TIPEdit(hwnd);
    } catch (...) {
      return FALSE;  // the window is not created
    }
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(created));
    SetWindowLongPtrW(
        hwnd, GWL_EXSTYLE,
        GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(hwnd, GWL_STYLE,
                      GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN | WS_TABSTOP);
  }
  auto* self = reinterpret_cast<TIPEdit*>(GetWindowLongPtrW(hwnd, 0));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    delete self;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  // OnChange and OnError handlers run inside this procedure; nothing may leave it.
  try {
    return self->OnMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    ui::ShowErrorBox(e.what());
  } catch (...) {
    ui::ShowErrorBox("Unknown error");
  }
  return msg == WM_CREATE ? -1 : 0;  // a control without its fields is not created
}

LRESULT TIPEdit::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return FormCreate();
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_MOVE:
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint handler fills the whole client area
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == EN_CHANGE) FieldChange(reinterpret_cast<HWND>(lp));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return FormColor(reinterpret_cast<HDC>(wp));
    case WM_SETFOCUS:
      if (fields_[0]) FocusField(0);
      return 0;
    case WM_LBUTTONDOWN:
      SurfaceMouseDown();
      return 0;
    case WM_ENABLE:
      for (auto& f : fields_) {
        if (f && f->Handle()) EnableWindow(f->Handle(), static_cast<BOOL>(wp));
      }
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      return 0;  // the control keeps its own font (SetFont)
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(hfont_.get());
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT TIPEdit::FormCreate() {
  // Apply the border the window was given its frame for before the fields are placed.
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int k = 0; k < kIPFieldCount; ++k) {
    fields_[k] = std::make_unique<TIPFieldEdit>(*this, k);
    if (!fields_[k]->Create(hwnd_, true, false)) return -1;
  }
  ApplyFont();
  return 0;
}

void TIPEdit::FormResize() {
  LayoutFields();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TIPEdit::FormPaint() {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd_, &ps);
  if (dc) Paint(dc);
  EndPaint(hwnd_, &ps);
}

void TIPEdit::Paint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const IPEditPaintPlan plan = PlanIPEditPaint(
      IPRect{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}, border_width_, Layout());
  if (plan.frame_width > 0) {
    const HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    const HBRUSH dark = GetSysColorBrush(COLOR_BTNSHADOW);
    const int b = plan.frame_width;
    const RECT top{rc.left, rc.top, rc.right, rc.top + b};
    const RECT left{rc.left, rc.top, rc.left + b, rc.bottom};
    const RECT bottom{rc.left, rc.bottom - b, rc.right, rc.bottom};
    const RECT right{rc.right - b, rc.top, rc.right, rc.bottom};
    FillRect(dc, &top, light);
    FillRect(dc, &left, light);
    FillRect(dc, &bottom, dark);
    FillRect(dc, &right, dark);
  }
  const RECT fill{plan.fill.left, plan.fill.top, plan.fill.left + plan.fill.width,
                  plan.fill.top + plan.fill.height};
  FillRect(dc, &fill, Brush());

  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SelectObject(dc, dot_font_.get());
  for (const IPPoint& dot : plan.dots) TextOutW(dc, dot.x, dot.y, L".", 1);
  RestoreDC(dc, saved);
}

LRESULT TIPEdit::FormColor(HDC dc) {
  SetBkColor(dc, Color());
  SetTextColor(dc, GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  return reinterpret_cast<LRESULT>(Brush());
}

void TIPEdit::FieldChange(HWND field) {
  const int position = FieldPosition(field);
  // The core's own text replacements run the change rule themselves.
  if (position < 0 || fields_[position]->SettingText()) return;
  core_.FieldTextChanged(position);
}

void TIPEdit::SurfaceMouseDown() {
  core_.SurfaceMouseDown();
}

IPEditLayout TIPEdit::Layout() const {
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  return LayoutIPEdit(wr.right - wr.left, wr.bottom - wr.top,
                      FontPointsFromPixels(font_.height, ScreenDpi()), font_.height);
}

void TIPEdit::LayoutFields() {
  if (!GetParent(hwnd_)) return;
  const IPEditLayout layout = Layout();
  for (int k = 0; k < kIPFieldCount; ++k) {
    if (!fields_[k]) continue;
    const IPRect& r = layout.fields[k];
    MoveWindow(fields_[k]->Handle(), r.left, r.top, r.width, r.height, TRUE);
  }
}

void TIPEdit::ApplyFont() {
  hfont_.reset(MakeFont(font_.name, font_.height, font_.bold));
  dot_font_.reset(MakeFont(font_.name, -FontPixelsFromPoints(kIPDotPoints, ScreenDpi()), true));
  for (auto& f : fields_) {
    if (f) SendMessageW(f->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(hfont_.get()), TRUE);
  }
  LayoutFields();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TIPEdit::SetFont(const TIPEditFont& font) {
  font_ = font;
  ApplyFont();
}

void TIPEdit::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  ex = style == TBorderStyle::bsSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE);
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutFields();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

COLORREF TIPEdit::Color() const {
  return color_ == kSystemWindowColor ? GetSysColor(COLOR_WINDOW) : color_;
}

HBRUSH TIPEdit::Brush() const {
  return brush_ ? static_cast<HBRUSH>(brush_.get()) : GetSysColorBrush(COLOR_WINDOW);
}

void TIPEdit::SetColor(COLORREF color) {
  color_ = color;
  brush_.reset(color == kSystemWindowColor ? nullptr : CreateSolidBrush(color));
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TIPEdit::SetCursor(HCURSOR cursor) {
  cursor_ = cursor;
}

bool TIPEdit::ReadOnly() const {
  return fields_[0] && (GetWindowLongPtrW(fields_[0]->Handle(), GWL_STYLE) & ES_READONLY) != 0;
}

void TIPEdit::SetReadOnly(bool read_only) {
  if (read_only == ReadOnly()) return;
  for (auto& f : fields_) SendMessageW(f->Handle(), EM_SETREADONLY, read_only, 0);
  core_.SetReadOnly(read_only);
}

bool TIPEdit::TabStop() const {
  return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_TABSTOP) != 0;
}

void TIPEdit::SetTabStop(bool tab_stop) {
  if (tab_stop == TabStop()) return;
  auto set = [tab_stop](HWND hwnd) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, tab_stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  };
  set(hwnd_);
  for (auto& f : fields_) set(f->Handle());
}

int TIPEdit::FieldPosition(HWND hwnd) const {
  if (!hwnd) return -1;
  for (int k = 0; k < kIPFieldCount; ++k) {
    if (fields_[k] && fields_[k]->Handle() == hwnd) return k;
  }
  return -1;
}

bool TIPEdit::ReturningFocus(HWND from) const {
  // No previous focus: the window is being activated again and the system restores the
  // field that had the focus when it was left.
  return from == nullptr || FieldPosition(from) >= 0;
}

void TIPEdit::Changed() {
  if (OnChange) OnChange(*this);
}

void TIPEdit::Rejected(int field) {
  if (OnError) OnError(*this, field);
}

}  // namespace lr
