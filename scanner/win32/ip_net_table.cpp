// GetIpNetTable, loaded once from the system folder's iphlpapi.dll.
#include "scanner/win32/ip_net_table.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <vector>

#include "base/format.h"
#include "ui/system_library.h"

namespace lr {

namespace {

using GetIpNetTableFn = DWORD(WINAPI*)(PMIB_IPNETTABLE, PULONG, BOOL);

GetIpNetTableFn LoadGetIpNetTable() {
  static const GetIpNetTableFn fn = [] {
    HMODULE module = LoadSystemLibrary(L"iphlpapi.dll");
    return module ? reinterpret_cast<GetIpNetTableFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, "GetIpNetTable")))
                  : nullptr;
  }();
  return fn;
}

bool HasAddress(const MIB_IPNETROW& row) {
  return row.dwPhysAddrLen == 6 && row.dwType != MIB_IPNET_TYPE_INVALID &&
         std::any_of(row.bPhysAddr, row.bPhysAddr + 6, [](BYTE b) { return b != 0; });
}

std::string RowAddress(const MIB_IPNETROW& row) {
  const auto* a = reinterpret_cast<const std::uint8_t*>(&row.dwAddr);
  return DottedQuad(a[0], a[1], a[2], a[3]);
}

// Every row of the table (none when unavailable).
std::vector<MIB_IPNETROW> AllRows() {
  const GetIpNetTableFn get = LoadGetIpNetTable();
  if (!get) return {};
  // Room for a few /24s at once: each call is a round trip to the system's network
  // driver, so the size is asked for only when the table is larger.
  std::vector<std::uint8_t> buffer(sizeof(MIB_IPNETTABLE) + 1024 * sizeof(MIB_IPNETROW));
  ULONG size = static_cast<ULONG>(buffer.size());
  DWORD r = ERROR_INSUFFICIENT_BUFFER;
  // The table may grow between the size query and the read: ask again with the new size.
  for (int tries = 0; tries < 4 && r == ERROR_INSUFFICIENT_BUFFER; ++tries) {
    // Room to spare: a sweep adds entries between two calls.
    buffer.resize(std::max<size_t>(size + 256 * sizeof(MIB_IPNETROW), buffer.size()));
    size = static_cast<ULONG>(buffer.size());
    r = get(reinterpret_cast<PMIB_IPNETTABLE>(buffer.data()), &size, FALSE);
  }
  if (r != NO_ERROR) return {};
  const auto* table = reinterpret_cast<const MIB_IPNETTABLE*>(buffer.data());
  return std::vector<MIB_IPNETROW>(table->table, table->table + table->dwNumEntries);
}

// The rows of the table that hold a resolved six-byte address.
std::vector<MIB_IPNETROW> ResolvedRows() {
  std::vector<MIB_IPNETROW> rows = AllRows();
  rows.erase(std::remove_if(rows.begin(), rows.end(), [](const auto& r) { return !HasAddress(r); }),
             rows.end());
  return rows;
}

}  // namespace

std::optional<std::array<std::uint8_t, 6>> IpNetTable::Lookup(const std::string& ip) {
  const unsigned long addr = inet_addr(ip.c_str());
  if (addr == INADDR_NONE) return std::nullopt;
  for (const MIB_IPNETROW& row : ResolvedRows()) {
    if (row.dwAddr != addr) continue;
    std::array<std::uint8_t, 6> mac;
    std::copy_n(row.bPhysAddr, 6, mac.begin());
    return mac;
  }
  return std::nullopt;
}

std::set<std::string> IpNetTable::ResolvedAddresses() {
  std::set<std::string> out;
  for (const MIB_IPNETROW& row : ResolvedRows()) out.insert(RowAddress(row));
  return out;
}

const std::set<std::string>& ResolvedSeen::Read() {
  const std::set<std::string> now = table_.ResolvedAddresses();
  seen_.insert(now.begin(), now.end());
  return seen_;
}

size_t IpNetTable::Resolving(const std::set<std::string>& among) {
  size_t n = 0;
  for (const MIB_IPNETROW& row : AllRows()) n += !HasAddress(row) && among.count(RowAddress(row));
  return n;
}

}  // namespace lr
