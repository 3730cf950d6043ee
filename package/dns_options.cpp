#include "package/dns_options.h"

#include "base/field_texts.h"
#include "package/client_settings.h"

namespace lr {

namespace {

// A unicast address a server can have: not 0.x, loopback, multicast or reserved.
bool ServerAddress(const std::string& text) {
  std::uint32_t a = 0;
  if (!ParseDottedIPv4(text, a)) return false;
  const std::uint32_t first = a >> 24;
  return first != 0 && first != 127 && first < 224;
}

void AddRow(std::vector<PreflightProblem>& problems, const std::string& shown, std::string problem,
            std::string fix) {
  PreflightProblem p;
  p.ip = shown;
  p.problem = std::move(problem);
  p.fix = std::move(fix);
  problems.push_back(std::move(p));
}

}  // namespace

bool DnsFilled(const std::string& text) {
  return !text.empty() && text != "0.0.0.0";
}

void WriteDnsServers(const GeneratorInputs& in, PackageTarget& t) {
  if (DnsFilled(in.dns1)) t.WriteSetting(kSectionAutoSet, kKeyDNS1, in.dns1);
  if (DnsFilled(in.dns2)) t.WriteSetting(kSectionAutoSet, kKeyDNS2, in.dns2);
}

void CheckDnsOptions(const PreflightOptions& o, std::vector<PreflightProblem>& problems) {
  const struct {
    const std::string& text;
    const char* label;
  } fields[] = {{o.dns1, "首选 DNS"}, {o.dns2, "备用 DNS"}};
  for (const auto& f : fields)
    if (DnsFilled(f.text) && !ServerAddress(f.text))
      AddRow(problems, f.text, std::string(f.label) + "不是可用的 DNS 服务器地址",
             "无法修正，请返回修改");
  if (!DnsFilled(o.dns1) && !DnsFilled(o.dns2) && o.master_dns_from_dhcp)
    AddRow(problems, "", "本机的 DNS 服务器来自 DHCP：克隆机改为静态地址后将没有 DNS 服务器",
           "请返回填写首选 DNS（如网关的地址）");
}

}  // namespace lr
