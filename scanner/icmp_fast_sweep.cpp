// The fast ICMP sweep.
#include "scanner/icmp_fast_sweep.h"

#include "scanner/id_exceptions.h"
#include "scanner/query_pacer.h"

namespace lr {

namespace {

unsigned CeilMs(std::uint64_t us) {
  return static_cast<unsigned>((us + 999) / 1000);
}

// Polls until `done` holds or `limit_us` has passed since `since`, letting the window
// handle its input between polls; false when a stop came meanwhile.
template <typename Done>
bool PollUntil(ScanView& view, IcmpFastPlatform& platform, const bool& cancel, std::uint64_t since,
               std::uint64_t limit_us, Done done) {
  while (!done() && platform.NowUs() - since < limit_us) {
    platform.Sleep(kIcmpPollMs);
    view.ProcessPendingInput();
    if (cancel) return false;
  }
  return true;
}

}  // namespace

void RunIcmpFastSweep(ScanView& view, IcmpFastPlatform& platform, const std::string& start,
                      const std::string& end, bool& cancel) {
  IcmpSweepStarting(view, cancel);
  try {
    IcmpTargets targets(start, end);
    IcmpTargetsReady(view, platform);
    if (targets.Count() < 0) return;

    std::set<std::string> echoed;
    QueryPacer pacer;
    pacer.Begin(platform.NowUs());
    std::string host;
    bool carry = false;
    for (;;) {
      if (!targets.More()) break;
      if (cancel) return;
      while (pacer.Due(platform.NowUs()) == 0)
        platform.Sleep(CeilMs(pacer.UntilNext(platform.NowUs())));
      if (!targets.Next(host, carry)) break;
      platform.SendEcho(host);
      pacer.Sent(1);
      echoed.insert(host);
      IcmpEchoSent(view, host, targets.Count(), carry);
    }

    IcmpHarvestBegins(view);
    if (cancel) return;
    const std::uint64_t last_echo = platform.NowUs();
    if (!PollUntil(view, platform, cancel, last_echo, std::uint64_t{kIcmpSettleMs} * 1000,
                   [&] { return platform.Resolving(echoed) == 0; }))
      return;
    platform.StartDumpCommand();
    if (!PollUntil(view, platform, cancel, platform.NowUs(), std::uint64_t{kIcmpDumpLimitMs} * 1000,
                   [&] { return platform.DumpCommandEnded(); }))
      return;
    IcmpHarvestRead(view, platform);
  } catch (const Exception& e) {
    view.ShowError(e.what());
  }
}

}  // namespace lr
