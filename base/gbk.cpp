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

namespace {

class AsciiOnly : public Utf8ToGbk {
 public:
  std::string Convert(std::string_view utf8, bool& replaced) const override {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
      const auto c = static_cast<unsigned char>(utf8[i]);
      if (c < 0x80) {
        out += static_cast<char>(c);
        continue;
      }
      // One "?" per character: skip the continuation bytes 10xxxxxx after a lead byte.
      out += '?';
      replaced = true;
      if (c >= 0xC0)
        while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) ++i;
    }
    return out;
  }
};

}  // namespace

const Utf8ToGbk& AsciiOnlyUtf8ToGbk() {
  static const AsciiOnly kAsciiOnly;
  return kAsciiOnly;
}

}  // namespace lr
