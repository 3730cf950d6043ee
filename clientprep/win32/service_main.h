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
// the end of its session part): the named mutex Global\Lanroster.Hostprep, open to every
// account, so any user's start can see it held.
class WorkLock {
 public:
  WorkLock();
  ~WorkLock();
  WorkLock(const WorkLock&) = delete;
  WorkLock& operator=(const WorkLock&) = delete;
  // Whether this start has it: not when another start holds it, nor when it can't be made or
  // opened (another object squatting its name, a mutex this account may not open).
  bool taken() const { return taken_; }
  // The error that kept it from being made or opened; ERROR_SUCCESS when it was.
  DWORD error() const { return error_; }

 private:
  HANDLE mutex_ = nullptr;
  bool taken_ = false;
  DWORD error_ = ERROR_SUCCESS;
};

}  // namespace lr::clientprep
