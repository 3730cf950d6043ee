// Fuzzes the keystroke sender over a fake keyboard. Whatever the text, the call must end
// (by result or conversion failure) with no modifier held and every other key released
// right after it was pressed, use MapVirtualKey's low byte as scan code, and return false
// only for an empty text or after "No Close".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "clientprep/send_keys.h"
#include "tests/unit/send_keys_fake.h"

namespace {

using lr::clientprep::kKeyUp;

// The test layout, plus a down/up pairing check of the non-modifier keys.
class FuzzKeyboard : public lr::clientprep::testing::FakeKeyboard {
 public:
  void KeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    FakeKeyboard::KeyEvent(vk, scan, flags);
    if (vk >= 0x10 && vk <= 0x12) return;
    if (!(flags & kKeyUp)) {
      if (pressed != 0) std::abort();  // the previous key was never released
      pressed = vk;
    } else {
      if (pressed != vk) std::abort();  // a key-up without its key-down
      pressed = 0;
    }
  }
  std::uint8_t pressed = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1024) return 0;  // unlock passwords are short; repeat counts make long texts slow
  const std::string text(reinterpret_cast<const char*>(data), size);
  FuzzKeyboard kb;
  kb.log = nullptr;
  bool result = true;
  bool threw = false;
  try {
    result = lr::clientprep::SendKeys(text, (size & 1) != 0, kb);
  } catch (const lr::clientprep::EConvertError& e) {
    threw = true;
    if (std::string_view(e.what()).find("is not a valid integer value") == std::string_view::npos)
      std::abort();
  }
  if (kb.held[0] || kb.held[1] || kb.held[2] || kb.pressed != 0) std::abort();
  if (kb.bad_scans != 0) std::abort();
  if (!threw && !result) {
    const bool empty = text.substr(0, text.find('\0')).empty();
    const bool no_close = !kb.messages.empty() && kb.messages.back() == "No Close";
    if (!empty && !no_close) std::abort();
  }
  if (kb.pumps != 0 && (size & 1) == 0) std::abort();  // pumping only when waiting
  return 0;
}
