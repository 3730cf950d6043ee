// Fuzzes the ARP dump reader: any bytes as a dump file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "scanner/arp_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto records = lr::ReadArpDump(text);
  const size_t lines = lr::SplitLines(text).size();
  if (records.size() != (lines > 3 ? lines - 3 : 0)) std::abort();
  for (const lr::HostRecord& r : records) {
    if (r.ip.size() > 18 || r.mac.size() > 26 || r.workgroup != "-" || r.name != "-") std::abort();
  }
  return 0;
}
