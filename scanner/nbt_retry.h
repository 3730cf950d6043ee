// The NetBIOS sweep's second chance: a node-status query or its answer lost on the wire
// would leave a live PC out of the list without a sign. After the last address of the
// range, the addresses that the neighbour table holds as resolved (the PC answered address
// resolution, so it is there) but that sent no answer are queried again, for at most
// kNbtRetryRounds more rounds.
//
// It also decides which answers become rows. An address that answers after it was asked
// again has answered the walk's query late or the retry's, perhaps both: only its first
// answer of the sweep is a row. Every other answer is a row of its own, as a sweep without
// retries makes them, unless the sweep keeps one row per address (the fast sweep).
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace lr {

inline constexpr int kNbtRetryRounds = 2;
// Before each round, answers still on their way (a short time-out) are waited for this
// long, so a late answer is not taken for a lost one.
inline constexpr unsigned kNbtLateAnswerMs = 250;

class NbtRetry {
 public:
  // A new sweep: nothing answered, nothing retried. With `one_row_per_address`, only the
  // first answer from each address becomes a row.
  void Clear(bool one_row_per_address = false);
  // A datagram came from `ip` (dotted text); true when it becomes a row.
  bool Answered(const std::string& ip);
  // The addresses of `queried` (the range as walked, in order) that are in `resolved` and
  // have not answered, each once and in the walk's order.
  std::vector<std::string> Silent(const std::vector<std::string>& queried,
                                  const std::set<std::string>& resolved) const;
  // Just before a retry query goes to `ip`: false when it has answered meanwhile (no query
  // then); otherwise it counts as retried from now on.
  bool AskAgain(const std::string& ip);
  bool HasAnswered(const std::string& ip) const { return answered_.count(ip) > 0; }
  // How many retried addresses have answered since.
  size_t FoundOnRetry() const;

 private:
  bool one_row_ = false;
  std::set<std::string> answered_;
  std::set<std::string> retried_;
};

}  // namespace lr
