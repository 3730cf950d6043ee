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

// Turns UTF-8 text into GBK. The conversion tables are the operating system's, so the
// Windows shell provides the one the programs use; portable code takes it as a parameter.
class Utf8ToGbk {
 public:
  virtual ~Utf8ToGbk() = default;
  // The GBK text of `utf8`. A character GBK lacks, or a byte that is not part of a UTF-8
  // character, becomes "?" and sets `replaced`; `replaced` is left alone otherwise.
  virtual std::string Convert(std::string_view utf8, bool& replaced) const = 0;
};

// The conversion for code without the system's tables: ASCII passes, every other character
// becomes "?".
const Utf8ToGbk& AsciiOnlyUtf8ToGbk();

}  // namespace lr
