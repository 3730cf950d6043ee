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
      return "用户会话中的步骤没有启动、等不到用户桌面或没有按时结束，保留启动项和服务";
    case kServiceKept:
      return "无法删除服务 hostprep，未重新启动";
    case kProgramNotStarted:
      return "无法以登录用户的身份启动指定程序，保留解锁密码、启动项和服务";
    case kStopped:
      return "服务被停止（关机或 sc stop），其余步骤下次开机继续";
    case kDnsFailed:
      return "netsh 设置 DNS 服务器失败，已设置计算机名和 IP 地址，保留启动项和服务";
  }
  return "未知结果";
}

std::string RunLogLine(const LocalTime& t, const RunRecord& record, ApplyResult result) {
  std::string macs;
  for (const std::string& mac : record.macs) macs += (macs.empty() ? "" : ", ") + mac;
  const std::string request = record.request.empty() ? "" : "  申请: " + record.request;
  return StrFormat(
      "%04d-%02d-%02d %02d:%02d:%02d  MAC: %s  条目: %s%s  结果: %s（退出码 %d）%s%s\r\n", t.year,
      t.month, t.day, t.hour, t.minute, t.second, macs.empty() ? "无" : macs.c_str(),
      record.entry.empty() ? "无" : record.entry.c_str(), request.c_str(),
      OutcomeText(result).c_str(), static_cast<int>(result),
      record.note.empty() ? "" : "  说明: ", record.note.c_str());
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
