#include "package/generator.h"

#include <algorithm>
#include <stdexcept>

#include "package/assign_wire.h"
#include "package/client_service.h"
#include "package/client_settings.h"
#include "package/dns_options.h"
#include "package/fast_startup.h"
#include "package/unlock_password.h"

namespace lr {

namespace {

constexpr const char* kNoAddress = "0.0.0.0";

// This machine's adapters in the client's form, each once, all-zero addresses left out.
std::vector<std::string> OwnMacTexts(PackageTarget& t) {
  std::vector<std::string> out;
  for (const std::string& m : t.OwnMacs()) {
    const std::string form = ClientMacForm(m);
    if (form.empty() || form == "00-00-00-00-00-00") continue;
    if (std::find(out.begin(), out.end(), form) == out.end()) out.push_back(form);
  }
  return out;
}

// A program is started on the clones only with a path and a window mode.
bool StartsProgram(const GeneratorInputs& in) {
  return !in.execute_path.empty() && in.window_mode != GeneratorInputs::WindowMode::kNone;
}

// The success message: the request to image the disk now, then what the package does on
// the clones (what runs at the first logon only when there is something to do then).
std::string GeneratedText(const GeneratorInputs& in, const std::string& password) {
  std::string text =
      "所需文件已自动生成，并存入指定目录下！\r\n"
      "现在请立即重新启动计算机为系统制作Ghost镜像!否则所有设置无效！\r\n\r\n"
      "克隆机开机时（无需登录），服务 " +
      std::string(kServiceName) + " 设置计算机名和 IP 地址";
  text += in.reboot ? "，并重启一次；\r\n" : "；\r\n";
  std::string logon;
  if (StartsProgram(in)) logon = "启动指定程序";
  if (!password.empty()) logon += (logon.empty() ? "" : "、") + std::string("输入解锁密码");
  if (!logon.empty()) text += "首次登录时" + logon + "；\r\n";
  return text + "然后 Hostprep 自行删除。本机（母盘）不做任何修改。";
}

// The rows as they are now, each with its record's id.
using Rows = std::vector<std::pair<HostList::Id, HostRecord>>;

Rows RowsOf(const HostList& hosts) {
  Rows rows;
  rows.reserve(hosts.Count());
  for (size_t i = 0; i < hosts.Count(); ++i) rows.emplace_back(hosts.IdAt(i), hosts.At(i));
  return rows;
}

// The settings file, whole, under its temporary name: the keys in their fixed order, which
// gives the file's layout.
void WriteSettings(const GeneratorInputs& in, const Rows& rows, const std::string& password,
                   const std::vector<std::string>& own_macs, PackageTarget& t) {
  t.StartSettingsFile();
  t.WriteSetting(kSectionAutoSet, kKeyGateway, in.gateway);
  t.WriteSetting(kSectionAutoSet, kKeyMask, in.mask);
  WriteDnsServers(in, t);
  for (const auto& [id, r] : rows)
    t.WriteSetting(kSectionInfoList, r.mac, JoinHostEntry(r.ip, r.name));
  t.WriteSetting(kSectionAutoSet, kKeyUnlockPW, EncodeUnlockPassword(password));
  t.WriteSetting(kSectionAutoSet, kKeyCanReboot, in.reboot ? kYes : kNo);
  t.WriteSetting(kSectionAutoSet, kKeyCanModifyRA2, in.modify_ra2 ? kYes : kNo);
  t.WriteSetting(kSectionAutoSet, kKeyExecutePath, in.execute_path);
  if (StartsProgram(in)) {
    t.WriteSetting(kSectionAutoSet, kKeyFormStat,
                   in.window_mode == GeneratorInputs::WindowMode::kNormal ? "1" : "0");
  }
  std::string master;
  for (const std::string& m : own_macs) master += (master.empty() ? "" : ",") + m;
  t.WriteSetting(kSectionAutoSet, kKeyMasterMAC, master);
  if (!in.assign_key.empty()) {
    const std::string kept = t.CurrentAssignKey();
    t.WriteSetting(kSectionAutoSet, kKeyAssignKey, ParseAssignKey(kept) ? kept : in.assign_key);
  }
}

// The package in the order the header gives. `withdrawn` tells the caller that nothing
// started Hostprep any more when a later step failed.
void WritePackage(const GeneratorInputs& in, const Rows& rows, const std::string& password,
                  const std::vector<std::string>& own_macs, PackageTarget& t, bool& withdrawn) {
  WriteSettings(in, rows, password, own_macs, t);
  std::string reason;
  if (!t.WithdrawStarts(reason)) {
    throw std::runtime_error(std::string("无法停用本机已有的开机运行项或服务 ") + kServiceName +
                             "：" + reason);
  }
  withdrawn = true;
  t.PlaceSettingsFile();
  if (!t.SaveHostprep(reason)) {
    throw std::runtime_error(std::string("Unable to write to ") + kHostprepPath + "：" + reason);
  }
  if (!t.SetRunValue(kRunValueName, kHostprepPath)) {
    throw std::runtime_error(std::string("Failed to set data for '") + kRunValueName + "'");
  }
  if (!t.InstallService(reason)) {
    throw std::runtime_error(std::string("无法注册服务 ") + kServiceName + "：" + reason);
  }
}

// The error box's text after a failed step. Past the withdrawal, a registration already made
// is taken away again, so the master is left with nothing that starts Hostprep.
std::string FailureText(const std::string& what, bool withdrawn, PackageTarget& t) {
  if (!withdrawn) return what;
  std::string reason;
  if (!t.WithdrawStarts(reason)) return what + "\r\n开机运行项或服务未能撤下：" + reason;
  return what + "\r\n本机现在没有启动 Hostprep 的开机运行项和服务；排除原因后请重新生成。";
}

// With a review, the rows of `fixable` are converted and checked until the rows the
// administrator answered for are the rows as they are now; returns false when they went
// back. `rows` and `password` are then what to write.
bool Review(const GeneratorInputs& in, HostList& hosts, const std::vector<std::string>& own_macs,
            bool dns_from_dhcp, const PreflightReview& review, Rows& rows, std::string& password) {
  size_t converted = ConvertHostTexts(hosts);
  for (;;) {
    rows = RowsOf(hosts);
    const std::vector<PreflightProblem> problems =
        CheckBeforeGenerating(hosts, PreflightOptions{in.gateway, in.mask, own_macs, in.password1,
                                                      in.dns1, in.dns2, dns_from_dhcp});
    if (problems.empty()) return true;
    const PreflightChoice choice = review(problems, converted);
    if (choice == PreflightChoice::kBack) return false;
    converted = ConvertHostTexts(hosts);
    if (RowsOf(hosts) != rows) continue;  // changed while the answer was awaited
    if (choice == PreflightChoice::kFixThenGenerate) {
      ApplyPreflightFixes(hosts, problems);
      password = FixedUnlockPassword(problems, password);
      rows = RowsOf(hosts);
    }
    return true;
  }
}

// The generation; with a review, the rows are checked first and `fixable` takes the fixes.
GenerateOutcome Generate(const GeneratorInputs& in, const HostList& hosts, HostList* fixable,
                         PackageTarget& t, const PreflightReview* review) {
  if (in.gateway == kNoAddress || in.mask == kNoAddress) {
    t.ShowMessage("警告", "内网网关IP及子网掩码不能为空！", MessageKind::kWarning);
    return GenerateOutcome::kRefused;
  }
  if (in.password1 != in.password2) {
    t.ShowMessage("提示", "前后两次输入的密码不一致！", MessageKind::kWarning);
    return GenerateOutcome::kRefused;
  }
  const std::vector<std::string> own_macs = OwnMacTexts(t);
  Rows rows;
  std::string password = in.password1;
  if (review) {
    if (!Review(in, *fixable, own_macs, t.DnsFromDhcp(), *review, rows, password))
      return GenerateOutcome::kBack;
  } else {
    rows = RowsOf(hosts);
    for (auto& row : rows) ConvertHostTexts(row.second);
  }
  bool withdrawn = false;
  try {
    WritePackage(in, rows, password, own_macs, t, withdrawn);
  } catch (const std::exception& e) {
    t.ShowError(FailureText(e.what(), withdrawn, t));
    return GenerateOutcome::kFailed;
  }
  const std::string imaging = PrepareForImaging(in, t);
  t.ShowMessage("提示", GeneratedText(in, password) + imaging, MessageKind::kInformation);
  return GenerateOutcome::kGenerated;
}

}  // namespace

GenerateOutcome GeneratePackage(const GeneratorInputs& in, HostList& hosts, PackageTarget& t,
                                const PreflightReview& review) {
  return Generate(in, hosts, &hosts, t, &review);
}

GenerateOutcome GeneratePackage(const GeneratorInputs& in, const HostList& hosts,
                                PackageTarget& t) {
  return Generate(in, hosts, nullptr, t, nullptr);
}

}  // namespace lr
