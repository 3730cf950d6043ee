// The fast sweeps' pacing.
#include "scanner/query_pacer.h"

#include <algorithm>

namespace lr {

QueryPacer::QueryPacer(unsigned per_second) : interval_us_(1000000u / std::max(per_second, 1u)) {}

void QueryPacer::Begin(std::uint64_t now_us) {
  next_due_us_ = now_us;
}

size_t QueryPacer::Due(std::uint64_t now_us) {
  if (now_us < next_due_us_) return 0;
  if (now_us - next_due_us_ > kBurstWindowUs) next_due_us_ = now_us - kBurstWindowUs;
  if (interval_us_ == 0) return SIZE_MAX;
  return static_cast<size_t>((now_us - next_due_us_) / interval_us_) + 1;
}

void QueryPacer::Sent(size_t n) {
  next_due_us_ += interval_us_ * n;
}

std::uint64_t QueryPacer::UntilNext(std::uint64_t now_us) const {
  return now_us < next_due_us_ ? next_due_us_ - now_us : 0;
}

}  // namespace lr
