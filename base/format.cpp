#include "base/format.h"

#include <cstdarg>
#include <cstdio>

namespace lr {

std::string StrFormat(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

std::string DottedQuad(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return StrFormat("%d.%d.%d.%d", a, b, c, d);
}

std::string DottedQuad(std::uint32_t v) {
  return DottedQuad(static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                    static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v));
}

}  // namespace lr
