// Fuzzes the window's reading of a clone's request: any bytes read as a request must build
// again into exactly those bytes (nothing dropped or invented), and what is refused is never
// read past.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "package/assign_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<lr::AssignRequest> request = lr::ParseAssignRequest(bytes);
  if (request && lr::EncodeAssignRequest(*request) != bytes) std::abort();
  if (request && !lr::LooksLikeAssignRequest(bytes)) std::abort();
  return 0;
}
