#include "package/preflight.h"

#include <map>

#include "base/format.h"
#include "base/gbk.h"
#include "base/field_texts.h"
#include "package/client_settings.h"
#include "package/dns_options.h"
#include "package/key_syntax.h"

namespace lr {

namespace {

constexpr const char* kNoFix = "无法修正，按原样写入";
std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// What a name problem is and what its fix writes: a dotted name cut to its first label.
// `fixed` stays empty when no fix gives a sound name.
struct NameCheck {
  std::string fault;
  std::string fixed;
};

NameCheck CheckName(std::string_view name) {
  NameCheck out{ComputerNameFault(name), {}};
  if (out.fault.empty()) return out;
  const size_t dot = name.find('.');
  if (dot != std::string_view::npos && ComputerNameFault(name.substr(0, dot)).empty()) {
    out.fault = "计算机名带域名后缀";
    out.fixed = std::string(name.substr(0, dot));
  }
  return out;
}

unsigned RowNumber(size_t index) {
  return static_cast<unsigned>(index + 1);
}

bool ContiguousMask(std::uint32_t mask) {
  const std::uint32_t hosts = ~mask;
  return (hosts & (hosts + 1)) == 0;
}

class Checker {
 public:
  Checker(const HostList& hosts, const PreflightOptions& options)
      : hosts_(hosts), options_(options) {}

  std::vector<PreflightProblem> Run() {
    CheckOptions();
    for (const std::string& m : options_.master_macs) {
      const std::string form = ClientMacForm(m);
      if (!form.empty()) master_.push_back(form);
    }
    // What each row will hold once its fixes are applied, for the duplicate checks.
    std::map<std::string, size_t> last_mac, first_ip, first_name;
    std::vector<std::string> macs(hosts_.Count()), names(hosts_.Count());
    for (size_t i = 0; i < hosts_.Count(); ++i) {
      const HostRecord& r = hosts_.At(i);
      macs[i] = ClientMacForm(r.mac);
      if (macs[i] == "00-00-00-00-00-00") macs[i].clear();
      const NameCheck n = CheckName(r.name);
      names[i] = n.fault.empty() ? r.name : n.fixed;
      if (!macs[i].empty()) last_mac[macs[i]] = i;
    }
    for (size_t i = 0; i < hosts_.Count(); ++i) {
      const HostRecord& r = hosts_.At(i);
      CheckMac(i, r, macs[i]);
      if (!macs[i].empty() && last_mac[macs[i]] != i)
        Add(i,
            StrFormat("与第%u行MAC相同，客户机只会使用第%u行（下面的一行）",
                      RowNumber(last_mac[macs[i]]), RowNumber(last_mac[macs[i]])),
            "无法修正");
      const NameCheck n = CheckName(r.name);
      if (!n.fault.empty()) {
        Add(i, n.fault, n.fixed.empty() ? kNoFix : "改为“" + n.fixed + "”",
            n.fixed.empty() ? -1 : kFieldName, n.fixed);
        problems_.back().unconfigured = true;
      }
      if (!names[i].empty() && ComputerNameFault(names[i]).empty()) {
        auto [it, fresh] = first_name.emplace(GbkFoldCase(names[i]), i);
        if (!fresh) Add(i, StrFormat("与第%u行计算机名相同", RowNumber(it->second)), "无法修正");
      }
      if (CheckIp(i, r)) {
        auto [it, fresh] = first_ip.emplace(r.ip, i);
        if (!fresh) Add(i, StrFormat("与第%u行IP地址相同", RowNumber(it->second)), "无法修正");
      }
    }
    return std::move(problems_);
  }

 private:
  void Add(size_t i, std::string problem, std::string fix, int field = -1, std::string fixed = {}) {
    PreflightProblem p;
    p.row = i + 1;
    const HostRecord& r = hosts_.At(i);
    p.id = hosts_.IdAt(i);
    p.ip = r.ip;
    p.mac = r.mac;
    p.name = r.name;
    p.problem = std::move(problem);
    p.fix = std::move(fix);
    p.field = field;
    p.fixed = std::move(fixed);
    problems_.push_back(std::move(p));
  }

  void AddOption(std::string problem, std::string fix = "无法修正，请返回修改", int field = -1,
                 std::string fixed = {}) {
    PreflightProblem p;
    if (field < 0) p.ip = options_.gateway + "/" + options_.mask;
    p.problem = std::move(problem);
    p.fix = std::move(fix);
    p.field = field;
    p.fixed = std::move(fixed);
    problems_.push_back(std::move(p));
  }

