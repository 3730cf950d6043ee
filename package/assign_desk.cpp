// The requests the window hears and the entries it gives.
#include "package/assign_desk.h"

#include <algorithm>
#include <set>

#include "base/format.h"
#include "base/gbk.h"

namespace lr {

namespace {

bool SameMac(std::string_view a, std::string_view b) {
  const std::string x = ClientMacForm(a);
  return !x.empty() && x == ClientMacForm(b);
}

}  // namespace

AssignDesk::AssignDesk(AssignCrypto& crypto, std::string key, PreflightOptions options)
    : crypto_(crypto), key_(std::move(key)), options_(std::move(options)) {
  package_id_ = AssignPackageId(crypto_, key_);
}

std::string AssignDesk::AnswerFor(const DeskRow& row) {
  return EncodeAssignAnswer(crypto_, key_,
                            {package_id_, row.nonce, row.mac, row.ip, row.assigned_name});
}

std::string AssignDesk::Hear(std::string_view datagram, std::uint32_t sender, std::uint64_t now) {
  if (rates_.size() >= kMaxDeskSenders && !rates_.count(sender)) {
    std::erase_if(rates_, [&](const auto& r) { return now - r.second.since >= kAssignRateWindow; });
    if (rates_.size() >= kMaxDeskSenders) {
      ++ignored_;
      return {};
    }
  }
  Rate& rate = rates_[sender];
  if (now - rate.since >= kAssignRateWindow) rate = {now, 0};
  if (++rate.count > kAssignRateLimit) {
    ++ignored_;
    return {};
  }
  if (!LooksLikeAssignRequest(datagram)) return {};  // an answer, ours or another window's
  const std::optional<AssignRequest> request = ParseAssignRequest(datagram);
  if (!request) {
    ++ignored_;
    return {};
  }
  if (package_id_.empty() || request->package_id != package_id_) {
    ++other_packages_;
    return {};
  }
  // The same clone is the row holding any of its MACs.
  auto it = std::find_if(rows_.begin(), rows_.end(), [&](const DeskRow& r) {
    return std::any_of(r.macs.begin(), r.macs.end(), [&](const std::string& m) {
      return std::find(request->macs.begin(), request->macs.end(), m) != request->macs.end();
    });
  });
  if (it == rows_.end()) {
    if (rows_.size() >= kMaxDeskRows) {
      ++ignored_;
      return {};
    }
    rows_.push_back(DeskRow{});
    it = rows_.end() - 1;
    it->first = now;
  }
  it->macs = request->macs;
  it->name = request->name;
  it->sender = sender;
  it->last = now;
  it->nonce = request->nonce;
  return it->Assigned() ? AnswerFor(*it) : std::string();
}

std::string AssignDesk::Assign(size_t row, const std::string& ip, const std::string& name,
                               HostList& hosts, std::string& answer) {
  if (row >= rows_.size()) return "没有这一行";
  DeskRow& r = rows_[row];
  if (r.Assigned()) {
    answer = AnswerFor(r);
    return {};
  }
  // The first of its MACs that is not the master's: the clone's own card.
  const auto own = std::find_if(r.macs.begin(), r.macs.end(), [&](const std::string& m) {
    return std::none_of(options_.master_macs.begin(), options_.master_macs.end(),
                        [&](const std::string& x) { return SameMac(m, x); });
  });
  if (own == r.macs.end()) return "这台电脑只报告了母盘的 MAC，不能分配";
  if (name.size() > kMaxAssignName) return "计算机名太长";
  // The row goes in as the check sees it; it leaves again when the check finds a problem.
  hosts.Append(HostRecord{ip, *own, "", name, ""});
  const size_t pos = hosts.Count() - 1;
  for (const PreflightProblem& p : CheckBeforeGenerating(hosts, options_)) {
    if (p.row != pos + 1) continue;
    hosts.RemoveAt(pos);
    return p.problem;
  }
  r.mac = *own;
  r.ip = ip;
  r.assigned_name = name;
  answer = AnswerFor(r);
  return {};
}

void AssignDesk::Propose(const HostList& hosts, const NamePattern& pattern, std::string& ip,
                         std::string& name) const {
  std::set<std::string> names;
  std::set<std::uint32_t> addresses;
  const auto take = [&](const std::string& a, const std::string& n) {
    std::uint32_t v = 0;
    if (ParseDottedIPv4(a, v)) addresses.insert(v);
    if (!n.empty()) names.insert(GbkFoldCase(n));
  };
  for (size_t i = 0; i < hosts.Count(); ++i) take(hosts.At(i).ip, hosts.At(i).name);
  for (const DeskRow& r : rows_) take(r.ip, r.assigned_name);
  std::uint32_t mask = 0, gateway = 0, start = 0;
  if (!IsSubnetMask(options_.mask) || !ParseDottedIPv4(options_.mask, mask))
    ParseDottedIPv4(kDefaultPatternMask, mask);
  ParseDottedIPv4(options_.gateway, gateway);
  addresses.insert(gateway);
  if (!pattern.assign_addresses || !ParseDottedIPv4(pattern.start_address, start))
    start = (gateway & mask) + 1;
  ip.clear();
  for (std::uint32_t a = start; (a & mask) == (start & mask) && (a | mask) != 0xFFFFFFFF; ++a) {
    if ((a & ~mask) == 0 || addresses.count(a)) continue;
    ip = DottedQuad(a);
    break;
  }
  const int width = std::clamp(std::atoi(pattern.width.c_str()), 0, 6);
  std::uint32_t chosen = 0;
  if (pattern.number == PatternNumber::kLastOctet && ParseDottedIPv4(ip, chosen)) {
    name = pattern.prefix + StrFormat("%0*u", width, chosen & 0xFF);
    return;
  }
  for (long n = std::max(0L, std::atol(pattern.start.c_str()));; ++n) {
    name = pattern.prefix + StrFormat("%0*ld", width, n);
    if (!names.count(GbkFoldCase(name))) return;
  }
}

}  // namespace lr
