// The run log's line and its trimming.
#include "clientprep/run_log.h"

#include "base/format.h"

namespace lr::clientprep {

std::string OutcomeText(ApplyResult result) {
  switch (result) {
    case kDone:
      return "已完成配置";
    case kRegistryWriteFailed:
      return "写注册表或改写 Myset.ini 失败";
    case kNoSettingsFile:
      return "找不到 Myset.ini，未做修改";
    case kNoOwnMac:
      return "取不到本机 MAC 地址，未做修改";
    case kNoEntry:
      return "Myset.ini 中没有本机 MAC 的条目，未做修改";
    case kEntryWithoutTilde:
      return "本机条目缺少“~”，未做修改";
    case kEmptyAddressOrName:
      return "本机条目的 IP 地址为空或计算机名不可用，未做修改";
    case kKeystrokeFailed:
      return "解锁密码无法按键输入";
    case kRunValueKept:
      return "无法删除启动项 hostprep，未重新启动";
    case kMasterMachine:
      return "找到的条目属于母盘的 MAC，未做修改";
    case kNoAdminRights:
      return "没有管理员权限，未做修改";
    case kAddressFailed:
      return "netsh 设置 IP 地址失败，保留启动项";
    case kBadAddress:
      return "本机条目的 IP 地址、子网掩码或网关无效，未做修改";
    case kOtherStart:
      return "另一次启动正在配置或已配置完本机，未做修改";
    case kWaitingForLogon:
      return "已设置计算机名和 IP 地址，其余步骤等用户登录后完成";
    case kSessionNotStarted:
      return "无法在用户会话中启动 Hostprep，保留启动项和服务";
    case kServiceKept:
      return "无法删除服务 hostprep，未重新启动";
    case kDnsFailed:
      return "netsh 设置 DNS 服务器失败，已设置计算机名和 IP 地址，保留启动项和服务";
  }
  return "未知结果";
}

std::string RunLogLine(const LocalTime& t, const RunRecord& record, ApplyResult result) {
  std::string macs;
  for (const std::string& mac : record.macs) macs += (macs.empty() ? "" : ", ") + mac;
  return StrFormat("%04d-%02d-%02d %02d:%02d:%02d  MAC: %s  条目: %s  结果: %s（退出码 %d）\r\n",
                   t.year, t.month, t.day, t.hour, t.minute, t.second,
                   macs.empty() ? "无" : macs.c_str(),
                   record.entry.empty() ? "无" : record.entry.c_str(), OutcomeText(result).c_str(),
                   static_cast<int>(result));
}

std::string WithRunLogLine(std::string_view log, std::string_view line, size_t limit) {
  // A log cut short without its last line end gets one, so the new line stands on its own;
  // those two bytes count towards the limit as well.
  const bool ends = log.empty() || log.back() == '\n';
  size_t from = 0;
  while (from < log.size() && log.size() - from + (ends ? 0 : 2) + line.size() > limit) {
    const size_t end = log.find('\n', from);
    from = end == std::string_view::npos ? log.size() : end + 1;
  }
  std::string kept(log.substr(from));
  if (!kept.empty() && kept.back() != '\n') kept += "\r\n";
  return kept.append(line);
}

}  // namespace lr::clientprep
