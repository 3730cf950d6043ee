// The NetBIOS scan run's view updates.
#include "scanner/nbt_events.h"

#include "scanner/scan_texts.h"

namespace lr {

void NbtScanStarting(ScanView& view) {
  view.Hosts().Clear();
  view.HostsChanged();
  view.SetButtonEnabled(ScanButton::kEdit, true);
  view.SetButtonEnabled(ScanButton::kStop, true);
}

void NbtSendEvent(ScanView& view, const std::string& status_text) {
  view.SetStatus(0, status_text);
}

void NbtEndEvent(ScanView& view, unsigned dropped, size_t found_on_retry) {
  std::string text = dropped ? NbtEndText() + " " + NbtDroppedText(dropped) : NbtEndText();
  if (found_on_retry) text += NbtRetryFoundText(found_on_retry);
  view.SetStatus(0, text);
  view.SetStatus(1, NbtEndCountText(view.Hosts().Count()));
}

}  // namespace lr
