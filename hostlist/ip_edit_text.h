// The texts of the address control: the integer a field's text holds, and the dotted address
// text that the control is read and written through.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lr {

using IPOctets = std::array<std::uint8_t, 4>;

// Reads `text` as an integer: an optional "+" or "-" followed by one or more decimal digits
// and nothing else (no spaces, no other bases). std::nullopt when it is not one. Magnitudes
// beyond 999999 read as 999999, which keeps "below 0" and "above 255" decidable for any
// length without overflow.
std::optional<int> ReadInteger(std::string_view text);

// The octet a text names: an integer from 0 to 255, else std::nullopt.
std::optional<std::uint8_t> OctetFromText(std::string_view text);

// Splits a dotted address text into four octets. A part that is not an integer from 0 to 255
// (empty, negative, too large, anything else) gives 255. A text with fewer than four
// "."-separated parts gives std::nullopt: the write is dropped. Whatever follows the fourth
// part is ignored.
std::optional<IPOctets> ParseIPString(std::string_view text);

// "a.b.c.d", decimal, no leading zeros.
std::string FormatIPString(const IPOctets& octets);

}  // namespace lr
