// The steps of the apply sequence, in order, over the machine interface. Everything that
// decides whether there is anything sound to apply happens before the first change.
#include "clientprep/apply_sequence.h"

#include "base/format.h"
#include "clientprep/network_number.h"
#include "clientprep/send_keys.h"
#include "package/client_settings.h"
#include "package/profile.h"
#include "package/unlock_password.h"

namespace lr::clientprep {

namespace {

// The registry key the sequence has open; closed on every way out of its scope.
class OpenedKey {
 public:
  OpenedKey(ClientMachine& machine, const std::string& path) : machine_(machine) {
    machine_.OpenKey(path);
  }
  ~OpenedKey() { machine_.CloseKey(); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

 private:
  ClientMachine& machine_;
};

struct NameValue {
  const char* key;
  const char* values[2];
};

// The computer name goes into these values, key by key in this order.
constexpr NameValue kNameValues[] = {
    {"SYSTEM\\ControlSet001\\Services\\Tcpip\\Parameters", {"NV Hostname", "Hostname"}},
    {"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", {"ComputerName", nullptr}},
    {"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", {"NV Hostname", "Hostname"}},
};

std::string SetDataFailure(const char* value) {
  return StrFormat("Failed to set data for '%s'", value);
}

bool WriteComputerName(ClientMachine& machine, const std::string& name) {
  for (const NameValue& k : kNameValues) {
    OpenedKey key(machine, k.key);
    for (const char* value : k.values) {
      if (value == nullptr) continue;
      if (!machine.SetString(value, name)) {
        machine.ShowError(SetDataFailure(value));
        return false;
      }
    }
  }
  return true;
}

bool WriteNetworkNumber(ClientMachine& machine) {
  const std::uint32_t number = DrawNetworkNumber(machine.RandomSeed());
  OpenedKey key(machine, kIpxKey);
  if (!machine.SetDword(kIpxValue, number)) {
    machine.ShowError(SetDataFailure(kIpxValue));
    return false;
  }
  return true;
}

bool TypeUnlockPassword(ClientMachine& machine, const std::string& stored) {
  Keyboard& keyboard = machine.keyboard();
  machine.Pause(kPauseBeforeUnlock);
  SendKeys("{F3}", false, keyboard);
  machine.Pause(kPauseAfterF3);
  try {
    SendKeys(DecodeUnlockPassword(stored), false, keyboard);
  } catch (const EConvertError& e) {
    machine.ShowError(e.what());
    return false;
  }
  machine.Pause(kPauseAfterPassword);
  SendKeys("{Enter}", false, keyboard);
  return true;
}

// Deletes the Run value when it exists; false when it exists and stays.
bool RemoveRunValue(ClientMachine& machine) {
  OpenedKey key(machine, kRunKey);
  if (machine.ValueExists(kRunValue) && !machine.DeleteValue(kRunValue)) {
    machine.ShowError(StrFormat("Failed to delete value '%s'", kRunValue));
    return false;
  }
  machine.Pause(kPauseAfterRunValue);
  return true;
}

}  // namespace

std::string AddressCommand(const std::string& ip, const std::string& mask,
                           const std::string& gateway) {
  return "netsh interface ip set address 本地连接 static " + ip + " " + mask + " " + gateway + " 1";
}

ApplyResult RunApplySequence(ClientMachine& machine) {
  const std::optional<std::string> bytes = machine.ReadSettingsFile();
  if (!bytes) return kNoSettingsFile;
  const Profile profile = Profile::Parse(*bytes);
  const ClientSettings settings = ReadClientSettings(profile);

  const std::string mac = machine.OwnMacText();
  if (mac.empty()) return kNoOwnMac;
  const HostEntry entry = LookupHostEntry(profile, mac);
  if (!entry.found) return kNoEntry;
  if (profile.Get(kSectionInfoList, mac).value_or("").find('~') == std::string::npos)
    return kEntryWithoutTilde;
  if (entry.ip.empty() || entry.name.empty()) return kEmptyAddressOrName;

  machine.ApplyComputerName(entry.name);
  if (!WriteComputerName(machine, entry.name)) return kRegistryWriteFailed;
  if (settings.ModifyRa2() && !WriteNetworkNumber(machine)) return kRegistryWriteFailed;

  machine.StartCommand(AddressCommand(entry.ip, settings.mask, settings.gateway), false);
  machine.Pause(kPauseAfterAddress);

  if (settings.StartsProgram())
    machine.StartCommand(settings.execute_path, settings.ProgramShown());

  if (settings.Unlocks() && !TypeUnlockPassword(machine, settings.unlock_pw))
    return kKeystrokeFailed;

  if (!RemoveRunValue(machine)) return kRunValueKept;

  if (settings.Reboot()) machine.StartCommand(kRebootCommand, false);
  return kDone;
}

}  // namespace lr::clientprep
