// A guard for the fake clocks of the sweep tests. A real timer rounds a wait of 0 up to a
// tick; a fake clock stays where it is, so a loop that keeps waiting 0 (or never reaches
// its end) would spin forever. The guard fails the test with the name of the loop instead,
// after many waits in a row that left the clock where it was or after a budget of waits,
// and ends the run under test with an exception it doesn't catch.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lr {

class NoProgress : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class WaitGuard {
 public:
  static constexpr unsigned kStillLimit = 1000;
  static constexpr std::uint64_t kBudget = 1000000;

  // One wait of `loop`; `moved` when it advanced the clock.
  void Wait(bool moved, const char* loop) {
    still_ = moved ? 0 : still_ + 1;
    if (still_ < kStillLimit && ++waits_ < kBudget) return;
    const std::string text =
        still_ >= kStillLimit
            ? std::string(loop) + ": the clock stood still for " + std::to_string(still_) +
                  " waits in a row"
            : std::string(loop) + ": not ended after " + std::to_string(waits_) + " waits";
    ADD_FAILURE() << text;
    throw NoProgress(text);
  }

 private:
  unsigned still_ = 0;
  std::uint64_t waits_ = 0;
};

}  // namespace lr
