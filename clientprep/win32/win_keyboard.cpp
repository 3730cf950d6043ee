#include "clientprep/win32/win_keyboard.h"

#include <windows.h>

#include "ui/message_box.h"

namespace lr::clientprep {

void WinKeyboard::KeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
  keybd_event(vk, scan, flags, 0);
}

std::uint16_t WinKeyboard::KeyForChar(char c) {
  return static_cast<std::uint16_t>(VkKeyScanA(c));
}

unsigned WinKeyboard::ScanCodeOf(std::uint8_t vk) {
  return MapVirtualKeyA(vk, 0);
}

std::int16_t WinKeyboard::KeyState(std::uint8_t vk) {
  return GetKeyState(vk);
}

void WinKeyboard::GetKeyboardState(std::uint8_t state[256]) {
  ::GetKeyboardState(state);
}

void WinKeyboard::SetKeyboardState(const std::uint8_t state[256]) {
  ::SetKeyboardState(const_cast<BYTE*>(state));
}

void WinKeyboard::PumpKeyMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void WinKeyboard::ShowMessage(const std::string& text) {
  ui::ShowMessage("SendKeys", text, MB_OK);
}

}  // namespace lr::clientprep
