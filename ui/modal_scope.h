// The one re-entrancy rule of the windows. The programs' boxes have no owner, so on their
// own they leave every window usable: a second click would run its handler again inside the
// first, and a close would run the window's closing inside a step that is still under way.
//
// Every path that shows a box or runs a modal loop (ShowMessage, the file dialogs, RunModal)
// holds a ModalScope while it is up:
// - the thread's other visible top-level windows take no input, as an owned modal box
//   would make them, and get it back (and the activation) when the box is gone;
// - a WM_CLOSE that reaches a window of ours meanwhile (posted, Alt+F4, the taskbar) is
//   held and posted again once the last box is gone, unless it is the modal dialog's own;
// - a WM_CLOSE that reaches a window whose closing is already under way (its question or
//   its save is up) is dropped, so no closing ever runs twice.
// Window::Proc applies the close rules to every window built on ui::Window.
#pragma once

#include <windows.h>

#include <vector>

namespace lr::ui {

class ModalScope {
 public:
  // `modal` is the dialog run modally (it keeps its input), or null for a box that does
  // not exist yet.
  explicit ModalScope(HWND modal = nullptr);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  std::vector<HWND> disabled_;
  HWND active_ = nullptr;
};

// True while a box or modal dialog of this thread is up.
bool ModalActive();

// What Window::Proc does with a WM_CLOSE of `hwnd`: kRun runs it inside a ClosingMark;
// kHeld and kDropped leave it.
enum class CloseDecision { kRun, kHeld, kDropped };
CloseDecision DecideClose(HWND hwnd);

// Marks `hwnd`'s closing as under way while it lives.
class ClosingMark {
 public:
  explicit ClosingMark(HWND hwnd);
  ~ClosingMark();
  ClosingMark(const ClosingMark&) = delete;
  ClosingMark& operator=(const ClosingMark&) = delete;

 private:
  HWND hwnd_;
};

}  // namespace lr::ui
