// What a scan run needs of the window that hosts it: the host list, the two status panels,
// the toolbar buttons it enables and disables, the progress panel, the pending-input pump
// and error boxes. The main window implements it; tests implement it with a recorder.
//
// Every call is made on the window's thread; workers hand their steps over first.
#pragma once

#include <string>

#include "hostlist/host_list.h"

namespace lr {

// The buttons a scan run or the batch name resolution changes.
enum class ScanButton {
  kStop,     // btnStop, "停止扫描"
  kAdd,      // SpeedButton1, "手动添加"
  kEdit,     // SpeedButton2, "编辑记录"
  kInstall,  // btnInstall, "客户端配置"
};

class ScanView {
 public:
  virtual ~ScanView() = default;

  virtual HostList& Hosts() = 0;
  // The list's rows changed (records added, removed, sorted or edited); redraw it.
  virtual void HostsChanged() = 0;

  // panel 0: the left 300-pixel part of the status bar; panel 1: the middle part.
  virtual void SetStatus(int panel, const std::string& text) = 0;
  virtual void SetButtonEnabled(ScanButton button, bool enabled) = 0;

  // The progress panel that the ICMP sweep shows while it runs.
  virtual void ShowProgress(bool shown) = 0;
  virtual void SetProgressCaption(const std::string& text) = 0;

  // Lets the window handle pending input (the ICMP sweep calls it between echoes).
  virtual void ProcessPendingInput() = 0;

  // A failure shown in a plain message box (the window's general error handling).
  virtual void ShowError(const std::string& text) = 0;

  // True when the window has been asked to close and the closing waits for a box of the
  // scan to go: the sweep then ends without further boxes.
  virtual bool CloseAsked() { return false; }
};

}  // namespace lr
