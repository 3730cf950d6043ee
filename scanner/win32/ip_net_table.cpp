// GetIpNetTable, loaded once from the system folder's iphlpapi.dll.
#include "scanner/win32/ip_net_table.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace lr {

namespace {

using GetIpNetTableFn = DWORD(WINAPI*)(PMIB_IPNETTABLE, PULONG, BOOL);

GetIpNetTableFn LoadGetIpNetTable() {
  static const GetIpNetTableFn fn = [] {
    // From the system folder by full path: the program runs elevated from a download folder.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    HMODULE module = length > 0 && length < MAX_PATH
                         ? LoadLibraryW((std::wstring(folder, length) + L"\\iphlpapi.dll").c_str())
                         : nullptr;
    return module ? reinterpret_cast<GetIpNetTableFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, "GetIpNetTable")))
                  : nullptr;
  }();
  return fn;
}

}  // namespace

std::optional<std::array<std::uint8_t, 6>> IpNetTable::Lookup(const std::string& ip) {
  const GetIpNetTableFn get = LoadGetIpNetTable();
  const unsigned long addr = inet_addr(ip.c_str());
  if (!get || addr == INADDR_NONE) return std::nullopt;
  std::vector<std::uint8_t> buffer(sizeof(MIB_IPNETTABLE));
  ULONG size = static_cast<ULONG>(buffer.size());
  DWORD r = ERROR_INSUFFICIENT_BUFFER;
  // The table may grow between the size query and the read: ask again with the new size.
  for (int tries = 0; tries < 4 && r == ERROR_INSUFFICIENT_BUFFER; ++tries) {
    buffer.resize(std::max<size_t>(size, buffer.size()));
    size = static_cast<ULONG>(buffer.size());
    r = get(reinterpret_cast<PMIB_IPNETTABLE>(buffer.data()), &size, FALSE);
  }
  if (r != NO_ERROR) return std::nullopt;
  const auto* table = reinterpret_cast<const MIB_IPNETTABLE*>(buffer.data());
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPNETROW& row = table->table[i];
    if (row.dwAddr != addr || row.dwPhysAddrLen != 6 || row.dwType == MIB_IPNET_TYPE_INVALID)
      continue;
    std::array<std::uint8_t, 6> mac;
    std::copy_n(row.bPhysAddr, 6, mac.begin());
    if (std::any_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b != 0; })) return mac;
  }
  return std::nullopt;
}

}  // namespace lr