  void CheckOptions() {
    // The clone's keystroke sender would read these characters as keys, not as text.
    if (HasKeySyntax(options_.unlock_password))
      AddOption("解锁密码含有 + ^ % ~ ( ) { }，客户机会把它们当作按键命令而不是密码字符",
                "加括号写入（如 + 写成 {+}），按原字符输入", kFixUnlockPassword,
                EscapeKeySyntax(options_.unlock_password));
    CheckDnsOptions(options_, problems_);
    subnet_ok_ = ParseDottedIPv4(options_.gateway, gateway_) &&
                 ParseDottedIPv4(options_.mask, mask_) && ContiguousMask(mask_);
    if (!subnet_ok_) {
      AddOption("网关或子网掩码不是有效的IPv4地址或掩码");
      return;
    }
    if (~mask_ >= 3 && ((gateway_ & ~mask_) == 0 || (gateway_ | mask_) == 0xFFFFFFFFu))
      AddOption("网关是子网的网络地址或广播地址");
  }

  void CheckMac(size_t i, const HostRecord& r, const std::string& form) {
    if (TrimBlanks(r.mac).empty()) {
      Add(i, "MAC地址为空", kNoFix);
    } else if (ClientMacForm(r.mac).empty()) {
      Add(i, "MAC地址不是六组十六进制数", kNoFix);
    } else if (form.empty()) {
      Add(i, "MAC地址全为0（对方没有报告网卡地址）", kNoFix);
    }
    for (const std::string& m : master_) {
      if (!form.empty() && m == form) {
        Add(i, "母机自己的网卡MAC：Hostprep不配置这台电脑", "无法修正");
        break;
      }
    }
  }

  // True when the address is a usable host address of the gateway's subnet.
  bool CheckIp(size_t i, const HostRecord& r) {
    std::uint32_t ip = 0;
    if (!ParseDottedIPv4(r.ip, ip)) {
      Add(i, "IP地址不是点分的IPv4地址", kNoFix);
      return false;
    }
    if (!subnet_ok_) return true;
    const char* fault = nullptr;
    if ((ip & mask_) != (gateway_ & mask_))
      fault = "IP地址不在网关所在的子网内";
    else if (ip == gateway_)
      fault = "IP地址就是网关";
    else if (~mask_ >= 3 && (ip & ~mask_) == 0)
      fault = "IP地址是子网的网络地址";
    else if (~mask_ >= 3 && (ip | mask_) == 0xFFFFFFFFu)
      fault = "IP地址是子网的广播地址";
    if (!fault) return true;
    Add(i, fault, kNoFix);
    return false;
  }

  const HostList& hosts_;
  const PreflightOptions& options_;
  std::vector<std::string> master_;
  std::vector<PreflightProblem> problems_;
  bool subnet_ok_ = false;
  std::uint32_t gateway_ = 0;
  std::uint32_t mask_ = 0;
};

}  // namespace

std::vector<PreflightProblem> CheckBeforeGenerating(const HostList& hosts,
                                                    const PreflightOptions& options) {
  return Checker(hosts, options).Run();
}

bool ConvertHostTexts(HostRecord& record) {
  bool changed = false;
  const std::string form = ClientMacForm(record.mac);
  if (!form.empty() && form != record.mac) {
    record.mac = form;
    changed = true;
  }
  const size_t kept = TrimRight(record.name).size();
  if (kept != record.name.size()) {
    record.name.resize(kept);
    changed = true;
  }
  return changed;
}

size_t ConvertHostTexts(HostList& hosts) {
  size_t changed = 0;
  for (size_t i = 0; i < hosts.Count(); ++i) {
    HostRecord r = hosts.At(i);
    const std::string mac = r.mac;
    const std::string name = r.name;
    if (!ConvertHostTexts(r)) continue;
    changed += (r.mac != mac) + (r.name != name);
    hosts.Replace(i, std::move(r));
  }
  return changed;
}

void ApplyPreflightFixes(HostList& hosts, const std::vector<PreflightProblem>& problems) {
  for (const PreflightProblem& p : problems) {
    if (p.Fixable() && p.field != kFixUnlockPassword) hosts.SetFieldById(p.id, p.field, p.fixed);
  }
}

std::string FixedUnlockPassword(const std::vector<PreflightProblem>& problems, std::string typed) {
  for (const PreflightProblem& p : problems)
    if (p.field == kFixUnlockPassword) return p.fixed;
  return typed;
}

}  // namespace lr
