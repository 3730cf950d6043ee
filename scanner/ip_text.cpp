// Address texts: the dotted-address parse, octet split, address number and time-out text.
#include "scanner/ip_text.h"

#include <limits>

#include "base/format.h"
#include "scanner/id_exceptions.h"

namespace lr {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[noreturn]] void NotAnInteger(std::string_view text) {
  throw EConvertError(
      StrFormat("'%.*s' is not a valid integer value", static_cast<int>(text.size()), text.data()));
}

}  // namespace

std::uint32_t InetAddr(std::string_view text) {
  std::uint64_t parts[4] = {};
  int count = 0;
  size_t i = 0;
  const size_t n = text.size();
  for (;;) {
    // One part: it must start with a digit.
    if (i >= n || !IsDigit(text[i])) return kInAddrNone;
    std::uint64_t value = 0;
    int base = 10;
    if (text[i] == '0') {
      base = 8;
      ++i;
      if (i < n && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
      }
    }
    // Digits of the part's base; the first other character ends it and must be a dot,
    // whitespace or the end (so 8 in an octal part, or a letter, is an error).
    for (; i < n; ++i) {
      const int digit = HexValue(text[i]);
      if (digit < 0 || digit >= base) break;
      value = value * base + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFFFFFFull) return kInAddrNone;
    }
    if (count == 4) return kInAddrNone;
    parts[count++] = value;
    if (i < n && text[i] == '.') {
      ++i;
      continue;
    }
    if (i < n && !IsSpace(text[i])) return kInAddrNone;
    break;
  }
  std::uint64_t addr = 0;
  switch (count) {
    case 1:
      addr = parts[0];
      break;
    case 2:
      if (parts[0] > 0xFF || parts[1] > 0xFFFFFF) return kInAddrNone;
      addr = (parts[0] << 24) | parts[1];
      break;
    case 3:
      if (parts[0] > 0xFF || parts[1] > 0xFF || parts[2] > 0xFFFF) return kInAddrNone;
      addr = (parts[0] << 24) | (parts[1] << 16) | parts[2];
      break;
    default:
      for (int k = 0; k < 4; ++k) {
        if (parts[k] > 0xFF) return kInAddrNone;
      }
      addr = (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
      break;
  }
  return static_cast<std::uint32_t>(addr);
}

bool IsValidIP(std::string_view text) {
  return InetAddr(text) != kInAddrNone;
}

void SplitOctets(std::string_view text, std::uint8_t (&octets)[4]) {
  for (auto& o : octets) o = 0;
  int stored = 0;
  size_t start = 0;
  for (size_t i = 0; i <= text.size() && stored < 4; ++i) {
    if (i < text.size() && text[i] != '.') continue;
    std::int32_t value = 0;
    try {
      value = StrToInt(text.substr(start, i - start));
    } catch (const EConvertError&) {
      value = 0;
    }
    octets[stored++] = static_cast<std::uint8_t>(value & 0xFF);
    start = i + 1;
  }
}

std::int32_t IpToNumber(std::string_view text) {
  std::uint32_t result = 0;
  size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t begin = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    const std::string_view run = text.substr(begin, i - begin);
    if (i < text.size()) ++i;  // the one character that ends the run
    const std::int32_t value = StrToInt(run);
    result = result * 256u + static_cast<std::uint32_t>(value);
  }
  return static_cast<std::int32_t>(result);
}

std::int32_t StrToInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size()) NotAnInteger(text);
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) NotAnInteger(text);
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) {
      NotAnInteger(text);
    }
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) NotAnInteger(text);
  return static_cast<std::int32_t>(value);
}

std::uint32_t TimeoutFromText(std::string_view text) {
  try {
    const std::int32_t value = StrToInt(text);
    return value < 0 ? 0u : static_cast<std::uint32_t>(value);
  } catch (const EConvertError&) {
    return 0;
  }
}

}  // namespace lr
