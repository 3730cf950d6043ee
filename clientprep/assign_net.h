// What the clone's assignment request needs of the machine beyond the apply sequence: a UDP
// socket on the assignment port that broadcasts and receives, a millisecond clock, the
// current computer name, the system's cryptography, and whether the service was told to
// stop. The Windows shell implements it with Winsock and CryptoAPI; tests use a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "package/assign_crypto.h"

namespace lr::clientprep {

class AssignNet {
 public:
  virtual ~AssignNet() = default;
  // Binds the assignment port on every address, broadcasts allowed; false when it can't.
  virtual bool Open() = 0;
  // Sends to the limited broadcast address on the assignment port; false when refused.
  virtual bool Broadcast(const std::string& datagram) = 0;
  // The next datagram that arrives within `ms`; nullopt when none did or when the service
  // was told to stop, which ends the wait at once.
  virtual std::optional<std::string> Receive(unsigned ms) = 0;
  virtual bool Stopped() = 0;
  virtual std::uint64_t Ticks() = 0;
  virtual std::string ComputerName() = 0;
  virtual AssignCrypto& crypto() = 0;
  // Closes the socket (also done when the object goes).
  virtual void Close() {}
};

}  // namespace lr::clientprep
