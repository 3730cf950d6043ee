// The fast ICMP sweep: the echoes go out without waiting for their replies, paced by
// QueryPacer, and the harvest reads the neighbour table as soon as it has settled (none of
// the echoed addresses still resolving, or kIcmpSettleMs after the last echo) instead of
// after fixed pauses: the dump command is started then, and its dump is read when the
// command has ended. Texts, records and failures are the ICMP sweep's. A stop (IcmpCancel)
// is seen before each echo and at every poll of the harvest, and ends the sweep there
// without records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "scanner/icmp_sweep.h"

namespace lr {

// The harvest's bounds and poll: the table has settled at the latest this long after the
// last echo; a dump command that has not ended after kIcmpDumpLimitMs is no longer waited
// for (the read then says what it finds).
inline constexpr unsigned kIcmpSettleMs = 1000;
inline constexpr unsigned kIcmpDumpLimitMs = 10000;
inline constexpr unsigned kIcmpPollMs = 10;

class IcmpFastPlatform : public IcmpSweepPlatform {
 public:
  // One echo to `host`, not waiting for its reply; failures throw lr::Exception.
  virtual void SendEcho(const std::string& host) = 0;
  // A monotonic clock in microseconds.
  virtual std::uint64_t NowUs() = 0;
  // How many of `hosts` the neighbour table holds as still resolving (an entry without a
  // hardware address yet).
  virtual size_t Resolving(const std::set<std::string>& hosts) = 0;
  // True once the dump command started last has ended.
  virtual bool DumpCommandEnded() = 0;
};

void RunIcmpFastSweep(ScanView& view, IcmpFastPlatform& platform, const std::string& start,
                      const std::string& end, bool& cancel);

}  // namespace lr
