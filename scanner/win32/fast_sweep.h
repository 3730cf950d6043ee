// The Windows pieces of the fast sweeps: their clock, and the fast NetBIOS sweep on the
// scanner's sweep thread, whose waits are cut short by Stop and which hands each batch of
// due queries to the window thread in one synchronous step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lr {

class TNbt;

// The performance counter in microseconds (the tick count where there is none).
std::uint64_t FastSweepClockUs();

// Runs the fast sweep over `targets` (the walk's addresses) on the calling sweep thread.
void RunNbtFastSweepThread(TNbt& nbt, const std::vector<std::string>& targets);

}  // namespace lr
