// The Wake-on-LAN sender on Windows sockets.
#include "scanner/win32/wake_sender.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <memory>

#include "ui/system_library.h"

namespace lr {

namespace {

using GetIpAddrTableFn = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
using GetIfEntryFn = DWORD(WINAPI*)(PMIB_IFROW);

// wType flags of an address row.
constexpr unsigned short kAddrDisconnected = 0x0008;
constexpr unsigned short kAddrDeleted = 0x0040;

struct IpHelper {
  GetIpAddrTableFn get_addresses = nullptr;
  GetIfEntryFn get_interface = nullptr;
};

const IpHelper& Helper() {
  static const IpHelper helper = [] {
    IpHelper h;
    if (HMODULE m = LoadSystemLibrary(L"iphlpapi.dll")) {
      h.get_addresses = reinterpret_cast<GetIpAddrTableFn>(
          reinterpret_cast<void*>(GetProcAddress(m, "GetIpAddrTable")));
      h.get_interface =
          reinterpret_cast<GetIfEntryFn>(reinterpret_cast<void*>(GetProcAddress(m, "GetIfEntry")));
    }
    return h;
  }();
  return helper;
}

bool InterfaceUp(DWORD index) {
  const IpHelper& h = Helper();
  if (!h.get_interface) return true;  // unknown: the address row alone decides
  MIB_IFROW row = {};
  row.dwIndex = index;
  if (h.get_interface(&row) != NO_ERROR) return true;
  return row.dwOperStatus >= MIB_IF_OPER_STATUS_CONNECTED;
}

// A UDP socket allowed to send to broadcast addresses, bound to `source` when it is set.
class BroadcastSocket {
 public:
  explicit BroadcastSocket(std::uint32_t source) : s_(socket(AF_INET, SOCK_DGRAM, 0)) {
    const BOOL on = TRUE;
    if (s_ != INVALID_SOCKET &&
        setsockopt(s_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on)) {
      Close();
    }
    if (s_ != INVALID_SOCKET && source) {
      sockaddr_in local = {};
      local.sin_family = AF_INET;
      local.sin_addr.s_addr = htonl(source);
      if (bind(s_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) Close();
    }
  }
  ~BroadcastSocket() { Close(); }
  BroadcastSocket(const BroadcastSocket&) = delete;
  BroadcastSocket& operator=(const BroadcastSocket&) = delete;

  bool SendTo(const std::uint8_t* data, size_t n, std::uint32_t destination, std::uint16_t port) {
    if (s_ == INVALID_SOCKET) return false;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(destination);
    return sendto(s_, reinterpret_cast<const char*>(data), static_cast<int>(n), 0,
                  reinterpret_cast<sockaddr*>(&to), sizeof to) == static_cast<int>(n);
  }

 private:
  void Close() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
    s_ = INVALID_SOCKET;
  }
  SOCKET s_;
};

}  // namespace

std::vector<LocalAddress> LocalAddresses() {
  const IpHelper& h = Helper();
  if (!h.get_addresses) return {};
  std::vector<std::uint8_t> buffer(sizeof(MIB_IPADDRTABLE));
  ULONG size = static_cast<ULONG>(buffer.size());
  DWORD r = ERROR_INSUFFICIENT_BUFFER;
  for (int tries = 0; tries < 4 && r == ERROR_INSUFFICIENT_BUFFER; ++tries) {
    buffer.resize(std::max<size_t>(size, buffer.size()));
    size = static_cast<ULONG>(buffer.size());
    r = h.get_addresses(reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data()), &size, FALSE);
  }
  if (r != NO_ERROR) return {};
  const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
  std::vector<LocalAddress> out;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPADDRROW& row = table->table[i];
    LocalAddress a;
    a.address = ntohl(row.dwAddr);
    a.mask = ntohl(row.dwMask);
    a.interface_index = row.dwIndex;
    a.up = (row.wType & (kAddrDisconnected | kAddrDeleted)) == 0 && InterfaceUp(row.dwIndex);
    out.push_back(a);
  }
  return out;
}

WakeSendResult SendWakePackets(const std::vector<MacBytes>& macs,
                               const std::vector<WakeRoute>& routes, std::uint16_t port) {
  WakeSendResult result;
  WSADATA data;
  const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  {
    std::vector<std::unique_ptr<BroadcastSocket>> sockets;
    for (const WakeRoute& route : routes)
      sockets.push_back(std::make_unique<BroadcastSocket>(route.source));
    std::vector<bool> went_out(macs.size(), false);
    for (int repeat = 0; repeat < kWakeRepeats; ++repeat) {
      for (size_t m = 0; m < macs.size(); ++m) {
        const auto packet = MagicPacket(macs[m]);
        for (size_t r = 0; r < routes.size(); ++r) {
          if (sockets[r]->SendTo(packet.data(), packet.size(), routes[r].destination, port))
            went_out[m] = true;
        }
      }
    }
    result.sent = static_cast<size_t>(std::count(went_out.begin(), went_out.end(), true));
    result.failed = macs.size() - result.sent;
  }
  if (started) WSACleanup();
  return result;
}

std::string WakeRows(const HostList& list, std::optional<size_t> selected) {
  const WakeTargets targets = WakeTargetsOf(WakeRowMacs(list, selected));
  WakeSendResult sent;
  if (!targets.macs.empty()) sent = SendWakePackets(targets.macs, WakeRoutes(LocalAddresses()));
  return WakeStatusText(sent.sent, targets.invalid_rows, sent.failed);
}

}  // namespace lr
