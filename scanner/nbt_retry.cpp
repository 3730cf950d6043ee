// The NetBIOS sweep's retry rounds and its rule for rows.
#include "scanner/nbt_retry.h"

namespace lr {

void NbtRetry::Clear(bool one_row_per_address) {
  one_row_ = one_row_per_address;
  answered_.clear();
  retried_.clear();
}

bool NbtRetry::Answered(const std::string& ip) {
  const bool first = answered_.insert(ip).second;
  return first || !(one_row_ || retried_.count(ip));
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

bool NbtRetry::AskAgain(const std::string& ip) {
  if (answered_.count(ip)) return false;
  retried_.insert(ip);
  return true;
}

size_t NbtRetry::FoundOnRetry() const {
  size_t n = 0;
  for (const std::string& ip : retried_) n += answered_.count(ip);
  return n;
}

}  // namespace lr
