// A scan view for the lab tests: it keeps the host list, records every status text, button
// change, progress change and error, and lets a test act from inside the sweep (a click on
// the stop button during the pending input of an ICMP sweep, say). Also the message pumps
// that stand in for the window's message loop, and a recorder of message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "hostlist/host_list.h"
#include "scanner/scan_view.h"
#include "ui/message_box.h"

namespace lab {

class RecordingView : public lr::ScanView {
 public:
  lr::HostList& Hosts() override { return hosts_; }
  void HostsChanged() override {}
  void SetStatus(int panel, const std::string& text) override;
  void SetButtonEnabled(lr::ScanButton button, bool enabled) override { buttons[button] = enabled; }
  void ShowProgress(bool shown) override { progress_shown = shown; }
  void SetProgressCaption(const std::string& text) override { progress_caption = text; }
  void ProcessPendingInput() override;
  void ShowError(const std::string& text) override { errors.push_back(text); }

  std::vector<lr::HostRecord> Records() const;
  // Panel 0 texts in order.
  std::vector<std::string> Panel0() const;
  bool SawStatus(int panel, const std::string& text) const;

  std::map<int, std::string> status;
  std::vector<std::pair<int, std::string>> statuses;
  std::map<lr::ScanButton, bool> buttons;
  bool progress_shown = false;
  std::string progress_caption;
  std::vector<std::string> errors;
  int pending_input_calls = 0;
  // Called after each status change and after each pending-input step.
  std::function<void(int panel, const std::string& text)> on_status;
  std::function<void()> on_pending_input;

 private:
  lr::HostList hosts_;
};

// Dispatches the messages that are waiting, without blocking.
void PumpPending();
// Runs the message loop until `done` answers true or `limit_ms` has passed (a safety limit
// so a broken sweep fails instead of hanging); returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD limit_ms);
// Runs the message loop for `ms` milliseconds.
void PumpFor(DWORD ms);

// Answers every message box with OK and keeps "caption: text" of each, while it lives;
// with `context` set, " @ " and what it answers are added (the address being queried, say).
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  std::vector<std::string> boxes;
  std::function<std::string()> context;

 private:
  lr::ui::MessageBoxSeam previous_;
};

}  // namespace lab
