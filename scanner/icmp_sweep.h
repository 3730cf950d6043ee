// The ICMP sweep of a scan run: one echo to each address after the start, then the ARP
// table dump read back as records. It runs on the window thread inside the scan button's
// handler and lets the window handle pending input once per echo; the echo, the pauses,
// the dump command and the dump file come in through IcmpSweepPlatform.
#pragma once

#include <cstdint>
#include <string>

#include "base/file.h"
#include "scanner/scan_view.h"

namespace lr {

// The echo targets after `start` up to `end`: Count := IpToNumber(end) - IpToNumber(start);
// the fourth number is raised before each echo, and at 255 it carries into the third
// (which then goes on at .1). The third number never passes 255: the walk ends there (and
// gives nothing when the start's third number is already beyond it).
class IcmpTargets {
 public:
  // Throws EConvertError for a part that doesn't convert.
  IcmpTargets(const std::string& start, const std::string& end);

  std::int32_t Count() const { return count_; }
  // True while fewer than Count targets were given.
  bool More() const { return done_ < count_; }
  // The next target; false when Count targets were given or the third number would pass
  // 255. `carry` tells that the third number moved on for this one.
  bool Next(std::string& host, bool& carry);

 private:
  std::int32_t count_ = 0;
  std::int64_t done_ = 0;
  std::string prefix_;
  std::int64_t c_ = 0;
  std::int64_t d_ = 0;
};

class IcmpSweepPlatform {
 public:
  virtual ~IcmpSweepPlatform() = default;
  // One echo to `host` (dotted text), its outcome ignored; failures throw lr::Exception.
  virtual void Echo(const std::string& host) = 0;
  virtual void Sleep(unsigned ms) = 0;
  // Starts the dump command with a hidden window and does not wait for it.
  virtual void StartDumpCommand() = 0;
  virtual void DeleteDump() = 0;
  virtual FileStatus ReadDump(std::string& text) = 0;
  // The dump file's path as shown in messages.
  virtual std::string DumpPathText() = 0;
};

struct IcmpSweepPauses {
  unsigned harvest_ms = 4000;
  unsigned dump_ms = 2500;
};

// The whole ICMP sweep. `cancel` is the sweep's IcmpCancel: cleared here, set by
// IcmpStopClick from the window's pending input, tested before each echo.
void RunIcmpSweep(ScanView& view, IcmpSweepPlatform& platform, const IcmpSweepPauses& pauses,
                  const std::string& start, const std::string& end, bool& cancel);

// The steps both ICMP sweeps (this one and the fast one) share.
// The start: the list emptied, the stop button enabled, `cancel` cleared.
void IcmpSweepStarting(ScanView& view, bool& cancel);
// The targets are known: the old dump deleted, the progress panel shown, panel 1 emptied.
void IcmpTargetsReady(ScanView& view, IcmpSweepPlatform& platform);
// After the echo to `host`: its texts, and pending input handled (not at a carry).
void IcmpEchoSent(ScanView& view, const std::string& host, std::int32_t count, bool carry);
// The harvest begins: its text, and pending input handled.
void IcmpHarvestBegins(ScanView& view);
// The harvest ends: the dump read back and its records appended, the done texts; or the
// failure to open it shown.
void IcmpHarvestRead(ScanView& view, IcmpSweepPlatform& platform);

// The stop button in ICMP mode.
void IcmpStopClick(ScanView& view, bool& cancel);

}  // namespace lr
