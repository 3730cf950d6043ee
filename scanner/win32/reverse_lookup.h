// The reverse lookup of one address, as the batch name resolution uses it.
#pragma once

#include <string>

namespace lr {

// The official name of the host entry for the dotted address (GBK, as the resolver gives
// it), or "---" when there is none. Starts and ends its own use of the socket library, so
// it can run on any thread.
std::string ReverseLookup(const std::string& ip);

}  // namespace lr
