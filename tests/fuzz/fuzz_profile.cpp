// Fuzzes the settings file reader: parsing, lookups of every key the client reads, and the
// InfoList lookup, on arbitrary bytes. Values never exceed the read limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "package/client_settings.h"
#include "package/profile.h"
#include "package/unlock_password.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const lr::Profile profile = lr::Profile::Parse(bytes);
  const lr::ClientSettings s = lr::ReadClientSettings(profile);
  for (const std::string* v : {&s.gateway, &s.mask, &s.unlock_pw, &s.can_reboot, &s.can_modify_ra2,
                               &s.execute_path, &s.form_stat}) {
    if (v->size() > lr::kMaxProfileValue || v->size() > size) std::abort();
  }
  lr::DecodeUnlockPassword(s.unlock_pw);
  lr::LookupHostEntry(profile, "00-1A-2B-3C-4D-5E");
  for (const std::string& section : profile.SectionNames())
    for (const std::string& key : profile.KeyNames(section)) profile.Get(section, key);
  return 0;
}
