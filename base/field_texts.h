// The rules every program applies to a host record's texts: the MAC forms a clone can be
// found by, strict dotted IPv4, and the computer names Windows takes. The check before
// generating, Hostprep, the list tools and the scanner's helpers share these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lr {

// The six bytes of a MAC text that holds six hexadecimal pairs joined by "-", ":", "." or
// nothing, in any letter case, blanks around it ignored. False for any other text.
bool ParseMacText(std::string_view text, unsigned char (&mac)[6]);

// The MAC text a client builds from its adapter address: six upper-case hexadecimal pairs
// joined by "-".
std::string ClientMacText(const unsigned char mac[6]);

// The client's form of any MAC text ParseMacText reads: "00-0C-29-AB-01-FF". Empty for any
// other text.
std::string ClientMacForm(std::string_view text);

// Strict dotted IPv4: four decimal parts 0..255 without leading zeros. Host order.
bool ParseDottedIPv4(std::string_view text, std::uint32_t& address);

// Longest computer name (in bytes) that Windows keeps whole.
inline constexpr size_t kMaxComputerNameBytes = 15;

// Why Windows refuses or changes `name` as a computer name, or why no clone may take it (the
// list's "not known" placeholder "-", "---"), in plain Chinese (GBK); empty when it is sound.
// Double-byte GBK characters pass whole: their trail bytes may look like "\" or "|".
std::string ComputerNameFault(std::string_view name);

}  // namespace lr
