// The clone's request loop for an entry of its own.
#include "clientprep/assign_request.h"

#include <algorithm>

#include "base/format.h"
#include "base/gbk.h"
#include "clientprep/sequence_run.h"
#include "package/assign_wire.h"

namespace lr::clientprep {

namespace {

// What came back that did not count, by kind.
struct Tally {
  int counts[7] = {};
  void Add(AnswerVerdict v) { ++counts[static_cast<int>(v)]; }
  std::string Text() const {
    static const char* const kWords[] = {"",           "格式不符",   "其他安装包", "签名不符",
                                         "随机数不符", "非本机 MAC", "母盘 MAC"};
    std::string text;
    int total = 0;
    for (int i = 1; i < 7; ++i) {
      if (counts[i] == 0) continue;
      text += StrFormat("%s%s %d", text.empty() ? "" : "，", kWords[i], counts[i]);
      total += counts[i];
    }
    return total == 0 ? "" : StrFormat("，拒绝的应答 %d 个（%s）", total, text.c_str());
  }
};

// The own adapters that are not the master's, each MAC once, in the order tried.
std::vector<Adapter> CloneAdapters(const std::vector<Adapter>& own,
                                   const std::vector<std::string>& master) {
  std::vector<Adapter> kept;
  for (const Adapter& a : own) {
    const std::string mac = ClientMacForm(a.mac);
    const auto same = [&](const std::string& m) { return ClientMacForm(m) == mac; };
    if (mac.empty() || std::any_of(master.begin(), master.end(), same)) continue;
    if (std::none_of(kept.begin(), kept.end(), [&](const Adapter& k) { return same(k.mac); }))
      kept.push_back(a);
  }
  return kept;
}

}  // namespace

CommandLine DhcpCommand(const std::string& system_folder, const Adapter& adapter) {
  // The address command's quoting of the connection name, its head and tail replaced.
  CommandLine command = AddressCommand(system_folder, adapter, "", "", "");
  const std::string name = command.shown.substr(
      command.head.size(), command.shown.size() - command.head.size() - command.tail.size());
  command.head += "name=";
  command.tail = " source=dhcp";
  command.shown = command.head + name + command.tail;
  return command;
}

ApplyResult AskForEntry(SequenceRun& run, const std::vector<Adapter>& own) {
  const std::optional<std::string> key =
      ParseAssignKey(run.profile.Get(kSectionAutoSet, kKeyAssignKey).value_or(""));
  if (!key) return kNoEntry;
  ClientMachine& machine = run.machine;
  AssignNet& net = machine.assign_net();
  const std::vector<std::string> master =
      SplitMacList(run.profile.Get(kSectionAutoSet, kKeyMasterMAC).value_or(""));
  const std::vector<Adapter> clone = CloneAdapters(own, master);
  if (clone.empty()) return kNoEntry;
  std::vector<std::string> macs;
  for (const Adapter& a : clone) macs.push_back(a.mac);

  // Off the master's static address first, which Windows turns off on both in a conflict.
  const CommandResult dhcp = machine.RunCommand(DhcpCommand(machine.SystemFolder(), clone.front()),
                                                kAddressCommandTimeout);
  std::string& note = run.record.request;
  if (dhcp.outcome == CommandResult::Outcome::kStopped) {
    note = "服务停止，未得到分配";
    return kStopped;
  }
  if (dhcp.outcome != CommandResult::Outcome::kExited || dhcp.exit_code != 0)
    note = "改为自动获取地址失败，";

  const std::string package = AssignPackageId(net.crypto(), *key);
  if (package.empty() || !net.Open()) {
    note += StrFormat("无法打开 UDP 端口 %u 申请条目", kAssignPort);
    return kNoEntry;
  }
  Tally tally;
  std::vector<std::string> nonces;
  const std::uint64_t start = net.Ticks();
  std::uint64_t asked = 0;
  for (;;) {
    const std::uint64_t now = net.Ticks();
    if (net.Stopped() || now - start >= kAssignWaitLimit) {
      note += (net.Stopped() ? "服务停止，未得到分配" : "等待分配超时") + tally.Text();
      net.Close();
      return net.Stopped() ? kStopped : kNoEntry;
    }
    if (nonces.empty() || now - asked >= kAssignAskEvery) {
      const std::string nonce = net.crypto().RandomBytes(kNonceBytes);
      if (nonce.size() == kNonceBytes) {
        nonces.push_back(nonce);
        net.Broadcast(EncodeAssignRequest({package, nonce, macs, net.ComputerName()}));
      }
      asked = now;
    }
    const std::uint64_t until = std::min(asked + kAssignAskEvery, start + kAssignWaitLimit);
    const std::optional<std::string> datagram =
        net.Receive(static_cast<unsigned>(until > now ? until - now : 0));
    if (!datagram || LooksLikeAssignRequest(*datagram)) continue;
    AssignAnswer answer;
    const AnswerVerdict verdict =
        CheckAssignAnswer(net.crypto(), *key, package, *datagram, nonces, macs, master, answer);
    if (verdict != AnswerVerdict::kValid) {
      tally.Add(verdict);
      continue;
    }
    net.Close();
    note += "已得到分配" + tally.Text();
    const std::string value = JoinHostEntry(answer.ip, answer.name);
    std::string bytes = run.profile.WithNewKey(kSectionInfoList, answer.mac, value);
    if (!machine.WriteSettingsFile(bytes)) return kRegistryWriteFailed;
    run.bytes = std::move(bytes);
    run.profile = Profile::Parse(run.bytes);
    return kDone;
  }
}

}  // namespace lr::clientprep
