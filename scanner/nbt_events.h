// The window's side of a NetBIOS scan run: what the start, each query and the end show.
#pragma once

#include <string>

#include "scanner/scan_view.h"

namespace lr {

// btnScanClick in NetBIOS mode, before the scanner starts: the list is emptied and the
// edit and stop buttons are enabled.
void NbtScanStarting(ScanView& view);
// NbtSendEvent: panel 0 := the scanner's StatusText.
void NbtSendEvent(ScanView& view, const std::string& status_text);
// NbtEndEvent: the end texts with the number of records now in the list; queries of the
// sweep that were dropped unsent are counted after the panel 0 text, so no host is missed
// without a sign, and so are the PCs that answered only on a retry.
void NbtEndEvent(ScanView& view, unsigned dropped = 0, size_t found_on_retry = 0);

}  // namespace lr
