// The keystroke sender's parser and key sending. One Sender object holds the state of one
// call; nothing survives the call.
#include "clientprep/send_keys.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace lr::clientprep {

namespace {

constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkMenu = 0x12;
constexpr std::uint8_t kVkReturn = 0x0D;
constexpr std::uint8_t kVkNumLock = 0x90;
// "{" and "}" are the keys 0xDB and 0xDD with Shift on the layouts the program meets.
constexpr std::uint16_t kLeftBraceKey = 0x01DB;
constexpr std::uint16_t kRightBraceKey = 0x01DD;
constexpr size_t kMaxKeyName = 20;

struct KeyName {
  std::string_view name;
  std::uint8_t vk;
};

constexpr std::array<KeyName, 41> kKeyNames{{
    {"BKSP", 0x08},  {"BS", 0x08},    {"BACKSPACE", 0x08}, {"BREAK", 0x03},      {"CAPSLOCK", 0x14},
    {"CLEAR", 0x0C}, {"DEL", 0x2E},   {"DELETE", 0x2E},    {"DOWN", 0x28},       {"END", 0x23},
    {"ENTER", 0x0D}, {"ESC", 0x1B},   {"ESCAPE", 0x1B},    {"F1", 0x70},         {"F2", 0x71},
    {"F3", 0x72},    {"F4", 0x73},    {"F5", 0x74},        {"F6", 0x75},         {"F7", 0x76},
    {"F8", 0x77},    {"F9", 0x78},    {"F10", 0x79},       {"F11", 0x7A},        {"F12", 0x7B},
    {"F13", 0x7C},   {"F14", 0x7D},   {"F15", 0x7E},       {"F16", 0x7F},        {"HELP", 0x2F},
    {"HOME", 0x24},  {"INS", 0x2D},   {"LEFT", 0x25},      {"NUMLOCK", 0x90},    {"PGDN", 0x22},
    {"PGUP", 0x21},  {"PRTSC", 0x2A}, {"RIGHT", 0x27},     {"SCROLLLOCK", 0x91}, {"TAB", 0x09},
    {"UP", 0x26},
}};

bool IsExtendedKey(std::uint8_t vk) {
  return (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E;
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// A decimal integer as the runtime's string-to-integer conversion takes it: an optional
// sign and at least one digit, within 32 bits; reduced to the low 16 bits.
std::uint16_t RepeatCount(std::string_view text) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  long long value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool whole = !digits.empty() && digits[0] >= '0' && digits[0] <= '9' && ec == std::errc() &&
                     end == digits.data() + digits.size();
  if (negative) value = -value;
  if (!whole || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}

class Sender {
 public:
  Sender(Keyboard& keyboard, bool wait) : kb_(keyboard), wait_(wait) {}

  bool Run(std::string_view text) {
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n) {
      const char c = text[pos];
      switch (c) {
        case '+':
          Hold(shift_, kVkShift);
          ++pos;
          break;
        case '^':
          Hold(ctrl_, kVkControl);
          ++pos;
          break;
        case '%':
          Hold(alt_, kVkMenu);
          ++pos;
          break;
        case '(':
          group_ = true;
          ++pos;
          break;
        case ')':
          group_ = false;
          ReleaseHeldModifiers();
          ++pos;
          break;
        case '~':
          SendKey(kVkReturn, 1, true);
          ReleaseHeldModifiers();
          ++pos;
          break;
        case '{':
          if (!BraceGroup(text, pos)) return false;
          break;
        default: {
          const std::uint16_t code = kb_.KeyForChar(c);
          if (code == kNoKey) {
            kb_.ShowMessage("Invalid KeyName");
          } else {
            PressKeyWithModifiers(code, 1);
            ReleaseHeldModifiers();
          }
          ++pos;
        }
      }
    }
    ReleaseAllModifiers();
    return true;
  }

  // Lets a conversion failure leave no modifier down.
  void ReleaseAllModifiers() {
    group_ = false;
    ReleaseHeldModifiers();
  }

 private:
  // The group at text[pos] == '{'; moves pos past it. False when it has no "}".
  bool BraceGroup(std::string_view text, size_t& pos) {
    const size_t n = text.size();
    if (pos + 1 < n && text[pos + 1] == '{') {
      PressKeyWithModifiers(kLeftBraceKey, 1);
      ReleaseHeldModifiers();
      pos = std::min(pos + 3, n);
      return true;
    }
    const size_t close = text.find('}', pos + 1);
    if (close == std::string_view::npos) {
      kb_.ShowMessage("No Close");
      ReleaseAllModifiers();
      return false;
    }
    std::string name;
    for (size_t i = pos + 1; i < close && name.size() < kMaxKeyName; ++i)
      name += UpperAscii(text[i]);
    pos = close + 1;
    if (pos < n && text[pos] == '}') {
      PressKeyWithModifiers(kRightBraceKey, 1);
      ReleaseHeldModifiers();
      ++pos;
      return true;
    }
    std::uint16_t count = 1;
    const size_t space = name.find(' ');
    if (space != std::string::npos) {
      count = RepeatCount(std::string_view(name).substr(space + 1));
      name.resize(space);
    }
    std::uint16_t code;
    if (name.size() == 1) {
      code = kb_.KeyForChar(name[0]);
      if (code == kNoKey) return true;
    } else {
      code = LookupKeyName(name);
      if (code == 0) {
        kb_.ShowMessage("Invalid Key Name");
        return true;
      }
    }
    PressKeyWithModifiers(code, count);
    ReleaseHeldModifiers();
    return true;
  }

  void Event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    kb_.KeyEvent(vk, scan, flags);
    if (wait_) kb_.PumpKeyMessages();
  }

  std::uint8_t ScanCode(std::uint8_t vk) { return kb_.ScanCodeOf(vk) & 0xFF; }

  // Presses `vk` count times, each press with its key-up when `with_up` is set. Num Lock
  // is flipped in the keyboard state instead, with no event.
  void SendKey(std::uint8_t vk, unsigned count, bool with_up) {
    if (vk == kVkNumLock) {
      const bool on = (kb_.KeyState(kVkNumLock) & 1) != 0;
      std::uint8_t state[256] = {};
      kb_.GetKeyboardState(state);
      state[kVkNumLock] = static_cast<std::uint8_t>((state[kVkNumLock] & ~1u) | (on ? 0 : 1));
      kb_.SetKeyboardState(state);
      return;
    }
    const std::uint8_t scan = ScanCode(vk);
    const std::uint32_t flags = IsExtendedKey(vk) ? kKeyExtended : 0;
    for (unsigned i = 0; i < count; ++i) {
      Event(vk, scan, flags);
      if (with_up) Event(vk, scan, flags | kKeyUp);
    }
  }

  void KeyUp(std::uint8_t vk) { Event(vk, ScanCode(vk), kKeyUp); }

  void Hold(bool& flag, std::uint8_t vk) {
    flag = true;
    SendKey(vk, 1, false);
  }

  // `code` as VkKeyScanA gives it: the key in the low byte, Shift/Ctrl/Alt requested by
  // bits 1/2/4 of the high byte. A count of 0 sends nothing.
  void PressKeyWithModifiers(std::uint16_t code, unsigned count) {
    if (count == 0) return;
    const unsigned mods = code >> 8;
    const std::uint8_t vk = code & 0xFF;
    if (mods & 1) SendKey(kVkShift, 1, false);
    if (mods & 2) SendKey(kVkControl, 1, false);
    if (mods & 4) SendKey(kVkMenu, 1, false);
    SendKey(vk, count, true);
    if (mods & 1) KeyUp(kVkShift);
    if (mods & 2) KeyUp(kVkControl);
    if (mods & 4) KeyUp(kVkMenu);
  }

  void ReleaseHeldModifiers() {
    if (group_) return;
    if (shift_) KeyUp(kVkShift);
    if (ctrl_) KeyUp(kVkControl);
    if (alt_) KeyUp(kVkMenu);
    shift_ = ctrl_ = alt_ = false;
  }

  Keyboard& kb_;
  const bool wait_;
  bool group_ = false;
  bool shift_ = false;
  bool ctrl_ = false;
  bool alt_ = false;
};

}  // namespace

std::uint8_t LookupKeyName(std::string_view name) {
  for (const KeyName& k : kKeyNames)
    if (k.name == name) return k.vk;
  return 0;
}

bool SendKeys(std::string_view text, bool wait, Keyboard& keyboard) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return false;
  Sender sender(keyboard, wait);
  try {
    return sender.Run(text);
  } catch (const EConvertError&) {
    sender.ReleaseAllModifiers();
    throw;
  }
}

}  // namespace lr::clientprep
