#include "clientprep/win32/adapter_addresses.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <vector>

#include "base/field_texts.h"
#include "base/gbk.h"
#include "ui/system_library.h"

namespace lr::clientprep {

namespace {

using GetAdaptersInfoFn = DWORD(WINAPI*)(IP_ADAPTER_INFO* info, ULONG* size);

bool SameAddress(const char* shown, const std::string& wanted) {
  std::uint32_t a = 0, b = 0;
  return ParseDottedIPv4(shown, a) && ParseDottedIPv4(wanted, b) && a == b;
}

}  // namespace

bool AdapterHoldsAddress(const std::string& mac, const std::string& ip, const std::string& mask,
                         const std::string& gateway) {
  const SystemLibrary iphlpapi(L"iphlpapi.dll");
  const auto get = iphlpapi.Get<GetAdaptersInfoFn>("GetAdaptersInfo");
  if (!get) return false;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  DWORD result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.assign(size, 0);
    result = get(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  }
  if (result != ERROR_SUCCESS) return false;
  for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
    if (a->AddressLength != 6 || !GbkIEquals(ClientMacText(a->Address), mac)) continue;
    bool address = false, router = false;
    for (const IP_ADDR_STRING* s = &a->IpAddressList; s; s = s->Next)
      address =
          address || (SameAddress(s->IpAddress.String, ip) && SameAddress(s->IpMask.String, mask));
    for (const IP_ADDR_STRING* s = &a->GatewayList; s; s = s->Next)
      router = router || SameAddress(s->IpAddress.String, gateway);
    if (address && router) return true;
  }
  return false;
}

}  // namespace lr::clientprep
