// The keystroke sender: turns a text in a small key syntax into synthetic keyboard input for
// whatever window has the focus.
//
// Syntax: plain characters are typed as the keyboard layout produces them; "+", "^" and
// "%" hold Shift, Ctrl and Alt for the next key (or for a whole "(...)" group); "~" is
// Enter; "{NAME}" presses a named key (F1..F16, ENTER, TAB, HOME, ... 41 names, any letter
// case) or a single character, "{NAME N}" presses it N times; "{{}" and "{}}" type the
// braces themselves.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "clientprep/keyboard.h"

namespace lr::clientprep {

// A repeat count in braces that is not an integer. what() is
// "'<text>' is not a valid integer value".
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Sends `text` (up to its end or its first NUL byte). With `wait` set, every key event is
// followed by KeyBoard::PumpKeyMessages. Returns false for an empty text and for a "{"
// without "}" (after the message "No Close"); true when the whole text was processed, even
// when single keys were reported as invalid. Throws EConvertError for a bad repeat count.
// Modifier keys that the text holds down are always released before it returns or throws.
bool SendKeys(std::string_view text, bool wait, Keyboard& keyboard);

// The virtual-key code of a key name (upper case, exact match), or 0 when the table lacks
// it.
std::uint8_t LookupKeyName(std::string_view name);

}  // namespace lr::clientprep
