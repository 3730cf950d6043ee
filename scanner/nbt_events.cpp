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

void NbtEndEvent(ScanView& view, unsigned dropped) {
  view.SetStatus(0, dropped ? NbtEndText() + " " + NbtDroppedText(dropped) : NbtEndText());
  view.SetStatus(1, NbtEndCountText(view.Hosts().Count()));
}

}  // namespace lr
