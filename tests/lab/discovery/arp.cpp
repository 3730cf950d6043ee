// arp.exe for the lab's Wine prefix: prints the IPv4 neighbour table from GetIpNetTable in
// the layout of Windows' "arp -a", because Wine's own arp.exe prints nothing. The ICMP scan
// run reads what this writes ("cmd /c arp -a >C:\WINDOWS\IPMAC.TXT").
//
// Per interface that has entries: an empty line, "Interface: ADDRESS --- 0xINDEX", the column
// heading, then one row per neighbour: two blanks, the address and the MAC (pairs joined by
// "-", lower case) each left-aligned in 22 columns, then "dynamic" or "static". Lines end in
// CR LF. Left out, as Windows leaves them out or as Wine reports them wrongly: loopback,
// entries without a MAC (Wine's multicast entries) and incomplete neighbours (all-zero MAC),
// and invalid entries.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/lab/discovery/ip_table.h"

namespace {

std::string Dotted(DWORD network_order) {
  const auto* b = reinterpret_cast<const unsigned char*>(&network_order);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

std::string MacText(const MIB_IPNETROW& row) {
  std::string text;
  for (DWORD i = 0; i < row.dwPhysAddrLen && i < MAXLEN_PHYSADDR; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, i ? "-%02x" : "%02x", row.bPhysAddr[i]);
    text += pair;
  }
  return text;
}

bool Shown(const MIB_IPNETROW& row) {
  if (row.dwType != MIB_IPNET_TYPE_DYNAMIC && row.dwType != MIB_IPNET_TYPE_STATIC) return false;
  if ((row.dwAddr & 0xFF) == 127) return false;  // loopback (first octet, network order)
  if (row.dwPhysAddrLen == 0) return false;
  for (DWORD i = 0; i < row.dwPhysAddrLen && i < MAXLEN_PHYSADDR; ++i) {
    if (row.bPhysAddr[i] != 0) return true;
  }
  return false;
}

void Write(HANDLE out, const std::string& text) {
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int PrintTable(HANDLE out) {
  auto net = lab::ReadIpTable<MIB_IPNETTABLE>(
      [](MIB_IPNETTABLE* t, ULONG* size) { return GetIpNetTable(t, size, TRUE); });
  auto addrs = lab::ReadIpTable<MIB_IPADDRTABLE>(
      [](MIB_IPADDRTABLE* t, ULONG* size) { return GetIpAddrTable(t, size, TRUE); });

  std::map<DWORD, std::string> interface_address;
  if (!addrs.empty()) {
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(addrs.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
      interface_address.emplace(table->table[i].dwIndex, Dotted(table->table[i].dwAddr));
    }
  }

  std::map<DWORD, std::vector<const MIB_IPNETROW*>> by_interface;
  if (!net.empty()) {
    const auto* table = reinterpret_cast<const MIB_IPNETTABLE*>(net.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
      if (Shown(table->table[i])) by_interface[table->table[i].dwIndex].push_back(&table->table[i]);
    }
  }
  if (by_interface.empty()) {
    Write(out, "No ARP Entries Found.\r\n");
    return 1;
  }

  for (const auto& [index, rows] : by_interface) {
    auto address = interface_address.find(index);
    char line[128];
    std::snprintf(line, sizeof line, "\r\nInterface: %s --- 0x%lx\r\n",
                  address == interface_address.end() ? "0.0.0.0" : address->second.c_str(),
                  static_cast<unsigned long>(index));
    Write(out, line);
    Write(out, "  Internet Address      Physical Address      Type\r\n");
    for (const MIB_IPNETROW* row : rows) {
      std::snprintf(line, sizeof line, "  %-22s%-22s%s\r\n", Dotted(row->dwAddr).c_str(),
                    MacText(*row).c_str(),
                    row->dwType == MIB_IPNET_TYPE_STATIC ? "static" : "dynamic");
      Write(out, line);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (argc == 2 && (std::strcmp(argv[1], "-a") == 0 || std::strcmp(argv[1], "-g") == 0)) {
    return PrintTable(out);
  }
  Write(out, "\r\nDisplays the IP-to-Physical address translation table.\r\n\r\nARP -a\r\n");
  return 1;
}
