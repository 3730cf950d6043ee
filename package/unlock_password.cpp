#include "package/unlock_password.h"

namespace lr {

namespace {

constexpr unsigned char kKey[3] = {0x0E, 0x05, 0x1A};

// Position i (1-based) uses kKey[i mod 3].
unsigned char KeyFor(size_t index0) {
  return kKey[(index0 + 1) % 3];
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string EncodeUnlockPassword(std::string_view password) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(password.size() * 2);
  for (size_t i = 0; i < password.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(password[i]) ^ KeyFor(i);
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

std::string DecodeUnlockPassword(std::string_view stored) {
  std::string out;
  size_t i = 0;
  while (i < stored.size()) {
    const int hi = HexValue(stored[i]);
    if (hi < 0) {
      ++i;
      continue;
    }
    const int lo = i + 1 < stored.size() ? HexValue(stored[i + 1]) : -1;
    const int byte = lo < 0 ? hi : hi * 16 + lo;
    out += static_cast<char>(static_cast<unsigned char>(byte) ^ KeyFor(out.size()));
    i += 2;
  }
  return out;
}

}  // namespace lr
