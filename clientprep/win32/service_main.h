// Hostprep's glue to the service control manager, and the lock that keeps its starts from
// working at once. The program tells a service start by its own start: the control
// dispatcher connects only in a process the manager started. Interactive starts (window
// station WinSta0) skip the dispatcher, which may wait seconds before it gives up.
#pragma once

#include <windows.h>

namespace lr::clientprep {

// Runs the service's sequence when the service control manager started this process:
// true then, `exit_code` set. False for any other start.
bool RunAsServiceWhenStarted(int& exit_code);

// The lock one start of Hostprep holds while it works (the service holds it from the boot to
// the end of its session part). Any user's start can see it held.
class WorkLock {
 public:
  WorkLock();
  ~WorkLock();
  WorkLock(const WorkLock&) = delete;
  WorkLock& operator=(const WorkLock&) = delete;
  // Whether another start holds it.
  bool held_elsewhere() const { return held_elsewhere_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_elsewhere_ = false;
};

}  // namespace lr::clientprep
