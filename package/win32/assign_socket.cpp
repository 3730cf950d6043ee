// The assignment socket over Winsock 2 and the IP helper's address table.
#include "package/win32/assign_socket.h"

#include <iphlpapi.h>

#include <vector>

#include "package/assign_wire.h"
#include "ui/system_library.h"

namespace lr {

namespace {

using GetIpAddrTableFn = DWORD(WINAPI*)(MIB_IPADDRTABLE* table, ULONG* size, BOOL order);

// The subnet broadcasts of the adapters' addresses, loopback and unset ones left out. The IP
// helper is loaded at run time, as the programs' other uses of it are.
std::vector<std::uint32_t> SubnetBroadcasts() {
  std::vector<std::uint32_t> out;
  const SystemLibrary iphlpapi(L"iphlpapi.dll");
  const auto get = iphlpapi.Get<GetIpAddrTableFn>("GetIpAddrTable");
  ULONG size = 0;
  if (!get || get(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return out;
  std::vector<unsigned char> buffer(size);
  auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
  if (get(table, &size, FALSE) != NO_ERROR) return out;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const std::uint32_t addr = ntohl(table->table[i].dwAddr);
    const std::uint32_t mask = ntohl(table->table[i].dwMask);
    if (addr == 0 || (addr >> 24) == 127 || mask == 0 || mask == 0xFFFFFFFF) continue;
    out.push_back(addr | ~mask);
  }
  return out;
}

}  // namespace

bool AssignSocket::Open(std::uint16_t port) {
  Close();
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  started_ = true;
  port_ = port ? port : kAssignPort;
  socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  const BOOL yes = TRUE;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port_);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (socket_ == INVALID_SOCKET ||
      setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&yes),
                 sizeof yes) != 0 ||
      bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    Close();
    return false;
  }
  u_long nonblocking = 1;
  ioctlsocket(socket_, FIONBIO, &nonblocking);
  return true;
}

void AssignSocket::Close() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = INVALID_SOCKET;
  if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
  event_ = WSA_INVALID_EVENT;
  if (started_) WSACleanup();
  started_ = false;
}

bool AssignSocket::Broadcast(std::string_view datagram) {
  if (!IsOpen()) return false;
  std::vector<std::uint32_t> targets = SubnetBroadcasts();
  targets.insert(targets.begin(), INADDR_BROADCAST);
  bool sent = false;
  for (std::uint32_t target : targets) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = htonl(target);
    sent |= sendto(socket_, datagram.data(), static_cast<int>(datagram.size()), 0,
                   reinterpret_cast<const sockaddr*>(&to),
                   sizeof to) == static_cast<int>(datagram.size());
  }
  return sent;
}

bool AssignSocket::TakeWaiting(std::string& datagram, std::uint32_t& from) {
  char buffer[1500];
  sockaddr_in sender{};
  int sender_size = sizeof sender;
  const int got = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender),
                           &sender_size);
  if (got < 0) return false;
  datagram.assign(buffer, static_cast<size_t>(got));
  from = ntohl(sender.sin_addr.s_addr);
  return true;
}

AssignSocket::Wait AssignSocket::Receive(unsigned ms, HANDLE stop, std::string& datagram,
                                         std::uint32_t& from) {
  if (event_ == WSA_INVALID_EVENT) {
    event_ = WSACreateEvent();
    if (event_ == WSA_INVALID_EVENT || WSAEventSelect(socket_, event_, FD_READ) != 0) {
      // Without the event the wait is a plain sleep on the stop event.
      return stop && WaitForSingleObject(stop, ms) == WAIT_OBJECT_0 ? Wait::kStopped
                                                                    : Wait::kTimeout;
    }
  }
  const DWORD start = GetTickCount();
  for (;;) {
    if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return Wait::kStopped;
    if (TakeWaiting(datagram, from)) return Wait::kDatagram;
    const DWORD passed = GetTickCount() - start;
    if (passed >= ms) return Wait::kTimeout;
    HANDLE handles[2] = {event_, stop};
    WSAResetEvent(event_);
    if (TakeWaiting(datagram, from)) return Wait::kDatagram;
    WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, ms - passed);
  }
}

bool AssignSocket::PostArrivals(HWND window, UINT message) {
  return IsOpen() && WSAAsyncSelect(socket_, window, message, FD_READ) == 0;
}

}  // namespace lr
