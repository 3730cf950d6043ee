// Fuzzes the reading of node-status answers: any datagram up to the receive buffer's size.
// The input is copied into a buffer of exactly its size, so a read past it is caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scanner/nbt_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > lr::kNbtReceiveBufferSize) size = lr::kNbtReceiveBufferSize;
  const std::vector<uint8_t> datagram(data, data + size);
  const lr::HostRecord r = lr::ParseReply(datagram.data(), datagram.size(), "10.9.0.7");
  if (r.ip != "10.9.0.7" || !r.remark.empty()) std::abort();
  if (!r.workgroup.empty() && r.workgroup.size() != 15) std::abort();
  if (!r.name.empty() && r.name.size() != 15) std::abort();
  if (r.mac.size() > 17) std::abort();
  return 0;
}
