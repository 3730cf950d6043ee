// The steps of the apply sequence, in order, over the machine interface. Everything that
// decides whether there is anything sound to apply happens before the first change.
#include "clientprep/apply_sequence.h"

#include "base/format.h"
#include "base/gbk.h"
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
  OpenedKey(ClientMachine& machine, const std::string& path)
      : machine_(machine), opened_(machine_.OpenKey(path)) {}
  ~OpenedKey() { machine_.CloseKey(); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  bool opened() const { return opened_; }

 private:
  ClientMachine& machine_;
  bool opened_;
};

// The machine's MACs in the order they are tried: the UUID node (with the connection of the
// adapter that has its address), then every adapter.
std::vector<Adapter> OwnAdapters(ClientMachine& machine) {
  std::vector<Adapter> adapters = machine.Adapters();
  Adapter node{machine.OwnMacText(), ""};
  if (node.mac.empty()) return adapters;
  for (const Adapter& a : adapters)
    if (GbkIEquals(a.mac, node.mac)) node.connection = a.connection;
  adapters.insert(adapters.begin(), node);
  return adapters;
}

// Whether any of `own` is in the comma-separated MAC list.
bool HoldsAnyOf(const std::vector<Adapter>& own, std::string_view list) {
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string_view mac = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    while (!mac.empty() && (mac.front() == ' ' || mac.front() == '\t')) mac.remove_prefix(1);
    while (!mac.empty() && (mac.back() == ' ' || mac.back() == '\t')) mac.remove_suffix(1);
    for (const Adapter& a : own)
      if (!mac.empty() && GbkIEquals(a.mac, mac)) return true;
  }
  return false;
}

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

// Deletes the Run value when it exists; false when it exists and stays, or when its key
// can't be opened (a guarded key is not taken for a value gone).
bool RemoveRunValue(ClientMachine& machine) {
  OpenedKey key(machine, kRunKey);
  if (!key.opened() || (machine.ValueExists(kRunValue) && !machine.DeleteValue(kRunValue))) {
    machine.ShowError(StrFormat("Failed to delete value '%s'", kRunValue));
    return false;
  }
  machine.Pause(kPauseAfterRunValue);
  return true;
}

}  // namespace

const char* const kNoRightsMessage =
    "Hostprep 没有管理员权限，本机未做任何修改。\r\n"
    "请在母盘上关闭用户帐户控制(UAC)后重新制作镜像，或以具有完全权限的管理员帐户登录，"
    "Hostprep 会在下次登录时再次运行。";

std::string AddressCommand(const std::string& connection, const std::string& ip,
                           const std::string& mask, const std::string& gateway) {
  std::string name = connection.empty() ? kDefaultConnection : connection;
  if (name.find_first_of(" \t") != std::string::npos) name = '"' + name + '"';
  return "netsh interface ip set address " + name + " static " + ip + " " + mask + " " + gateway +
         " 1";
}

ApplyResult RunApplySequence(ClientMachine& machine) {
  const std::optional<std::string> bytes = machine.ReadSettingsFile();
  if (!bytes) {
    // The settings file is readable by Administrators and SYSTEM only: without the rights
    // it can't be read either, and saying so helps more than a silent exit.
    if (!machine.HasAdminRights()) {
      machine.ShowError(kNoRightsMessage);
      return kNoAdminRights;
    }
    return kNoSettingsFile;
  }
  const Profile profile = Profile::Parse(*bytes);
  const ClientSettings settings = ReadClientSettings(profile);

  const std::vector<Adapter> own = OwnAdapters(machine);
  if (own.empty()) return kNoOwnMac;
  if (HoldsAnyOf(own, profile.Get(kSectionAutoSet, kKeyMasterMAC).value_or("")))
    return kMasterMachine;
  const Adapter* self = nullptr;
  for (const Adapter& a : own) {
    if (profile.Get(kSectionInfoList, a.mac)) {
      self = &a;
      break;
    }
  }
  if (!self) return kNoEntry;
  const HostEntry entry = LookupHostEntry(profile, self->mac);
  if (profile.Get(kSectionInfoList, self->mac).value_or("").find('~') == std::string::npos)
    return kEntryWithoutTilde;
  if (entry.ip.empty() || entry.name.empty()) return kEmptyAddressOrName;

  if (!machine.HasAdminRights()) {
    machine.ShowError(kNoRightsMessage);
    return kNoAdminRights;
  }

  machine.ApplyComputerName(entry.name);
  if (!WriteComputerName(machine, entry.name)) return kRegistryWriteFailed;
  if (settings.ModifyRa2() && !WriteNetworkNumber(machine)) return kRegistryWriteFailed;

  machine.StartCommand(AddressCommand(self->connection, entry.ip, settings.mask, settings.gateway),
                       false);
  machine.Pause(kPauseAfterAddress);

  if (settings.StartsProgram())
    machine.StartCommand(settings.execute_path, settings.ProgramShown());

  if (settings.Unlocks() && !TypeUnlockPassword(machine, settings.unlock_pw))
    return kKeystrokeFailed;

  // The unlock password leaves the clone once it has been typed; the rest of the file stays.
  const std::string without_password = profile.WithoutKey(kSectionAutoSet, kKeyUnlockPW);
  if (without_password != *bytes && !machine.WriteSettingsFile(without_password)) {
    machine.ShowError(StrFormat("Unable to write to %s", kSettingsPathRead));
    return kRegistryWriteFailed;
  }

  if (!RemoveRunValue(machine)) return kRunValueKept;

  if (settings.Reboot()) machine.StartCommand(kRebootCommand, false);
  return kDone;
}

}  // namespace lr::clientprep
