// Reading field texts and dotted address texts for the address control.
#include "hostlist/ip_edit_text.h"

#include "base/format.h"

namespace lr {

namespace {
constexpr int kMagnitudeCap = 999999;
}  // namespace

std::optional<int> ReadInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  int magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kMagnitudeCap) magnitude = kMagnitudeCap;
  }
  return negative ? -magnitude : magnitude;
}

std::optional<std::uint8_t> OctetFromText(std::string_view text) {
  const std::optional<int> n = ReadInteger(text);
  if (!n || *n < 0 || *n > 255) return std::nullopt;
  return static_cast<std::uint8_t>(*n);
}

std::optional<IPOctets> ParseIPString(std::string_view text) {
  IPOctets octets{};
  std::string_view rest = text;
  for (size_t k = 0; k < octets.size(); ++k) {
    const size_t dot = rest.find('.');
    const std::string_view part = rest.substr(0, dot);
    // A text without a "." stays as it is; only a part before a "." is taken off.
    if (dot != std::string_view::npos) rest.remove_prefix(dot);
    octets[k] = OctetFromText(part).value_or(255);
    if (k + 1 < octets.size()) {
      if (rest.empty() || rest.front() != '.') return std::nullopt;
      rest.remove_prefix(1);
    }
  }
  return octets;
}

std::string FormatIPString(const IPOctets& octets) {
  return DottedQuad(octets[0], octets[1], octets[2], octets[3]);
}

}  // namespace lr
