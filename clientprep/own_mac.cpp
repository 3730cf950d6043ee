// Reading the adapter address out of two UUIDs' node fields.
#include "clientprep/own_mac.h"

#include <cstring>

#include "package/client_settings.h"

namespace lr::clientprep {

std::string MacTextFromUuids(const UuidCreator& create) {
  unsigned char first[16] = {};
  unsigned char second[16] = {};
  if (create(first) != 0) return {};
  if (create(second) != 0) return {};
  if (std::memcmp(first + 10, second + 10, 6) != 0) return {};
  return ClientMacText(first + 10);
}

}  // namespace lr::clientprep
