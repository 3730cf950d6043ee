// The unlock password's scrambling, shared by the generator (encode) and the client
// (decode): each byte is XORed with a 3-byte key, position 1 using key byte 1, and written
// as two upper-case hexadecimal digits.
#pragma once

#include <string>
#include <string_view>

namespace lr {

std::string EncodeUnlockPassword(std::string_view password);

// Skips characters that are not hexadecimal digits; a lone digit (one not followed by
// another digit) is a byte of its own value. Never reads past the text.
std::string DecodeUnlockPassword(std::string_view stored);

}  // namespace lr
