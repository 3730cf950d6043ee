// The keyboard as the keystroke sender sees it: synthetic key events, the layout's
// character-to-key mapping, the key state, the calling thread's keyboard messages and the
// sender's message boxes. The Windows shell implements it with keybd_event and its
// companions; tests and fuzzers use fakes.
#pragma once

#include <cstdint>
#include <string>

namespace lr::clientprep {

// Flags of one key event, with the values of keybd_event's KEYEVENTF_*.
inline constexpr std::uint32_t kKeyExtended = 0x0001;
inline constexpr std::uint32_t kKeyUp = 0x0002;

// VkKeyScanA's answer for a character the layout can't produce.
inline constexpr std::uint16_t kNoKey = 0xFFFF;

class Keyboard {
 public:
  virtual ~Keyboard() = default;

  // One synthetic key event (keybd_event with no extra information).
  virtual void KeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;
  // The virtual key in the low byte and the shift state in the high byte (1 Shift,
  // 2 Ctrl, 4 Alt), or kNoKey (VkKeyScanA).
  virtual std::uint16_t KeyForChar(char c) = 0;
  // The scan code of a virtual key (MapVirtualKeyA with map type 0).
  virtual unsigned ScanCodeOf(std::uint8_t vk) = 0;
  // GetKeyState: bit 0 is the toggle state, the sign bit the down state.
  virtual std::int16_t KeyState(std::uint8_t vk) = 0;
  virtual void GetKeyboardState(std::uint8_t state[256]) = 0;
  virtual void SetKeyboardState(const std::uint8_t state[256]) = 0;
  // Takes every pending keyboard message of the calling thread out of its queue and
  // translates and dispatches it.
  virtual void PumpKeyMessages() = 0;
  // A message box without owner, caption "SendKeys", OK only; returns when it is closed.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace lr::clientprep
