// The message boxes of one run, held back until its log line is written: a clone switched
// off with a box up (the usual case when a room of PCs shows the same one) still leaves its
// line. The keystroke sender's own messages wait with the run's failure messages, in order.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "clientprep/client_machine.h"
#include "clientprep/keyboard.h"

namespace lr::clientprep {

// A keyboard that passes every key on to the machine's and keeps the sender's messages.
class HeldBoxes : public Keyboard {
 public:
  explicit HeldBoxes(ClientMachine& machine) : machine_(machine), keyboard_(machine.keyboard()) {}

  // A failure message of the run, shown by ShowAll.
  void Error(std::string text) { boxes_.emplace_back(false, std::move(text)); }
  bool Held() const { return !boxes_.empty(); }
  // Shows the held messages in the order they came, each once.
  void ShowAll() {
    for (const auto& [sender, text] : boxes_)
      sender ? keyboard_.ShowMessage(text) : machine_.ShowError(text);
    boxes_.clear();
  }

  void KeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    keyboard_.KeyEvent(vk, scan, flags);
  }
  std::uint16_t KeyForChar(char c) override { return keyboard_.KeyForChar(c); }
  unsigned ScanCodeOf(std::uint8_t vk) override { return keyboard_.ScanCodeOf(vk); }
  std::int16_t KeyState(std::uint8_t vk) override { return keyboard_.KeyState(vk); }
  void GetKeyboardState(std::uint8_t state[256]) override { keyboard_.GetKeyboardState(state); }
  void SetKeyboardState(const std::uint8_t state[256]) override {
    keyboard_.SetKeyboardState(state);
  }
  void PumpKeyMessages() override { keyboard_.PumpKeyMessages(); }
  void ShowMessage(const std::string& text) override { boxes_.emplace_back(true, text); }

 private:
  ClientMachine& machine_;
  Keyboard& keyboard_;
  std::vector<std::pair<bool, std::string>> boxes_;
};

}  // namespace lr::clientprep
