#include "ui/modal.h"

#include <optional>

#include "ui/modal_scope.h"

namespace lr::ui {

namespace {

// The window whose dialog keys apply to `msg`: the top-level window it belongs to.
bool PreTranslate(MSG& msg, HWND main, HACCEL accelerators) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (!root) return false;
  if (accelerators && root == main && TranslateAcceleratorW(main, accelerators, &msg)) return true;
  return IsDialogMessageW(root, &msg) != FALSE;
}

}  // namespace

int RunMessageLoop(HWND main, HACCEL accelerators) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslate(msg, main, accelerators)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void RunModal(HWND dialog, HWND owner, const bool& done) {
  const bool owner_was_enabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  std::optional<ModalScope> modal(std::in_place, dialog);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  MSG msg;
  while (!done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (PreTranslate(msg, nullptr, nullptr)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Enable the owner before hiding the dialog, so that activation returns to it.
  modal.reset();
  if (owner && owner_was_enabled) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) ShowWindow(dialog, SW_HIDE);
  if (owner && owner_was_enabled) SetActiveWindow(owner);
}

void PumpPendingMessages(HWND main, HACCEL accelerators) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslate(msg, main, accelerators)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace lr::ui
