// The time of Hostprep's apply sequence without its fixed pauses: the whole sequence over
// a machine whose calls cost nothing (pauses return at once), from parsing the settings
// file to the restart command, and the keystroke sender on a typical password.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "clientprep/apply_sequence.h"
#include "clientprep/send_keys.h"
#include "package/unlock_password.h"

namespace {

using namespace lr::clientprep;

class NullKeyboard : public Keyboard {
 public:
  void KeyEvent(std::uint8_t vk, std::uint8_t, std::uint32_t) override {
    benchmark::DoNotOptimize(vk);
  }
  std::uint16_t KeyForChar(char c) override {
    return (c >= 'A' && c <= 'Z') ? static_cast<std::uint16_t>(0x100 | c)
                                  : static_cast<std::uint16_t>(c & 0x7F);
  }
  unsigned ScanCodeOf(std::uint8_t vk) override { return vk; }
  std::int16_t KeyState(std::uint8_t) override { return 0; }
  void GetKeyboardState(std::uint8_t*) override {}
  void SetKeyboardState(const std::uint8_t*) override {}
  void PumpKeyMessages() override {}
  void ShowMessage(const std::string&) override {}
};

class NullMachine : public ClientMachine {
 public:
  std::string settings;
  std::optional<std::string> ReadSettingsFile() override { return settings; }
  bool WriteSettingsFile(const std::string&) override { return true; }
  std::string OwnMacText() override { return "00-1A-2B-3C-4D-5E"; }
  std::vector<Adapter> Adapters() override { return {}; }
  bool HasAdminRights() override { return true; }
  void ApplyComputerName(const std::string&) override {}
  bool OpenKey(const std::string&) override { return true; }
  bool SetString(const std::string&, const std::string&) override { return true; }
  bool SetDword(const std::string&, std::uint32_t) override { return true; }
  bool ValueExists(const std::string&) override { return true; }
  bool DeleteValue(const std::string&) override { return true; }
  void CloseKey() override {}
  std::uint64_t RandomSeed() override { return 12345; }
  void StartCommand(const std::string& c, bool) override { benchmark::DoNotOptimize(c.data()); }
  CommandResult RunCommand(const CommandLine& c, unsigned) override {
    benchmark::DoNotOptimize(c.shown.data());
    return {};
  }
  LocalTime Now() override { return {}; }
  void AppendRunLog(const std::string& line) override { benchmark::DoNotOptimize(line.data()); }
  void Pause(unsigned) override {}
  Keyboard& keyboard() override { return keyboard_; }
  void ShowError(const std::string&) override {}
  NullKeyboard keyboard_;
};

// A café of `hosts` entries, the machine's own last.
std::string Settings(int hosts) {
  std::string s = "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=255.255.255.0\r\nUnlockPW=" +
                  lr::EncodeUnlockPassword("Cafe2024") +
                  "\r\nCanReboot=Yes\r\nCanModifyRA2=Yes\r\nExecutePath=C:\\Cafe\\client.exe\r\n"
                  "FormStat=1\r\n[InfoList]\r\n";
  for (int i = 0; i < hosts - 1; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "00-0C-29-00-%02X-%02X=192.168.%d.%d~PC%03d\r\n", i / 256,
                  i % 256, i / 250, i % 250 + 2, i);
    s += line;
  }
  return s + "00-1A-2B-3C-4D-5E=192.168.9.21~PC921\r\n";
}

void BM_ApplySequenceWithoutPauses(benchmark::State& state) {
  NullMachine m;
  m.settings = Settings(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (RunApplySequence(m) != kDone) state.SkipWithError("sequence failed");
  }
  state.counters["settings_bytes"] = static_cast<double>(m.settings.size());
}
BENCHMARK(BM_ApplySequenceWithoutPauses)
    ->Arg(1)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

void BM_SendKeysPassword(benchmark::State& state) {
  NullKeyboard kb;
  for (auto _ : state) SendKeys("Cafe2024+(ab){F3 3}", false, kb);
}
BENCHMARK(BM_SendKeysPassword);

}  // namespace
