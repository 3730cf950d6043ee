// The fast NetBIOS sweep.
#include "scanner/nbt_fast_sweep.h"

#include <algorithm>

#include "scanner/nbt_retry.h"

namespace lr {

namespace {

// Sends `ips` paced; false when the sweep was stopped before the last went out.
bool SendPaced(NbtSweepPort& port, const std::vector<std::string>& ips, bool again,
               unsigned per_second) {
  QueryPacer pacer(per_second);
  pacer.Begin(port.NowUs());
  size_t next = 0;
  while (next < ips.size()) {
    if (port.Stopped()) return false;
    const std::uint64_t now = port.NowUs();
    const size_t n = std::min(pacer.Due(now), ips.size() - next);
    if (n == 0) {
      if (!port.WaitUs(pacer.UntilNext(now))) return false;
      continue;
    }
    const auto first = ips.begin() + static_cast<std::ptrdiff_t>(next);
    port.Send(std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(n)), again);
    pacer.Sent(n);
    next += n;
  }
  return true;
}

// A retry round's wait: the time-out by the clock (a short wait may take a whole timer tick
// or longer), or until every address of the round has answered; false when the sweep was
// stopped.
bool WaitRound(NbtSweepPort& port, const std::vector<std::string>& round, std::uint64_t wait_us) {
  const std::uint64_t end = port.NowUs() + wait_us;
  for (std::uint64_t now = port.NowUs(); now < end; now = port.NowUs()) {
    if (port.AllAnswered(round)) return true;
    if (!port.WaitUs(std::min(kNbtRoundPollUs, end - now))) return false;
  }
  return true;
}

}  // namespace

void RunNbtFastSweep(NbtSweepPort& port, const std::vector<std::string>& targets,
                     std::uint32_t timeout_ms, unsigned per_second) {
  const std::uint64_t wait_us = std::uint64_t{timeout_ms} * 1000u;
  if (!SendPaced(port, targets, false, per_second) || !port.WaitUs(wait_us)) return;
  for (int round = 0; round < kNbtRetryRounds; ++round) {
    const std::vector<std::string> again = port.Silent();
    if (again.empty()) return;
    if (!SendPaced(port, again, true, per_second) || !WaitRound(port, again, wait_us)) return;
  }
}

}  // namespace lr
