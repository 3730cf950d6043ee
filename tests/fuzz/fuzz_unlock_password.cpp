// Fuzzes DecodeUnlockPassword on arbitrary stored text, and checks that encoding any
// password and decoding it gives the password back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "package/unlock_password.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string decoded = lr::DecodeUnlockPassword(bytes);
  if (decoded.size() > size) std::abort();
  if (lr::DecodeUnlockPassword(lr::EncodeUnlockPassword(bytes)) != bytes) std::abort();
  return 0;
}
