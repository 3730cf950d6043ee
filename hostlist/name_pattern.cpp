#include "hostlist/name_pattern.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "base/format.h"
#include "base/gbk.h"
#include "base/field_texts.h"

namespace lr {

namespace {

constexpr size_t kMaxStartDigits = 9;

// Decimal digits only, at most `max_digits` of them.
bool ParseDecimal(std::string_view text, size_t max_digits, unsigned long long& value) {
  if (text.empty() || text.size() > max_digits ||
      text.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  value = 0;
  for (char c : text) value = value * 10 + static_cast<unsigned>(c - '0');
  return true;
}

std::uint32_t MaskOrDefault(const std::string& text) {
  std::uint32_t mask = 0;
  if (IsSubnetMask(text) && ParseDottedIPv4(text, mask)) return mask;
  return 0xFFFFFF00u;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The chosen positions in counting order: as listed, or by address with the rows that
// hold no dotted address after the others, in list order.
std::vector<size_t> CountingOrder(const HostList& hosts, std::vector<size_t> chosen,
                                  PatternOrder order) {
  if (order == PatternOrder::kAddress) {
    auto key = [&](size_t pos) {
      std::uint32_t ip = 0;
      return ParseDottedIPv4(hosts.At(pos).ip, ip) ? std::uint64_t{ip} : (std::uint64_t{1} << 32);
    };
    std::stable_sort(chosen.begin(), chosen.end(),
                     [&](size_t a, size_t b) { return key(a) < key(b); });
  }
  return chosen;
}

// Gives consecutive addresses from `start`, skipping the network and broadcast addresses
// of the mask (a mask of /31 or /32 has none) and never leaving the start's subnet.
class AddressCounter {
 public:
  AddressCounter(std::uint32_t start, std::uint32_t mask)
      : next_(start), mask_(mask), net_(start & mask), edges_(~mask >= 3) {}

  // The next address, or false when the subnet has no more.
  bool Next(std::uint32_t& address) {
    while (next_ <= 0xFFFFFFFFu && edges_ && IsEdge(static_cast<std::uint32_t>(next_))) ++next_;
    if (next_ > 0xFFFFFFFFu || (static_cast<std::uint32_t>(next_) & mask_) != net_) return false;
    address = static_cast<std::uint32_t>(next_++);
    return true;
  }

 private:
  bool IsEdge(std::uint32_t a) const { return (a & ~mask_) == 0 || (a | mask_) == 0xFFFFFFFFu; }

  std::uint64_t next_;
  std::uint32_t mask_;
  std::uint32_t net_;
  bool edges_;
};

// A sound address for a client: not in 0.0.0.0/8, loopback, multicast or above.
bool ClientAddress(std::uint32_t a) {
  const std::uint32_t first = a >> 24;
  return first != 0 && first != 127 && first < 224;
}

// Marks the chosen rows whose new text another row of the list would also hold (compared
// by `key`); `text_of` gives each list position's text after the change.
template <typename TextOf, typename Key>
void MarkClashes(const HostList& hosts, PatternPlan& plan, TextOf text_of, Key key,
                 const char* fault) {
  std::unordered_map<std::string, std::vector<size_t>> holders;
  for (size_t pos = 0; pos < hosts.Count(); ++pos) {
    const std::string text = key(text_of(pos));
    if (!text.empty()) holders[text].push_back(pos);
  }
  for (PatternRow& row : plan.rows) {
    if (!row.fault.empty()) continue;
    for (size_t other : holders[key(text_of(row.pos))]) {
      if (other == row.pos) continue;
      row.fault = StrFormat(fault, static_cast<unsigned>(other + 1));
      ++plan.faulty;
      break;
    }
  }
}

}  // namespace

bool IsSubnetMask(std::string_view dotted) {
  std::uint32_t mask = 0;
  return ParseDottedIPv4(dotted, mask) && (~mask & (~mask + 1)) == 0;
}

PatternPlan PlanNamePattern(const HostList& hosts, const std::vector<size_t>& chosen,
                            const NamePattern& pattern) {
  PatternPlan plan;
  unsigned long long start = 0, width = 0;
  std::uint32_t first_address = 0;
  const std::uint32_t mask = MaskOrDefault(pattern.mask);
  plan.mask = DottedQuad(mask);
  if (pattern.number == PatternNumber::kCounter &&
      !ParseDecimal(pattern.start, kMaxStartDigits, start))
    plan.fault = "起始序号应为不超过9位的数字";
  else if (!ParseDecimal(pattern.width, 2, width) || width > kMaxComputerNameBytes)
    plan.fault = "位数应为0到15的数字";
  else if (pattern.assign_addresses && (!ParseDottedIPv4(pattern.start_address, first_address) ||
                                        !ClientAddress(first_address)))
    plan.fault = "起始地址不是可用的IPv4地址";

  AddressCounter addresses(first_address, mask);
  unsigned long long counter = start;
  std::unordered_map<size_t, size_t> row_of;  // list position -> plan row
  for (size_t pos : CountingOrder(hosts, chosen, pattern.order)) {
    const HostRecord& r = hosts.At(pos);
    PatternRow row{pos, hosts.IdAt(pos), r.ip, r.name, r.ip, {}, {}};
    std::uint32_t ip = 0;
    bool have_ip = ParseDottedIPv4(r.ip, ip);
    if (pattern.assign_addresses && plan.fault.empty()) {
      have_ip = addresses.Next(ip);
      row.ip = have_ip ? DottedQuad(ip) : std::string();
      if (!have_ip)
        row.fault = "超出子网" + DottedQuad(first_address & mask) + "/" + plan.mask + "的地址范围";
    }
    const int digits = static_cast<int>(width);
    if (pattern.number == PatternNumber::kCounter)
      row.name = StrFormat("%s%0*llu", pattern.prefix.c_str(), digits, counter++);
    else if (have_ip)
      row.name = StrFormat("%s%0*u", pattern.prefix.c_str(), digits, ip & 0xFFu);
    else if (row.fault.empty())
      row.fault = "IP地址不是点分的IPv4地址，取不到末位数字";
    if (row.fault.empty()) row.fault = ComputerNameFault(row.name);
    if (!row.fault.empty()) ++plan.faulty;
    row_of[pos] = plan.rows.size();
    plan.rows.push_back(std::move(row));
  }
  if (!plan.fault.empty()) return plan;

  // The check before generating refuses two rows with one name or one address.
  auto after = [&](int field) {
    return [&, field](size_t pos) -> std::string {
      const auto it = row_of.find(pos);
      if (it == row_of.end()) return std::string(TrimRight(hosts.At(pos).Field(field)));
      return field == kFieldName ? plan.rows[it->second].name : plan.rows[it->second].ip;
    };
  };
  MarkClashes(hosts, plan, after(kFieldName), GbkFoldCase, "与第%u行计算机名相同");
  if (pattern.assign_addresses)
    MarkClashes(
        hosts, plan, after(kFieldIp), [](const std::string& s) { return s; }, "与第%u行IP地址相同");
  return plan;
}

size_t ApplyNamePattern(HostList& hosts, const PatternPlan& plan) {
  if (!plan.Writable()) return 0;
  size_t written = 0;
  for (const PatternRow& row : plan.rows) {
    if (!hosts.SetFieldById(row.id, kFieldName, row.name)) continue;
    hosts.SetFieldById(row.id, kFieldIp, row.ip);
    ++written;
  }
  return written;
}

}  // namespace lr
