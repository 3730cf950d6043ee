// The NetBIOS sweep's second chance: a node-status query or its answer lost on the wire
// would leave a live PC out of the list without a sign. After the last address of the
// range, the addresses that the neighbour table holds as resolved (the PC answered address
// resolution, so it is there) but that sent no answer are queried again, for at most
// kNbtRetryRounds more rounds.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace lr {

inline constexpr int kNbtRetryRounds = 2;
// Before the first round, answers still on their way (a short time-out) are waited for this
// long, so a late answer is not taken for a lost one.
inline constexpr unsigned kNbtLateAnswerMs = 250;

class NbtRetry {
 public:
  // A new sweep: nothing answered, nothing retried.
  void Clear();
  // A datagram came from `ip` (dotted text).
  void Answered(const std::string& ip);
  // The addresses of `queried` (the range as walked, in order) that are in `resolved` and
  // have not answered, each once and in the walk's order.
  std::vector<std::string> Silent(const std::vector<std::string>& queried,
                                  const std::set<std::string>& resolved) const;
  // The same, as the next round: they count as retried from now on.
  std::vector<std::string> NextRound(const std::vector<std::string>& queried,
                                     const std::set<std::string>& resolved);
  // How many retried addresses have answered since.
  size_t FoundOnRetry() const;

 private:
  std::set<std::string> answered_;
  std::set<std::string> retried_;
};

}  // namespace lr
