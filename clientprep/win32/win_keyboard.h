// The keystroke sender's keyboard on Windows: keybd_event, the byte functions of the
// layout (VkKeyScanA, MapVirtualKeyA), the key state functions, the calling thread's
// keyboard messages, and "SendKeys" message boxes without owner.
#pragma once

#include "clientprep/keyboard.h"

namespace lr::clientprep {

class WinKeyboard : public Keyboard {
 public:
  void KeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
  std::uint16_t KeyForChar(char c) override;
  unsigned ScanCodeOf(std::uint8_t vk) override;
  std::int16_t KeyState(std::uint8_t vk) override;
  void GetKeyboardState(std::uint8_t state[256]) override;
  void SetKeyboardState(const std::uint8_t state[256]) override;
  void PumpKeyMessages() override;
  void ShowMessage(const std::string& text) override;
};

}  // namespace lr::clientprep
