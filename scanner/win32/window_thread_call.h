// Synchronous calls from worker threads onto the window thread: a message-only window
// created on the window thread runs each handed-over step inside SendMessage, so the
// worker blocks until the step is done. Also the wait that lets the window thread run such
// steps while it waits for a worker to end.
#pragma once

#include <windows.h>

#include <functional>

namespace lr {

class WindowThreadCall {
 public:
  WindowThreadCall();  // on the window thread
  ~WindowThreadCall();
  WindowThreadCall(const WindowThreadCall&) = delete;
  WindowThreadCall& operator=(const WindowThreadCall&) = delete;

  // Runs `step` on the window thread and returns when it has run; on the window thread
  // itself it runs at once. An exception thrown by the step is swallowed at the window
  // procedure.
  void Call(const std::function<void()>& step) const;

  HWND Window() const { return window_; }

 private:
  HWND window_ = nullptr;
  DWORD thread_id_ = 0;
};

// Waits until `handle` is signalled, running the steps that other threads send to this
// thread's windows meanwhile (so a worker in a synchronous call can finish).
void WaitRunningSentMessages(HANDLE handle);

}  // namespace lr
