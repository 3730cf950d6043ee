// Fuzzes the apply sequence over a fake machine with arbitrary settings file bytes (the
// values it reads: the InfoList entry, flags, the program, the scrambled password). It must
// never set an empty computer name or start the address command without an address, must
// change nothing when it finds nothing sound to apply, keep at most one registry key open,
// pause only for its fixed pauses, and remove the Run value exactly when it succeeds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "clientprep/apply_sequence.h"
#include "tests/unit/hostprep_fake_machine.h"

using namespace lr::clientprep;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  testing::FakeMachine m;
  m.keyboard_.log = nullptr;
  m.settings = std::string(reinterpret_cast<const char*>(data), size);
  m.seed = size;
  const std::string run = std::string(kRunKey) + "\\hostprep";
  m.values[run] = "C:\\Windows\\Hostprep.exe";
  const ApplyResult result = RunApplySequence(m);

  // The address command is the first command started; its address follows this prefix.
  const std::string empty = AddressCommand(m.SystemFolder(), Adapter{}, "", "", "").shown;
  const std::string netsh = "hidden " + empty.substr(0, empty.size() - 4);
  bool first_command = true;
  for (const std::string& line : m.log) {
    if (line == "name ") std::abort();
    if (line.rfind("hidden ", 0) == 0 || line.rfind("shown ", 0) == 0) {
      if (first_command && (line.rfind(netsh, 0) != 0 || line[netsh.size()] == ' ')) std::abort();
      first_command = false;
    }
    if (line.rfind("pause ", 0) == 0 && line != "pause 1000" && line != "pause 15000" &&
        line != "pause 2000" && line != "pause 1500")
      std::abort();
    if (line.rfind("dword VirtualNetworkNumber=", 0) == 0) {
      const unsigned long n = std::strtoul(line.c_str() + 27, nullptr, 10);
      if (n < 5 || n > 100003) std::abort();
    }
    if (line.rfind("ERROR", 0) == 0) std::abort();
  }
  if (m.open_count != 0) std::abort();
  if ((m.values.count(run) == 0) != (result == kDone)) std::abort();
  if (result == kNoEntry || result == kEntryWithoutTilde || result == kEmptyAddressOrName ||
      result == kBadAddress) {
    // The work lock, read, own MACs, the log line: nothing else.
    if (m.log.size() != 4 || m.log.back() != "run log" || m.values.size() != 1) std::abort();
  }
  return 0;
}
