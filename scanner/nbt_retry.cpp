// The NetBIOS sweep's retry rounds.
#include "scanner/nbt_retry.h"

namespace lr {

void NbtRetry::Clear() {
  answered_.clear();
  retried_.clear();
}

void NbtRetry::Answered(const std::string& ip) {
  answered_.insert(ip);
}

std::vector<std::string> NbtRetry::Silent(const std::vector<std::string>& queried,
                                          const std::set<std::string>& resolved) const {
  std::vector<std::string> silent;
  std::set<std::string> taken;
  for (const std::string& ip : queried) {
    if (resolved.count(ip) && !answered_.count(ip) && taken.insert(ip).second) silent.push_back(ip);
  }
  return silent;
}

std::vector<std::string> NbtRetry::NextRound(const std::vector<std::string>& queried,
                                             const std::set<std::string>& resolved) {
  std::vector<std::string> round = Silent(queried, resolved);
  retried_.insert(round.begin(), round.end());
  return round;
}

size_t NbtRetry::FoundOnRetry() const {
  size_t n = 0;
  for (const std::string& ip : retried_) n += answered_.count(ip);
  return n;
}

}  // namespace lr
