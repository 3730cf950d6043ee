#include "base/gbk.h"

namespace lr {

std::string GbkFoldCase(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (IsGbkLeadByte(c)) {
      ++i;  // keep the trail byte as it is
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

bool GbkIEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && GbkFoldCase(a) == GbkFoldCase(b);
}

}  // namespace lr
