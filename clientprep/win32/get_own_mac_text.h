// The own MAC text from the UUID generator of rpcrt4.dll, loaded at run time from the system
// folder: UuidCreateSequential on the NT family, UuidCreate elsewhere.
#pragma once

#include <string>

namespace lr::clientprep {

// Empty when the library or the function is missing, a creation fails, or the two node
// fields differ.
std::string GetOwnMacText();

}  // namespace lr::clientprep
