// The fast NetBIOS sweep: the range's queries go out without waiting for answers between
// them, paced by QueryPacer, then one wait of the time-out after the last; the live-but-silent
// addresses are asked again in up to kNbtRetryRounds rounds at the same pace, each followed by one
// wait. Answers come in on the window thread as in the one-query-per-wait sweep; NbtRetry keeps one
// row per address.
//
// The sweep thread's side of the scanner (the clock, the stop-aware wait, the hand-over of
// queries to the window thread, the retry list) comes in through NbtSweepPort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scanner/query_pacer.h"

namespace lr {

class NbtSweepPort {
 public:
  virtual ~NbtSweepPort() = default;
  // A monotonic clock in microseconds.
  virtual std::uint64_t NowUs() = 0;
  // Waits `us` (rounded up to what the platform can wait), cut short by a stop; false when
  // the sweep has been stopped.
  virtual bool WaitUs(std::uint64_t us) = 0;
  virtual bool Stopped() = 0;
  // Sends the query to each of `ips` now, in order, each after its status text. With
  // `again` (a retry round), an address that has answered meanwhile is passed over.
  virtual void Send(const std::vector<std::string>& ips, bool again) = 0;
  // The next retry round: the walked addresses the neighbour table resolved that have not
  // answered, in the walk's order.
  virtual std::vector<std::string> Silent() = 0;
  // True when every one of `ips` has answered.
  virtual bool AllAnswered(const std::vector<std::string>& ips) = 0;
};

// How often a retry round's wait looks whether its addresses have all answered.
inline constexpr std::uint64_t kNbtRoundPollUs = 5000;

// The whole sweep over `targets` (the walk's addresses, in order); returns when it is done
// or stopped. The caller raises the end notification.
void RunNbtFastSweep(NbtSweepPort& port, const std::vector<std::string>& targets,
                     std::uint32_t timeout_ms, unsigned per_second = kFastQueriesPerSecond);

}  // namespace lr
