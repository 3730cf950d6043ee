// The clone's own MAC text, taken from the node field of two sequential UUIDs: the
// platform's UUID generator puts the network adapter's address into bytes 10 to 15.
#pragma once

#include <functional>
#include <string>

namespace lr::clientprep {

// Creates one UUID into `uuid` and returns the platform's status (0 is success).
using UuidCreator = std::function<long(unsigned char uuid[16])>;

// Creates two UUIDs one after the other. The result is their common node field as six
// upper-case hexadecimal pairs joined by "-" (00-1A-2B-3C-4D-5E), or the empty text when
// either creation fails (including the "unique only to this computer" status of a
// machine without an adapter) or the two node fields differ.
std::string MacTextFromUuids(const UuidCreator& create);

}  // namespace lr::clientprep
