// The ICMP echo client on the run-time loaded socket layer: one raw IPv4 socket, opened
// for an echo and closed after it, time-to-live 128 set at each use; the clock is the
// performance counter in milliseconds (the tick count where there is none).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "scanner/icmp_echo.h"
#include "scanner/win32/id_stack.h"

namespace lr {

class WinIcmpSocket : public IcmpRawSocket {
 public:
  WinIcmpSocket(const IdStackUse& stack, const std::int32_t& protocol);
  ~WinIcmpSocket() override;

  std::uint32_t Resolve(const std::string& host) override;
  int SendTo(const std::uint8_t* data, size_t n, std::uint32_t address, int port) override;
  bool WaitReadable(std::uint32_t timeout_ms) override;
  int Recv(std::uint8_t* buffer, size_t size) override;
  void Close() override;

  bool IsOpen() const { return handle_ != INVALID_SOCKET; }

 private:
  SOCKET Fetch();
  [[noreturn]] void Fail();

  const IdStackUse& stack_;
  const std::int32_t& protocol_;
  std::int32_t ttl_ = 128;
  SOCKET handle_ = INVALID_SOCKET;
};

class WinIcmpClock : public IcmpClock {
 public:
  std::uint32_t TickCount() override;
  std::uint32_t ProcessId() override;
};

class TIdIcmpClient : public IcmpEchoClient {
 public:
  // Throws the socket layer's start-up exceptions.
  TIdIcmpClient();
  ~TIdIcmpClient() override;

  bool SocketOpen() const { return socket_.IsOpen(); }

 private:
  IdStackUse stack_;
  WinIcmpClock clock_;
  WinIcmpSocket socket_;
};

}  // namespace lr
