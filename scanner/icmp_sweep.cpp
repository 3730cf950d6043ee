// The ICMP sweep and its echo target sequence.
#include "scanner/icmp_sweep.h"

#include "scanner/arp_dump.h"
#include "scanner/id_exceptions.h"
#include "scanner/ip_text.h"
#include "scanner/scan_texts.h"

namespace lr {

IcmpTargets::IcmpTargets(const std::string& start, const std::string& end) {
  const auto last = static_cast<std::uint32_t>(IpToNumber(end));
  const auto first = static_cast<std::uint32_t>(IpToNumber(start));
  count_ = static_cast<std::int32_t>(last - first);
  const size_t dot1 = start.find('.');
  const size_t dot2 = dot1 == std::string::npos ? std::string::npos : start.find('.', dot1 + 1);
  const size_t dot3 = dot2 == std::string::npos ? std::string::npos : start.find('.', dot2 + 1);
  prefix_ = dot2 == std::string::npos ? start : start.substr(0, dot2 + 1);
  const std::string c_text =
      dot2 == std::string::npos ? std::string() : start.substr(dot2 + 1, dot3 - (dot2 + 1));
  const std::string d_text = dot3 == std::string::npos ? std::string() : start.substr(dot3 + 1);
  c_ = StrToInt(c_text);
  d_ = StrToInt(d_text);
}

bool IcmpTargets::Next(std::string& host, bool& carry) {
  if (done_ >= count_ || c_ > 255) return false;
  if (d_ >= 255) {
    if (c_ >= 255) return false;
    ++c_;
    d_ = 1;
    carry = true;
  } else {
    ++d_;
    carry = false;
  }
  ++done_;
  host = prefix_ + std::to_string(c_) + "." + std::to_string(d_);
  return true;
}

void IcmpSweepStarting(ScanView& view, bool& cancel) {
  view.Hosts().Clear();
  view.HostsChanged();
  view.SetButtonEnabled(ScanButton::kStop, true);
  cancel = false;
}

void IcmpTargetsReady(ScanView& view, IcmpSweepPlatform& platform) {
  platform.DeleteDump();
  view.ShowProgress(true);
  view.SetStatus(1, "");
}

void IcmpEchoSent(ScanView& view, const std::string& host, std::int32_t count, bool carry) {
  view.SetStatus(0, IcmpEchoText(host, count, carry));
  if (!carry) {
    view.SetProgressCaption(IcmpProgressText(host));
    view.ProcessPendingInput();
  }
}

void IcmpHarvestBegins(ScanView& view) {
  view.SetStatus(0, IcmpHarvestText());
  view.SetProgressCaption(IcmpHarvestText());
  view.ProcessPendingInput();
}

void IcmpHarvestRead(ScanView& view, IcmpSweepPlatform& platform) {
  std::string text;
  const FileStatus status = platform.ReadDump(text);
  if (!status) {
    view.ShowError(CannotOpenFileText(platform.DumpPathText(), status.reason));
    return;
  }
  for (HostRecord& r : ReadArpDump(text)) view.Hosts().Append(std::move(r));
  view.HostsChanged();
  view.SetStatus(0, IcmpDoneText(view.Hosts().Count()));
  view.ShowProgress(false);
  view.SetButtonEnabled(ScanButton::kInstall, true);
}

void RunIcmpSweep(ScanView& view, IcmpSweepPlatform& platform, const IcmpSweepPauses& pauses,
                  const std::string& start, const std::string& end, bool& cancel) {
  IcmpSweepStarting(view, cancel);
  try {
    IcmpTargets targets(start, end);
    IcmpTargetsReady(view, platform);
    if (targets.Count() < 0) return;

    std::string host;
    bool carry = false;
    for (;;) {
      if (!targets.More()) break;
      if (cancel) return;
      if (!targets.Next(host, carry)) break;
      platform.Echo(host);
      IcmpEchoSent(view, host, targets.Count(), carry);
    }

    IcmpHarvestBegins(view);
    platform.Sleep(pauses.harvest_ms);
    platform.StartDumpCommand();
    platform.Sleep(pauses.dump_ms);
    IcmpHarvestRead(view, platform);
  } catch (const Exception& e) {
    view.ShowError(e.what());
  }
}

void IcmpStopClick(ScanView& view, bool& cancel) {
  cancel = true;
  view.SetStatus(0, IcmpCancelText());
  view.ShowProgress(false);
  view.SetButtonEnabled(ScanButton::kStop, false);
  view.ProcessPendingInput();
}

}  // namespace lr
