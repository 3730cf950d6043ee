// The message-only window that runs steps handed over by worker threads.
#include "scanner/win32/window_thread_call.h"

namespace lr {

namespace {

constexpr UINT kRunStep = WM_APP + 0x51;
constexpr wchar_t kClassName[] = L"LanrosterWindowThreadCall";

LRESULT CALLBACK CallWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kRunStep) {
    const auto* step = reinterpret_cast<const std::function<void()>*>(lparam);
    try {
      (*step)();
    } catch (...) {
      // Never across the window procedure; the step reports its own failures.
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CallWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

WindowThreadCall::WindowThreadCall() {
  RegisterOnce();
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  thread_id_ = GetCurrentThreadId();
}

WindowThreadCall::~WindowThreadCall() {
  if (window_) DestroyWindow(window_);
}

void WindowThreadCall::Call(const std::function<void()>& step) const {
  if (GetCurrentThreadId() == thread_id_) {
    step();
    return;
  }
  SendMessageW(window_, kRunStep, 0, reinterpret_cast<LPARAM>(&step));
}

void WaitRunningSentMessages(HANDLE handle) {
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace lr
