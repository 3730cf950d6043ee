// Reading an IP Helper table (GetIpNetTable, GetIpAddrTable, GetIpForwardTable): asked with
// too small a buffer, each answers ERROR_INSUFFICIENT_BUFFER and the size it needs, which
// can grow between two calls.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

namespace lab {

// The table's bytes (a Table header and its rows), or empty when it can't be read.
// `get(table, size)` calls the IP Helper function with the table buffer and its size.
template <typename Table, typename Get>
std::vector<unsigned char> ReadIpTable(Get get) {
  ULONG size = 0;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD rc = get(buffer.empty() ? nullptr : reinterpret_cast<Table*>(buffer.data()), &size);
    if (rc == NO_ERROR) return buffer;
    if (rc != ERROR_INSUFFICIENT_BUFFER) return {};
    buffer.assign(size, 0);
  }
  return {};
}

}  // namespace lab
