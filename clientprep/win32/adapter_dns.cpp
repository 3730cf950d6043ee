#include "clientprep/win32/adapter_dns.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "base/field_texts.h"
#include "base/format.h"
#include "base/gbk.h"
#include "ui/system_library.h"

namespace lr::clientprep {

namespace {

using GetAdaptersAddressesFn = ULONG(WINAPI*)(ULONG family, ULONG flags, void* reserved,
                                              IP_ADAPTER_ADDRESSES* addresses, ULONG* size);

}  // namespace

std::vector<std::string> AdapterDnsServers(const std::string& mac) {
  std::vector<std::string> servers;
  const SystemLibrary iphlpapi(L"iphlpapi.dll");
  const auto get = iphlpapi.Get<GetAdaptersAddressesFn>("GetAdaptersAddresses");
  if (!get) return servers;
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.assign(size, 0);
    result =
        get(AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != ERROR_SUCCESS) return servers;
  for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
    if (a->PhysicalAddressLength != 6 || !GbkIEquals(ClientMacText(a->PhysicalAddress), mac))
      continue;
    for (auto* d = a->FirstDnsServerAddress; d; d = d->Next) {
      const SOCKADDR* s = d->Address.lpSockaddr;
      if (!s || s->sa_family != AF_INET) continue;
      const auto* b = reinterpret_cast<const unsigned char*>(
          &reinterpret_cast<const sockaddr_in*>(s)->sin_addr);
      servers.push_back(StrFormat("%u.%u.%u.%u", b[0], b[1], b[2], b[3]));
    }
    break;
  }
  return servers;
}

}  // namespace lr::clientprep
