#include "ui/window.h"

#include <exception>
#include <optional>

#include "ui/controls.h"
#include "ui/message_box.h"
#include "ui/modal_scope.h"
#include "ui/text.h"

namespace lr::ui {

Window::~Window() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Window::CreateWindowOf(const wchar_t* class_name, DWORD ex_style, DWORD style,
                            const std::wstring& title, int x, int y, int width, int height,
                            HWND parent, HMENU menu_or_id, HICON icon) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, class_name, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(ex_style, class_name, title.c_str(), style, x, y, width, height, parent,
                         menu_or_id, instance, this) != nullptr;
}

bool Window::CreateDialogOf(const wchar_t* class_name, const std::string& caption, int client_width,
                            int client_height, HWND owner, DWORD extra_style) {
  if (!CreateWindowOf(class_name, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | extra_style, Wide(caption), 0, 0, 100,
                      100, owner))
    return false;
  SetClientSize(hwnd_, client_width, client_height);
  CenterOnScreen(hwnd_);
  return true;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return Default(msg, wp, lp);
}

LRESULT Window::Default(UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  std::optional<ClosingMark> closing;
  if (msg == WM_CLOSE) {
    if (DecideClose(hwnd) != CloseDecision::kRun) return 0;
    closing.emplace(hwnd);
  }
  LRESULT result = 0;
  try {
    result = self->OnMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unknown error");
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

void ShowErrorBox(const std::string& text) {
  ShowMessage(kErrorCaption, text, MB_OK | MB_ICONERROR);
}

}  // namespace lr::ui
