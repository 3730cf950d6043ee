// A keyboard for tests of the keystroke sender: a US layout, scan codes that differ from
// the virtual keys, a 256-byte key state, and a log of every event, pump and message.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/format.h"
#include "clientprep/keyboard.h"

namespace lr::clientprep::testing {

class FakeKeyboard : public Keyboard {
 public:
  // Where each event, pump and message is written; the fake's own log by default, none
  // when null.
  std::vector<std::string>* log = &own_log;
  std::vector<std::string> own_log;
  std::vector<std::string> messages;
  std::uint8_t state[256] = {};
  int pumps = 0;
  int events = 0;

  // "D41" key-down of 0x41, "U41" its key-up; "*" marks the extended-key flag.
  static std::string Format(std::uint8_t vk, std::uint32_t flags) {
    return StrFormat("%c%02X%s", (flags & kKeyUp) ? 'U' : 'D', vk,
                     (flags & kKeyExtended) ? "*" : "");
  }

  // Scan codes: MapVirtualKey gives more than a byte, and its low byte is vk + 1.
  static unsigned ScanOf(std::uint8_t vk) { return 0x700u + vk + 1; }

  void KeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    ++events;
    last_scan = scan;
    if (scan != (ScanOf(vk) & 0xFF)) bad_scans++;
    if (vk == 0x10 || vk == 0x11 || vk == 0x12) held[vk - 0x10] = !(flags & kKeyUp);
    if (log) log->push_back(Format(vk, flags));
  }
  std::uint16_t KeyForChar(char ch) override {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 0x41);
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint16_t>(0x100 | c);
    if (c >= '0' && c <= '9') return c;
    switch (c) {
      case ' ':
        return 0x20;
      case '!':
        return 0x131;
      case '@':
        return 0x132;
      case '-':
        return 0xBD;
      case '.':
        return 0xBE;
      case '[':
        return 0xDB;
      case ']':
        return 0xDD;
      case '{':
        return 0x1DB;
      case '}':
        return 0x1DD;
      case '\\':
        return 0xDC;
      case '|':
        return 0x1DC;
      case '\t':
        return 0x09;
      case '\x01':
        return 0x641;  // Ctrl+Alt+A, as AltGr layouts answer
      default:
        return kNoKey;
    }
  }
  unsigned ScanCodeOf(std::uint8_t vk) override { return ScanOf(vk); }
  std::int16_t KeyState(std::uint8_t vk) override { return state[vk] & 1; }
  void GetKeyboardState(std::uint8_t out[256]) override { std::memcpy(out, state, 256); }
  void SetKeyboardState(const std::uint8_t in[256]) override {
    std::memcpy(state, in, 256);
    if (log) log->push_back("state");
  }
  void PumpKeyMessages() override { ++pumps; }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    if (log) log->push_back("box " + text);
  }

  bool held[3] = {};  // Shift, Ctrl, Alt down after the last event of each
  int bad_scans = 0;
  std::uint8_t last_scan = 0;
};

}  // namespace lr::clientprep::testing
