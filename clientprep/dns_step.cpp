// The DNS commands, their read-back and the message of a failure.
#include "clientprep/dns_step.h"

#include "base/field_texts.h"
#include "base/format.h"
#include "clientprep/sequence_run.h"

namespace lr::clientprep {

namespace {

bool SameServer(const std::string& a, const std::string& b) {
  std::uint32_t x = 0, y = 0;
  return ParseDottedIPv4(a, x) && ParseDottedIPv4(b, y) && x == y;
}

// Whether the adapter lists `servers` first, in this order: looked for a few times, since
// the system may take a moment to show them. kStopped when the service is told to stop
// meanwhile, else kDone or kDnsFailed.
ApplyResult ServersInPlace(ClientMachine& machine, const Adapter& adapter,
                           const std::vector<std::string>& servers) {
  for (int look = 0; look < kAddressChecks; ++look) {
    if (!machine.Pause(kPauseAfterAddress)) return kStopped;
    const std::vector<std::string> listed = machine.DnsServers(adapter);
    bool all = listed.size() >= servers.size();
    for (size_t i = 0; all && i < servers.size(); ++i) all = SameServer(listed[i], servers[i]);
    if (all) return kDone;
  }
  return kDnsFailed;
}

std::string DnsFailure(const CommandLine& command, const CommandResult& run, bool in_place_only) {
  std::string what;
  switch (run.outcome) {
    case CommandResult::Outcome::kNotStarted:
      what = "无法启动设置 DNS 服务器的命令";
      break;
    case CommandResult::Outcome::kStopped:  // not shown: the run ends as stopped
    case CommandResult::Outcome::kTimedOut:
      what = StrFormat("设置 DNS 服务器的命令 %u 秒内没有结束", kDnsCommandTimeout / 1000);
      break;
    case CommandResult::Outcome::kExited:
      what = in_place_only
                 ? std::string(
                       "设置 DNS 服务器的命令已结束（netsh 退出码 0），但网卡上没有这些 DNS 服务器")
                 : StrFormat("设置 DNS 服务器失败（netsh 退出码 %u）", run.exit_code);
      break;
  }
  std::string text = what + "：\r\n" + command.shown + "\r\n";
  if (!run.output.empty()) text += "\r\nnetsh 的输出：\r\n" + run.output + "\r\n";
  return text +
         "\r\n本机已设置计算机名和 IP 地址，但没有设好 DNS 服务器。启动项和服务均保留，"
         "Hostprep 会在下次开机或登录时再次设置。";
}

}  // namespace

std::vector<std::string> DnsServersToSet(const ClientSettings& settings) {
  std::vector<std::string> servers;
  if (!settings.dns1.empty()) servers.push_back(settings.dns1);
  if (!settings.dns2.empty() && (servers.empty() || !SameServer(servers[0], settings.dns2)))
    servers.push_back(settings.dns2);
  return servers;
}

bool SoundDnsServers(const ClientSettings& settings) {
  std::uint32_t address = 0;
  for (const std::string& s : {settings.dns1, settings.dns2})
    if (!s.empty() && !ParseDottedIPv4(s, address)) return false;
  return true;
}

CommandLine DnsCommand(const std::string& system_folder, const Adapter& adapter,
                       const std::string& server, int index) {
  return index == 1
             ? NetshCommand(system_folder, adapter, "set dns ", " static " + server + " primary")
             : NetshCommand(system_folder, adapter, "add dns ",
                            StrFormat(" %s %d", server.c_str(), index));
}

ApplyResult DnsStep(SequenceRun& run, const Adapter& adapter) {
  const std::vector<std::string> servers = DnsServersToSet(run.settings);
  if (servers.empty()) return kDone;
  ClientMachine& machine = run.machine;
  const std::string folder = machine.SystemFolder();
  // netsh's exit code is not trusted either way: the servers on the adapter decide. The
  // message names the first command that failed, else the last one.
  CommandLine shown;
  CommandResult shown_result;
  bool failed = false;
  for (size_t i = 0; i < servers.size(); ++i) {
    const CommandLine command = DnsCommand(folder, adapter, servers[i], static_cast<int>(i + 1));
    const CommandResult result = machine.RunCommand(command, kDnsCommandTimeout);
    if (result.outcome == CommandResult::Outcome::kStopped) return kStopped;
    if (!failed) {
      shown = command;
      shown_result = result;
    }
    if (result.outcome != CommandResult::Outcome::kExited) {
      run.boxes.Error(DnsFailure(command, result, false));
      return kDnsFailed;
    }
    failed = failed || result.exit_code != 0;
  }
  const ApplyResult in_place = ServersInPlace(machine, adapter, servers);
  if (in_place == kDnsFailed) run.boxes.Error(DnsFailure(shown, shown_result, !failed));
  return in_place;
}

}  // namespace lr::clientprep
