// Fuzzes the host list import reader: any bytes cut into records without reading past them,
// and every record has its five fields with workgroup "-".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hostlist/list_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto records = lr::ParseImport(bytes);
  size_t total = 0;
  for (const lr::HostRecord& r : records) {
    if (r.workgroup != "-" || !r.remark.empty()) std::abort();
    total += r.ip.size() + r.mac.size() + r.name.size();
  }
  if (total > size) std::abort();  // fields are cut from the input, never made up
  return 0;
}
