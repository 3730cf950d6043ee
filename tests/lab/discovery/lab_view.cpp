// The recording scan view and the message pumps of the lab tests; see lab_view.h.
#include "tests/lab/discovery/lab_view.h"

namespace lab {

void RecordingView::SetStatus(int panel, const std::string& text) {
  status[panel] = text;
  statuses.emplace_back(panel, text);
  if (on_status) on_status(panel, text);
}

void RecordingView::ProcessPendingInput() {
  ++pending_input_calls;
  PumpPending();
  if (on_pending_input) on_pending_input();
}

std::vector<lr::HostRecord> RecordingView::Records() const {
  std::vector<lr::HostRecord> records;
  for (size_t i = 0; i < hosts_.Count(); ++i) records.push_back(hosts_.At(i));
  return records;
}

std::vector<std::string> RecordingView::Panel0() const {
  std::vector<std::string> texts;
  for (const auto& [panel, text] : statuses) {
    if (panel == 0) texts.push_back(text);
  }
  return texts;
}

bool RecordingView::SawStatus(int panel, const std::string& text) const {
  for (const auto& s : statuses) {
    if (s.first == panel && s.second == text) return true;
  }
  return false;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limit_ms) {
  // A plain message loop, as a window's: GetMessage runs the steps other threads send and
  // returns the posted messages; a thread timer wakes it to look at `done` again.
  const DWORD start = GetTickCount();
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
  MSG msg;
  while (!done() && GetTickCount() - start < limit_ms && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(nullptr, timer);
  return done();
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

BoxRecorder::BoxRecorder() {
  previous_ = lr::ui::SetMessageBoxSeam(
      [this](const std::string& caption, const std::string& text, unsigned) {
        boxes.push_back(caption + ": " + text + (context ? " @ " + context() : ""));
        return IDOK;
      });
}

BoxRecorder::~BoxRecorder() {
  lr::ui::SetMessageBoxSeam(previous_);
}

}  // namespace lab
