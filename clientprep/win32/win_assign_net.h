// The clone's side of asking for an entry on Windows: the assignment socket, GetTickCount
// widened to 64 bits, GetComputerNameW, CryptoAPI, and the service's stop event, which
// ends a wait at once.
#pragma once

#include <cstdint>

#include "clientprep/assign_net.h"
#include "package/win32/assign_socket.h"
#include "package/win32/win_crypto.h"

namespace lr::clientprep {

class WinAssignNet : public AssignNet {
 public:
  void SetStop(HANDLE stop) { stop_ = stop; }

  bool Open() override { return socket_.Open(); }
  bool Broadcast(const std::string& datagram) override { return socket_.Broadcast(datagram); }
  std::optional<std::string> Receive(unsigned ms) override;
  bool Stopped() override;
  std::uint64_t Ticks() override;
  std::string ComputerName() override;
  AssignCrypto& crypto() override { return crypto_; }
  void Close() override { socket_.Close(); }

 private:
  AssignSocket socket_;
  WinCrypto crypto_;
  HANDLE stop_ = nullptr;
  bool stopped_ = false;
  DWORD last_tick_ = 0;
  std::uint64_t ticks_ = 0;
};

}  // namespace lr::clientprep
