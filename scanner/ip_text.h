// Address texts as the scanner reads them: the platform's dotted-address parse, the range
// checks and splits of the two sweeps, and the time-out field's number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lr {

// The all-ones value the dotted-address parse returns for a text it rejects.
inline constexpr std::uint32_t kInAddrNone = 0xFFFFFFFFu;

// The classic dotted-address parse (inet_addr): one to four parts joined by ".", each
// decimal, octal (leading 0) or hexadecimal (leading 0x/0X); the last part fills all the
// bytes left (a.b.c puts c in the low 16 bits, a.b puts b in the low 24, a alone is the
// whole address). Whitespace ends the text; anything after it is ignored. Returns the
// address in host order (a.b.c.d is 0xAABBCCDD), or kInAddrNone when the text is rejected.
std::uint32_t InetAddr(std::string_view text);

// True unless InetAddr answers kInAddrNone (so 255.255.255.255 counts as invalid too).
bool IsValidIP(std::string_view text);

// The decimal numbers between the dots of `text`, first octet first, each stored as a byte
// (its low 8 bits). At most four are stored; octets the text doesn't give, and parts that
// are not decimal numbers, are 0.
void SplitOctets(std::string_view text, std::uint8_t (&octets)[4]);

// Four runs of decimal digits, each ended by one character of any kind, as
// a*2^24 + b*2^16 + c*2^8 + d in wrapping 32-bit arithmetic. A run that is empty or beyond
// the signed 32-bit range throws EConvertError "'RUN' is not a valid integer value".
std::int32_t IpToNumber(std::string_view text);

// The runtime's decimal conversion: optional blanks, optional sign, decimal digits, within
// the signed 32-bit range. Throws EConvertError "'TEXT' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The time-out field of the window: a text that is not a number counts as 0, and so does a
// negative number (a wait cannot be shorter than nothing).
std::uint32_t TimeoutFromText(std::string_view text);

}  // namespace lr
