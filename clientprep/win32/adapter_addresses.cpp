#include "clientprep/win32/adapter_addresses.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <vector>

#include "base/field_texts.h"
#include "base/gbk.h"
#include "package/win32/adapters.h"

namespace lr::clientprep {

namespace {

bool SameAddress(const char* shown, const std::string& wanted) {
  std::uint32_t a = 0, b = 0;
  return ParseDottedIPv4(shown, a) && ParseDottedIPv4(wanted, b) && a == b;
}

}  // namespace

bool AdapterHoldsAddress(const std::string& mac, const std::string& ip, const std::string& mask,
                         const std::string& gateway) {
  std::vector<unsigned char> buffer = AdaptersInfoList();
  if (buffer.empty()) return false;
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
