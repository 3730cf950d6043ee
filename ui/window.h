// The base of every window class: registers the window class once, keeps `this` in the
// window from WM_NCCREATE on, and hands each message to the object's OnMessage, which only
// dispatches to small handlers.
//
// A WM_CLOSE follows the re-entrancy rule of modal_scope.h: held while a box is up, dropped
// while the window's own closing runs.
//
// No exception leaves a window procedure: one that reaches the base is shown in an error
// box (the programs' general error handling) and the message counts as handled.
#pragma once

#include <windows.h>

#include <string>

namespace lr::ui {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers `class_name` (once per process) and creates the window. False when the
  // system refused; the window then does not exist.
  bool CreateWindowOf(const wchar_t* class_name, DWORD ex_style, DWORD style,
                      const std::wstring& title, int x, int y, int width, int height, HWND parent,
                      HMENU menu_or_id = nullptr, HICON icon = nullptr);

  // A dialog frame (caption, system menu, `extra_style`) owned by `owner`, with a client area
  // of the given size, centred on the screen; hidden until shown. False when refused.
  bool CreateDialogOf(const wchar_t* class_name, const std::string& caption, int client_width,
                      int client_height, HWND owner, DWORD extra_style = 0);

  // Every message of the window; the default passes it to DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

// The caption of the programs' error boxes.
inline constexpr const char* kErrorCaption = "Lanroster";

// Shows an error box (no owner, stop icon) with `text`.
void ShowErrorBox(const std::string& text);

}  // namespace lr::ui
