// Fuzzes the host list import reader: any bytes cut into records without reading past them,
// and every record has its five fields; the workgroup is "-" but after the save-on-exit header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hostlist/list_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto records = lr::ParseImport(bytes);
  std::string_view save_header = lr::ListHeader(lr::ListLayout::kSaveOnExit);
  while (save_header.ends_with(' ')) save_header.remove_suffix(1);
  const bool save_layout = bytes.starts_with(save_header);
  size_t total = 0;
  for (const lr::HostRecord& r : records) {
    if ((!save_layout && r.workgroup != "-") || !r.remark.empty()) std::abort();
    total +=
        r.ip.size() + r.mac.size() + r.name.size() + (r.workgroup == "-" ? 0 : r.workgroup.size());
  }
  if (total > size) std::abort();  // fields are cut from the input, never made up
  return 0;
}
