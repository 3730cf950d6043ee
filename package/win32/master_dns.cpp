// Whether the master takes its DNS servers from DHCP: an Ethernet or Wi-Fi adapter with a
// gateway and DHCP on, whose interface key under Tcpip\Parameters\Interfaces names no DNS
// server of its own (NameServer empty). An adapter without that key (not a Windows TCP/IP
// interface) counts as unknown, not as DHCP.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstring>
#include <vector>

#include "package/win32/adapters.h"
#include "package/win32/package_target.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr const char* kInterfaces =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

bool HasGateway(const IP_ADAPTER_INFO& a) {
  for (const IP_ADDR_STRING* s = &a.GatewayList; s; s = s->Next)
    if (s->IpAddress.String[0] && std::strcmp(s->IpAddress.String, "0.0.0.0") != 0) return true;
  return false;
}

// Whether the interface key exists and names no DNS server of its own.
bool NoOwnNameServer(const char* adapter_name) {
  HKEY key = nullptr;
  const std::wstring path = ui::Wide(std::string(kInterfaces) + adapter_name);
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  wchar_t data[512] = L"";
  DWORD size = sizeof data - sizeof(wchar_t), type = 0;
  const LSTATUS status =
      RegQueryValueExW(key, L"NameServer", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status != ERROR_SUCCESS || type != REG_SZ || data[0] == L'\0';
}

}  // namespace

bool WinPackageTarget::DnsFromDhcp() {
  std::vector<unsigned char> buffer = AdaptersInfoList();
  if (buffer.empty()) return false;
  for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
    if (a->DhcpEnabled && HasGateway(*a) && NoOwnNameServer(a->AdapterName)) return true;
  }
  return false;
}

}  // namespace lr
