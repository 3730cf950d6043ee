// Record comparison by column.
#include "scanner/compare_records.h"

#include <string>

namespace lr {

namespace {
unsigned char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}
}  // namespace

int CompareRecords(const HostRecord& a, const HostRecord& b, int column) {
  if (column < 0 || column >= kHostFieldCount) return 0;
  const std::string& x = a.Field(column);
  const std::string& y = b.Field(column);
  const size_t n = x.size() < y.size() ? x.size() : y.size();
  for (size_t i = 0; i < n; ++i) {
    const int d = static_cast<int>(Fold(x[i])) - static_cast<int>(Fold(y[i]));
    if (d != 0) return d;
  }
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
}

}  // namespace lr
