// printf-style formatting into std::string, and the dotted IPv4 text that every address
// passing between subsystems uses ("%d.%d.%d.%d", no leading zeros).
#pragma once

#include <cstdint>
#include <string>

namespace lr {

std::string StrFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Four octets, most significant first.
std::string DottedQuad(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);

// An address held in host order (a.b.c.d is 0xAABBCCDD).
std::string DottedQuad(std::uint32_t host_order);

}  // namespace lr
