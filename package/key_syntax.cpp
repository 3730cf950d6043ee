#include "package/key_syntax.h"

namespace lr {

namespace {

bool IsSyntax(char c) {
  return std::string_view("+^%~(){}").find(c) != std::string_view::npos;
}

}  // namespace

bool HasKeySyntax(std::string_view text) {
  for (char c : text)
    if (IsSyntax(c)) return true;
  return false;
}

std::string EscapeKeySyntax(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    if (IsSyntax(c)) {
      out += '{';
      out += c;
      out += '}';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace lr
