// The state of the re-entrancy rule, one per thread: the modal windows up (innermost
// last), the closes held until they are gone, and the windows whose closing runs.
#include "ui/modal_scope.h"

#include <algorithm>

namespace lr::ui {

namespace {

struct ModalState {
  std::vector<HWND> modals;
  std::vector<HWND> held_closes;
  std::vector<HWND> closing;
};

ModalState& State() {
  thread_local ModalState state;
  return state;
}

bool Contains(const std::vector<HWND>& v, HWND h) {
  return std::find(v.begin(), v.end(), h) != v.end();
}

struct DisableRun {
  HWND keep;
  std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM lp) {
  auto* run = reinterpret_cast<DisableRun*>(lp);
  if (hwnd != run->keep && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    run->disabled->push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

ModalScope::ModalScope(HWND modal) : active_(GetActiveWindow()) {
  State().modals.push_back(modal);
  DisableRun run{modal, &disabled_};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&run));
}

ModalScope::~ModalScope() {
  ModalState& s = State();
  for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it)
    if (IsWindow(*it)) EnableWindow(*it, TRUE);
  if (active_ && IsWindow(active_) && IsWindowVisible(active_) && IsWindowEnabled(active_) &&
      GetActiveWindow() != active_)
    SetActiveWindow(active_);
  s.modals.pop_back();
  if (!s.modals.empty()) return;
  // The last box is gone: the closes asked for meanwhile run from the window's loop.
  std::vector<HWND> held;
  held.swap(s.held_closes);
  for (HWND h : held)
    if (IsWindow(h) && !Contains(s.closing, h)) PostMessageW(h, WM_CLOSE, 0, 0);
}

bool ModalActive() {
  return !State().modals.empty();
}

CloseDecision DecideClose(HWND hwnd) {
  ModalState& s = State();
  if (Contains(s.closing, hwnd)) return CloseDecision::kDropped;
  if (s.modals.empty() || s.modals.back() == hwnd) return CloseDecision::kRun;
  if (!Contains(s.held_closes, hwnd)) s.held_closes.push_back(hwnd);
  return CloseDecision::kHeld;
}

ClosingMark::ClosingMark(HWND hwnd) : hwnd_(hwnd) {
  State().closing.push_back(hwnd);
}

ClosingMark::~ClosingMark() {
  auto& closing = State().closing;
  if (auto it = std::find(closing.begin(), closing.end(), hwnd_); it != closing.end())
    closing.erase(it);
}

}  // namespace lr::ui
