// Pacing of the fast sweeps: queries (or echoes) sent without waiting for answers, at no
// more than about kFastQueriesPerSecond, so a switch or an old PC's stack (each query to a
// new address is an address-resolution broadcast to every PC) is not flooded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lr {

inline constexpr unsigned kFastQueriesPerSecond = 2000;

// When the queries of a paced run are due. Each query is due one interval after the one
// before; time lost beyond kBurstWindowUs (the sender held up, a coarse platform sleep) is
// not made up, so no burst holds more than the queries of that window.
class QueryPacer {
 public:
  static constexpr std::uint64_t kBurstWindowUs = 16000;

  explicit QueryPacer(unsigned per_second = kFastQueriesPerSecond);
  // A new run whose first query is due at `now_us`.
  void Begin(std::uint64_t now_us);
  // How many queries are due at `now_us`.
  size_t Due(std::uint64_t now_us);
  // `n` of them went out.
  void Sent(size_t n);
  // Microseconds from `now_us` until the next query is due (0 when one is due).
  std::uint64_t UntilNext(std::uint64_t now_us) const;

 private:
  std::uint64_t interval_us_;
  std::uint64_t next_due_us_ = 0;
};

}  // namespace lr
