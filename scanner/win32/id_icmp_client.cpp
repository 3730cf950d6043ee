// The echo client's raw socket and clock on Windows.
#include "scanner/win32/id_icmp_client.h"

#include "scanner/id_exceptions.h"

namespace lr {

namespace {
// Network byte order without calling into the socket library.
std::uint16_t NetOrder16(std::uint16_t v) {
  return static_cast<std::uint16_t>((v >> 8) | (v << 8));
}
std::uint32_t NetOrder32(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
}  // namespace

WinIcmpSocket::WinIcmpSocket(const IdStackUse& stack, const std::int32_t& protocol)
    : stack_(stack), protocol_(protocol) {}

WinIcmpSocket::~WinIcmpSocket() {
  if (handle_ != INVALID_SOCKET) stack_.Api().closesocket(handle_);
}

void WinIcmpSocket::Fail() {
  RaiseSocketError(stack_.Api().WSAGetLastError());
}

SOCKET WinIcmpSocket::Fetch() {
  const IdWinsock& api = stack_.Api();
  if (handle_ == INVALID_SOCKET) {
    handle_ = api.socket(AF_INET, SOCK_RAW, protocol_);
    if (handle_ == INVALID_SOCKET) Fail();
  }
  if (api.setsockopt(handle_, IPPROTO_IP, 4 /* IP_TTL */, reinterpret_cast<const char*>(&ttl_),
                     sizeof ttl_) == SOCKET_ERROR) {
    Fail();
  }
  return handle_;
}

std::uint32_t WinIcmpSocket::Resolve(const std::string& host) {
  const hostent* entry = stack_.Api().gethostbyname(host.c_str());
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) {
    const int code = stack_.Api().WSAGetLastError();
    RaiseSocketError(code != 0 ? code : WSAHOST_NOT_FOUND);
  }
  const auto* a = reinterpret_cast<const std::uint8_t*>(entry->h_addr_list[0]);
  return (std::uint32_t{a[0]} << 24) | (std::uint32_t{a[1]} << 16) | (std::uint32_t{a[2]} << 8) |
         a[3];
}

int WinIcmpSocket::SendTo(const std::uint8_t* data, size_t n, std::uint32_t address, int port) {
  const SOCKET s = Fetch();
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = NetOrder16(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = NetOrder32(address);
  const int sent = stack_.Api().sendto(s, reinterpret_cast<const char*>(data), static_cast<int>(n),
                                       0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (sent == SOCKET_ERROR) {
    const int code = stack_.Api().WSAGetLastError();
    if (code == WSAEMSGSIZE) throw EIdPackageSizeTooBig();
    RaiseSocketError(code);
  }
  return sent;
}

bool WinIcmpSocket::WaitReadable(std::uint32_t timeout_ms) {
  const SOCKET s = Fetch();
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval tv = {static_cast<long>(timeout_ms / 1000),
                static_cast<long>((timeout_ms % 1000) * 1000)};
  const int r = stack_.Api().select(0, &readable, nullptr, nullptr, &tv);
  if (r == SOCKET_ERROR) Fail();
  return r > 0;
}

int WinIcmpSocket::Recv(std::uint8_t* buffer, size_t size) {
  const SOCKET s = Fetch();
  const int n = stack_.Api().recv(s, reinterpret_cast<char*>(buffer), static_cast<int>(size), 0);
  if (n == SOCKET_ERROR) Fail();
  return n;
}

void WinIcmpSocket::Close() {
  if (handle_ == INVALID_SOCKET) return;
  // Shut down the sending side, then close. A raw socket is never connected, so the
  // shutdown's own result says nothing about the echo and is not reported.
  stack_.Api().shutdown(handle_, SD_SEND);
  stack_.Api().closesocket(handle_);
  handle_ = INVALID_SOCKET;
}

std::uint32_t WinIcmpClock::TickCount() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 &&
      QueryPerformanceCounter(&counter)) {
    const long double ms = static_cast<long double>(counter.QuadPart) /
                           static_cast<long double>(frequency.QuadPart) * 1000.0L;
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(ms) & 0xFFFFFFFFull);
  }
  return GetTickCount();
}

std::uint32_t WinIcmpClock::ProcessId() {
  return GetCurrentProcessId();
}

TIdIcmpClient::TIdIcmpClient() : IcmpEchoClient(socket_, clock_), socket_(stack_, Protocol) {}

TIdIcmpClient::~TIdIcmpClient() = default;

}  // namespace lr
