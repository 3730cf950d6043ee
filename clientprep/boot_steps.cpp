// The boot steps of the apply sequence, in order, over the machine interface: the entry, its
// checks, the computer name, the IPX number and the verified address. Everything that decides
// whether there is anything sound to apply happens before the first change.
#include "clientprep/sequence_run.h"

#include <algorithm>

#include "base/format.h"
#include "base/gbk.h"
#include "base/field_texts.h"
#include "clientprep/assign_request.h"
#include "clientprep/boxes.h"
#include "clientprep/dns_step.h"
#include "clientprep/logon_domain.h"
#include "clientprep/network_number.h"
#include "clientprep/run_log.h"
#include "clientprep/send_keys.h"
#include "package/assign_wire.h"
#include "package/client_settings.h"
#include "package/profile.h"
#include "package/unlock_password.h"

namespace lr::clientprep {

namespace {

// The machine's MACs in the order they are tried: the UUID node (with the connection of the
// adapter that has its address), then every adapter.
std::vector<Adapter> OwnAdapters(ClientMachine& machine) {
  std::vector<Adapter> adapters = machine.Adapters();
  Adapter node{machine.OwnMacText(), "", u""};
  if (node.mac.empty()) return adapters;
  for (const Adapter& a : adapters)
    if (GbkIEquals(a.mac, node.mac)) node = a;
  adapters.insert(adapters.begin(), node);
  return adapters;
}

// Whether `mac` is in the comma-separated MAC list.
bool ListHolds(std::string_view list, const std::string& mac) {
  for (const std::string& item : SplitMacList(list))
    if (GbkIEquals(item, mac)) return true;
  return false;
}

// The first of `own` with an InfoList entry, passing over entries under the master's MACs: a
// clone carries the master's virtual adapters (their MACs live in the registry) beside its
// own card. Only when every entry found is the master's is the machine the master
// (`master` true, nullptr returned).
const Adapter* FindOwnEntry(const Profile& profile, const std::vector<Adapter>& own, bool& master) {
  const std::string master_macs = profile.Get(kSectionAutoSet, kKeyMasterMAC).value_or("");
  master = false;
  for (const Adapter& a : own) {
    if (!profile.Get(kSectionInfoList, a.mac)) continue;
    if (!ListHolds(master_macs, a.mac)) return &a;
    master = true;
  }
  return nullptr;
}

// Whether the address command can take these: dotted addresses and a mask of one run of
// leading one bits.
bool SoundAddress(const std::string& ip, const std::string& mask, const std::string& gateway) {
  std::uint32_t address = 0, bits = 0, router = 0;
  if (!ParseDottedIPv4(ip, address) || !ParseDottedIPv4(gateway, router) ||
      !ParseDottedIPv4(mask, bits) || bits == 0)
    return false;
  return ((~bits + 1) & ~bits) == 0;  // the zero bits below form a power of two less one
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

// "<folder>\\<program>", quoted when the folder holds blanks.
std::string SystemProgram(const std::string& folder, const char* program) {
  std::string path = folder + "\\" + program;
  return folder.find(' ') == std::string::npos ? path : '"' + path + '"';
}

std::string SetDataFailure(const char* value) {
  return StrFormat("Failed to set data for '%s'", value);
}

bool WriteComputerName(ClientMachine& machine, HeldBoxes& boxes, const std::string& name) {
  for (const NameValue& k : kNameValues) {
    OpenedKey key(machine, k.key);
    for (const char* value : k.values) {
      if (value == nullptr) continue;
      if (!machine.SetString(value, name)) {
        boxes.Error(SetDataFailure(value));
        return false;
      }
    }
  }
  return true;
}

bool WriteNetworkNumber(ClientMachine& machine, HeldBoxes& boxes) {
  const std::uint32_t number = DrawNetworkNumber(machine.RandomSeed());
  OpenedKey key(machine, kIpxKey);
  if (!machine.SetDword(kIpxValue, number)) {
    boxes.Error(SetDataFailure(kIpxValue));
    return false;
  }
  return true;
}

}  // namespace

const char* const kNoRightsMessage =
    "Hostprep 没有管理员权限，本机未做任何修改。\r\n"
    "请以具有完全权限的管理员帐户登录，Hostprep 会在下次登录时再次运行；"
    "用“生成并安装”制作的母盘另有启动时运行的 Hostprep 服务，不需要这样的帐户。";

CommandLine AddressCommand(const std::string& system_folder, const Adapter& adapter,
                           const std::string& ip, const std::string& mask,
                           const std::string& gateway) {
  return NetshCommand(system_folder, adapter, "set address ",
                      " static " + ip + " " + mask + " " + gateway + " 1");
}

CommandLine NetshCommand(const std::string& system_folder, const Adapter& adapter,
                         const std::string& verb, const std::string& tail) {
  CommandLine command;
  std::string name = adapter.connection.empty() ? kDefaultConnection : adapter.connection;
  std::u16string wide =
      adapter.wide_connection.empty() ? kDefaultWideConnection : adapter.wide_connection;
  if (wide.find_first_of(u" \t") != std::u16string::npos) {
    name = '"' + name + '"';
    wide = u'"' + wide + u'"';
  }
  command.head = SystemProgram(system_folder, "netsh.exe") + " interface ip " + verb;
  command.connection = wide;
  command.tail = tail;
  command.shown = command.head + name + command.tail;
  return command;
}

std::string RebootCommand(const std::string& system_folder) {
  return SystemProgram(system_folder, "cmd.exe") + " /c " +
         SystemProgram(system_folder, "shutdown.exe") + " -r -t 0";
}

namespace {

// The message of an address command that did not succeed: the command and what it printed.
std::string AddressFailure(const CommandLine& command, const CommandResult& run, bool ran) {
  std::string what;
  switch (run.outcome) {
    case CommandResult::Outcome::kNotStarted:
      what = "无法启动设置 IP 地址的命令";
      break;
    case CommandResult::Outcome::kTimedOut:
    case CommandResult::Outcome::kStopped:  // not shown: a stop ends the run without a box
      what = StrFormat("设置 IP 地址的命令 %u 秒内没有结束", kAddressCommandTimeout / 1000);
      break;
    case CommandResult::Outcome::kExited:
      what = ran && run.exit_code == 0
                 ? std::string("设置 IP 地址的命令已结束（netsh 退出码 0），但网卡上没有这个地址")
                 : StrFormat("设置 IP 地址失败（netsh 退出码 %u）", run.exit_code);
      break;
  }
  std::string text = what + "：\r\n" + command.shown + "\r\n";
  if (!run.output.empty()) text += "\r\nnetsh 的输出：\r\n" + run.output + "\r\n";
  return text +
         "\r\n本机已写入计算机名，但没有设置 IP 地址。启动项和解锁密码均保留，"
         "Hostprep 会在下次登录时再次运行。";
}

// Whether the address is on the adapter after the command ended, however it ended (netsh
// exits 1, "The object already exists.", where the gateway was set before): looked for a few
// times, since the system may take a moment to show it. kDone, kAddressFailed or kStopped.
ApplyResult AddressTaken(ClientMachine& machine, const Adapter& adapter, const HostEntry& entry,
                         const ClientSettings& settings) {
  for (int look = 0; look < kAddressChecks; ++look) {
    if (!machine.Pause(kPauseAfterAddress)) return kStopped;
    if (machine.AddressInPlace(adapter, entry.ip, settings.mask, settings.gateway)) return kDone;
  }
  return kAddressFailed;
}

}  // namespace

ApplyResult LoadSettings(SequenceRun& run) {
  ClientMachine& machine = run.machine;
  const std::optional<std::string> bytes = machine.ReadSettingsFile();
  if (!bytes) {
    // The settings file is readable by Administrators and SYSTEM only: without the rights
    // it can't be read either, and saying so helps more than a silent exit.
    if (!machine.HasAdminRights()) {
      run.boxes.Error(kNoRightsMessage);
      return kNoAdminRights;
    }
    return kNoSettingsFile;
  }
  run.bytes = *bytes;
  run.profile = Profile::Parse(run.bytes);
  run.settings = ReadClientSettings(run.profile);
  return kDone;
}

const Adapter* LookForEntry(SequenceRun& run, std::vector<Adapter>& own, bool& master) {
  own = OwnAdapters(run.machine);
  for (const Adapter& a : own)
    if (std::find(run.record.macs.begin(), run.record.macs.end(), a.mac) == run.record.macs.end())
      run.record.macs.push_back(a.mac);
  const Adapter* self = FindOwnEntry(run.profile, own, master);
  if (self)
    run.record.entry = self->mac + "=" + run.profile.Get(kSectionInfoList, self->mac).value_or("");
  return self;
}

ApplyResult BootSteps(SequenceRun& run, unsigned adapter_wait) {
  ClientMachine& machine = run.machine;
  HeldBoxes& boxes = run.boxes;
  const Profile& profile = run.profile;
  const ClientSettings& settings = run.settings;

  std::vector<Adapter> own;
  const Adapter* self = nullptr;
  bool master = false;
  // Only an entry of its own ends the wait early: a clone carries the master's virtual
  // adapters, which may be up before its own card.
  for (unsigned waited = 0;; waited += kAdapterWaitStep) {
    self = LookForEntry(run, own, master);
    if (self || waited >= adapter_wait) break;
    if (!machine.Pause(kAdapterWaitStep)) return kStopped;
  }
  if (own.empty()) return kNoOwnMac;
  // The service of a package with AssignKey asks the administrator's window for the entry.
  if (!self && !master && adapter_wait > 0) {
    const ApplyResult asked = AskForEntry(run, own);
    if (asked != kDone) return asked;
    self = LookForEntry(run, own, master);
  }
  if (!self) return master ? kMasterMachine : kNoEntry;
  const std::string value = profile.Get(kSectionInfoList, self->mac).value_or("");
  const HostEntry entry = LookupHostEntry(profile, self->mac);
  if (value.find('~') == std::string::npos) return kEntryWithoutTilde;
  // A name Windows refuses, or the list's placeholder for an unknown one, is no name at all:
  // every unresolved clone would take it.
  if (entry.ip.empty() || !ComputerNameFault(entry.name).empty()) return kEmptyAddressOrName;
  // An address no command can set would leave the clone renamed without one, at every run.
  if (!SoundAddress(entry.ip, settings.mask, settings.gateway) || !SoundDnsServers(settings))
    return kBadAddress;

  if (!machine.HasAdminRights()) {
    boxes.Error(kNoRightsMessage);
    return kNoAdminRights;
  }

  const std::string old_name = machine.ComputerName();  // before the rename changes it
  machine.ApplyComputerName(entry.name);
  if (!WriteComputerName(machine, boxes, entry.name) ||
      !RenameLogonDomain(machine, boxes, old_name, entry.name))
    return kRegistryWriteFailed;
  if (settings.ModifyRa2() && !WriteNetworkNumber(machine, boxes)) return kRegistryWriteFailed;

  const std::string folder = machine.SystemFolder();
  const CommandLine address =
      AddressCommand(folder, *self, entry.ip, settings.mask, settings.gateway);
  // A stop while netsh runs or the address is looked for leaves only steps that are safe to
  // do again: the next boot does them once more.
  const CommandResult result = machine.RunCommand(address, kAddressCommandTimeout);
  if (result.outcome == CommandResult::Outcome::kStopped) return kStopped;
  const bool ended = result.outcome == CommandResult::Outcome::kExited;
  const ApplyResult taken = ended ? AddressTaken(machine, *self, entry, settings) : kAddressFailed;
  if (taken == kStopped) return kStopped;
  if (taken != kDone) {
    boxes.Error(AddressFailure(address, result, ended));
    return kAddressFailed;
  }
  return DnsStep(run, *self);
}

}  // namespace lr::clientprep
