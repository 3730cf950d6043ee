// Message loops: the program's main loop, the modal run of a dialog, and the pending-input
// pump of long handlers. Each one gives its window the dialog keys (Tab, Shift+Tab, Enter,
// Esc, arrows in groups) and the main window its keyboard shortcuts.
#pragma once

#include <windows.h>

namespace lr::ui {

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND main, HACCEL accelerators);

// Shows `dialog` with `owner` disabled and runs the thread's message loop until `done` is
// true (the dialog's close handler sets it) or a WM_QUIT arrives, which is posted again
// for the outer loop. The dialog is hidden again and the owner enabled and activated.
void RunModal(HWND dialog, HWND owner, const bool& done);

// Handles the messages already waiting, then returns. A WM_QUIT is posted again and ends
// the pump. Keyboard messages go through `dialog_keys` as in the main loop.
void PumpPendingMessages(HWND dialog_keys, HACCEL accelerators);

}  // namespace lr::ui
