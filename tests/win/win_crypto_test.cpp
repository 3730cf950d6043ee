// The system's HMAC-SHA256 against the test vectors of RFC 4231 (keys shorter and longer
// than the block, a truncated result compared by its first 16 bytes), and its random bytes.
#include "package/win32/win_crypto.h"

#include <gtest/gtest.h>

#include <string>

namespace lr {
namespace {

std::string Hex(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes)
    out += "0123456789abcdef"[c >> 4], out += "0123456789abcdef"[c & 15];
  return out;
}

std::string Bytes(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

TEST(WinCryptoTest, HmacSha256MatchesRfc4231) {
  const std::string long_text =
      "This is a test using a larger than block-size key and a larger than block-size data. "
      "The key needs to be hashed before being used by the HMAC algorithm.";
  const struct {
    std::string key, data, mac;
  } cases[] = {
      {std::string(20, '\x0b'), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {std::string(20, '\xaa'), std::string(50, '\xdd'),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {Bytes("0102030405060708090a0b0c0d0e0f10111213141516171819"), std::string(50, '\xcd'),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {std::string(20, '\x0c'), "Test With Truncation", "a3b6167473100ee06e0c796c2955552b"},
      {std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {std::string(131, '\xaa'), long_text,
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
  WinCrypto crypto;
  for (const auto& c : cases)
    EXPECT_EQ(Hex(crypto.HmacSha256(c.key, c.data)).substr(0, c.mac.size()), c.mac) << &c - cases;
  const std::string a = crypto.RandomBytes(16), b = crypto.RandomBytes(16);
  EXPECT_EQ(a.size(), 16u);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace lr
