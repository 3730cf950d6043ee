// Byte-level helpers for GBK (code page 936) text held in std::string.
//
// A GBK double-byte character is a lead byte 0x81..0xFE followed by a trail byte
// 0x40..0xFE; trail bytes include ASCII letters, so folding letter case byte by byte would
// corrupt Chinese text. These helpers fold only single-byte ASCII letters.
#pragma once

#include <string>
#include <string_view>

namespace lr {

inline bool IsGbkLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

// ASCII letters that stand as single-byte characters become lower case; double-byte
// characters pass unchanged.
std::string GbkFoldCase(std::string_view text);

// Equal without regard to ASCII letter case, in the sense of GbkFoldCase.
bool GbkIEquals(std::string_view a, std::string_view b);

}  // namespace lr
