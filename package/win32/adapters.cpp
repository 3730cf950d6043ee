#include "package/win32/adapters.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "package/client_settings.h"
#include "ui/system_library.h"
#include "ui/text.h"

namespace lr {

namespace {

// Interface types of the two kinds of adapter listed (ipifcons.h).
constexpr unsigned long kEthernet = 6;
constexpr unsigned long kWireless = 71;

using GetAdaptersAddressesFn = ULONG(WINAPI*)(ULONG family, ULONG flags, void* reserved,
                                              IP_ADAPTER_ADDRESSES* addresses, ULONG* size);
using GetAdaptersInfoFn = DWORD(WINAPI*)(IP_ADAPTER_INFO* info, ULONG* size);

bool Listed(unsigned long type, unsigned long length) {
  return (type == kEthernet || type == kWireless) && length == 6;
}

// Calls `query` with a buffer grown until the list fits; an empty buffer when it fails.
template <typename Query>
std::vector<unsigned char> Fetch(Query query) {
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 4; ++attempt) {
    buffer.assign(size, 0);
    const ULONG result = query(buffer.data(), &size);
    if (result == ERROR_SUCCESS) return buffer;
    if (result != ERROR_BUFFER_OVERFLOW) break;
  }
  return {};
}

std::vector<NetAdapter> FromAddresses(GetAdaptersAddressesFn get) {
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  std::vector<unsigned char> buffer = Fetch([&](unsigned char* data, ULONG* size) {
    return get(AF_UNSPEC, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(data), size);
  });
  std::vector<NetAdapter> adapters;
  if (buffer.empty()) return adapters;
  for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
    if (!Listed(a->IfType, a->PhysicalAddressLength)) continue;
    const std::wstring name = a->FriendlyName ? a->FriendlyName : L"";
    adapters.push_back({ClientMacText(a->PhysicalAddress), ui::Gbk(name), name});
  }
  return adapters;
}

std::vector<unsigned char> InfoList(GetAdaptersInfoFn get) {
  return Fetch([&](unsigned char* data, ULONG* size) {
    return get(reinterpret_cast<IP_ADAPTER_INFO*>(data), size);
  });
}

std::vector<NetAdapter> FromInfo(GetAdaptersInfoFn get) {
  std::vector<unsigned char> buffer = InfoList(get);
  std::vector<NetAdapter> adapters;
  if (buffer.empty()) return adapters;
  for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
    if (!Listed(a->Type, a->AddressLength)) continue;
    adapters.push_back({ClientMacText(a->Address), std::string(), std::wstring()});
  }
  return adapters;
}

}  // namespace

std::vector<NetAdapter> ListNetAdapters() {
  const SystemLibrary iphlpapi(L"iphlpapi.dll");
  if (auto addresses = iphlpapi.Get<GetAdaptersAddressesFn>("GetAdaptersAddresses"))
    return FromAddresses(addresses);
  if (auto info = iphlpapi.Get<GetAdaptersInfoFn>("GetAdaptersInfo")) return FromInfo(info);
  return {};
}

std::vector<unsigned char> AdaptersInfoList() {
  const SystemLibrary iphlpapi(L"iphlpapi.dll");
  const auto get = iphlpapi.Get<GetAdaptersInfoFn>("GetAdaptersInfo");
  return get ? InfoList(get) : std::vector<unsigned char>();
}

}  // namespace lr
