// The assignment messages' cryptography from CryptoAPI: HMAC-SHA256 (CALG_HMAC over
// CALG_SHA_256 in a PROV_RSA_AES provider, there since Windows XP SP3) and CryptGenRandom.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "package/assign_crypto.h"

namespace lr {

class WinCrypto : public AssignCrypto {
 public:
  WinCrypto() = default;
  ~WinCrypto() override;
  WinCrypto(const WinCrypto&) = delete;
  WinCrypto& operator=(const WinCrypto&) = delete;

  std::string HmacSha256(std::string_view key, std::string_view data) override;
  std::string RandomBytes(size_t count) override;

 private:
  // The provider, acquired at the first use; false when the system has none.
  bool Acquire();
  std::string Sha256(std::string_view data);

  HCRYPTPROV provider_ = 0;
};

}  // namespace lr
