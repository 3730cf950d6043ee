// The characters the keystroke sender reads as its own syntax rather than as text: "+", "^"
// and "%" hold Shift, Ctrl and Alt, "~" is Enter, "(" and ")" group keys, "{" and "}" name a
// key. A text meant to be typed literally has each of them inside braces ("{+}", "{{}",
// "{}}"), which the sender types as the character itself.
#pragma once

#include <string>
#include <string_view>

namespace lr {

// True when the sender would read any byte of `text` as syntax.
bool HasKeySyntax(std::string_view text);

// `text` with every syntax character braced, so the sender types it as written.
std::string EscapeKeySyntax(std::string_view text);

}  // namespace lr
