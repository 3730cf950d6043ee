// The cryptography of the assignment messages: HMAC-SHA256 and random bytes, both from the
// system (package/win32/win_crypto.h). The portable message code and the clone's loop call
// this interface only; tests give a stand-in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lr {

class AssignCrypto {
 public:
  virtual ~AssignCrypto() = default;
  // HMAC-SHA256 of `data` under `key`: 32 bytes, or empty when the system fails.
  virtual std::string HmacSha256(std::string_view key, std::string_view data) = 0;
  // `count` bytes from the system's random source, or empty when it fails.
  virtual std::string RandomBytes(size_t count) = 0;
};

}  // namespace lr
