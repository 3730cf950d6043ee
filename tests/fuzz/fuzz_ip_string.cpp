// Fuzzes the address control's text parsing: any text (an imported record's address reaches
// it through the record dialog) either leaves the control as it was or gives four octets
// that format back to a text the parser reads identically.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hostlist/ip_edit_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  lr::ReadInteger(text);
  if (auto octets = lr::ParseIPString(text)) {
    const std::string again = lr::FormatIPString(*octets);
    if (lr::ParseIPString(again) != octets) std::abort();
  }
  return 0;
}
