#include "hostlist/roster_compare.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "base/format.h"
#include "base/gbk.h"
#include "base/field_texts.h"

namespace lr {

namespace {

using Index = std::unordered_map<std::string, std::vector<size_t>>;

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Dotted IPv4 in its one canonical text, or the trimmed text as it stands.
std::string IpKey(std::string_view text) {
  text = Trimmed(text);
  std::uint32_t address = 0;
  return ParseDottedIPv4(text, address) ? DottedQuad(address) : std::string(text);
}

// The client's form of a MAC text; empty for text no client could have, all zeros included
// (an answer without its unit ID), so that such rows never pair by their MAC.
std::string MacKey(std::string_view text) {
  std::string mac = ClientMacForm(text);
  return mac == "00-00-00-00-00-00" ? std::string() : mac;
}

// "-" and "---": the list's marks for a name that is not known.
bool NameUnknown(std::string_view name) {
  name = Trimmed(name);
  return !name.empty() && name.find_first_not_of('-') == std::string_view::npos;
}

bool NamesAgree(const std::string& a, const std::string& b) {
  return NameUnknown(a) || NameUnknown(b) || GbkIEquals(Trimmed(a), Trimmed(b));
}

// The first row of `index[key]` that isn't taken yet and passes `fits`, taken now.
template <typename Fits>
size_t TakeFirst(Index& index, const std::string& key, std::vector<bool>& taken, Fits fits) {
  if (key.empty()) return RosterRow::kNone;
  auto it = index.find(key);
  if (it == index.end()) return RosterRow::kNone;
  for (size_t pos : it->second) {
    if (taken[pos] || !fits(pos)) continue;
    taken[pos] = true;
    return pos;
  }
  return RosterRow::kNone;
}

}  // namespace

const char* RosterStatusText(RosterStatus status) {
  switch (status) {
    case RosterStatus::kSame:
      return "一致";
    case RosterStatus::kNotApplied:
      return "未生效";
    case RosterStatus::kNicChanged:
      return "已换网卡";
    case RosterStatus::kMissing:
      return "未找到";
    case RosterStatus::kNew:
      return "新增";
    case RosterStatus::kDuplicate:
      return "重复";
  }
  return "";
}

RosterComparison CompareWithRoster(const std::vector<HostRecord>& roster,
                                   const std::vector<HostRecord>& scan) {
  Index scan_by_mac, scan_by_ip;
  for (size_t i = 0; i < scan.size(); ++i) {
    if (std::string mac = MacKey(scan[i].mac); !mac.empty())
      scan_by_mac[std::move(mac)].push_back(i);
    if (std::string ip = IpKey(scan[i].ip); !ip.empty()) scan_by_ip[std::move(ip)].push_back(i);
  }

  std::vector<bool> taken(scan.size(), false);
  std::vector<size_t> partner(roster.size(), RosterRow::kNone);
  std::unordered_set<std::string> paired_macs;  // of the scanned rows paired so far
  // The same adapter first, so that a PC is never paired by its address while its own
  // adapter is elsewhere in the scan.
  for (size_t r = 0; r < roster.size(); ++r) {
    partner[r] = TakeFirst(scan_by_mac, MacKey(roster[r].mac), taken, [](size_t) { return true; });
    if (partner[r] != RosterRow::kNone) paired_macs.insert(MacKey(scan[partner[r]].mac));
  }

  RosterComparison result;
  result.rows.reserve(roster.size() + scan.size());
  for (size_t r = 0; r < roster.size(); ++r) {
    const HostRecord& want = roster[r];
    RosterRow row{RosterStatus::kMissing, r, partner[r]};
    if (row.scan != RosterRow::kNone) {
      const HostRecord& got = scan[row.scan];
      row.status = IpKey(want.ip) == IpKey(got.ip) && NamesAgree(want.name, got.name)
                       ? RosterStatus::kSame
                       : RosterStatus::kNotApplied;
      result.rows.push_back(row);
      continue;
    }
    // By the address: two MACs must come with one name to be one PC; without a MAC on one
    // side the address is all there is. A scanned row under a paired MAC is another's.
    const bool roster_mac = !MacKey(want.mac).empty();
    row.scan = TakeFirst(scan_by_ip, IpKey(want.ip), taken, [&](size_t s) {
      const std::string mac = MacKey(scan[s].mac);
      if (!mac.empty() && paired_macs.count(mac)) return false;
      return !roster_mac || mac.empty() || NamesAgree(want.name, scan[s].name);
    });
    if (row.scan != RosterRow::kNone) {
      const std::string mac = MacKey(scan[row.scan].mac);
      const bool agree = NamesAgree(want.name, scan[row.scan].name);
      // Only a MAC the scan could read may replace the roster's.
      row.status = !agree         ? RosterStatus::kNotApplied
                   : !mac.empty() ? RosterStatus::kNicChanged
                                  : RosterStatus::kSame;
      if (!mac.empty()) paired_macs.insert(mac);
    }
    result.rows.push_back(row);
  }

  // What the merged list holds: no row the scan adds may bring a MAC or address again.
  std::unordered_set<std::string> macs = std::move(paired_macs), ips;
  for (const HostRecord& r : roster) {
    if (std::string mac = MacKey(r.mac); !mac.empty()) macs.insert(std::move(mac));
    if (std::string ip = IpKey(r.ip); !ip.empty()) ips.insert(std::move(ip));
  }
  for (size_t s = 0; s < scan.size(); ++s) {
    if (taken[s]) continue;
    std::string mac = MacKey(scan[s].mac), ip = IpKey(scan[s].ip);
    const bool again = (!mac.empty() && macs.count(mac)) || (!ip.empty() && ips.count(ip));
    if (!again) {
      if (!mac.empty()) macs.insert(std::move(mac));
      if (!ip.empty()) ips.insert(std::move(ip));
    }
    result.rows.push_back(
        RosterRow{again ? RosterStatus::kDuplicate : RosterStatus::kNew, RosterRow::kNone, s});
  }
  for (const RosterRow& row : result.rows) ++result.counts[static_cast<int>(row.status)];
  return result;
}

std::string RosterSummary(const RosterComparison& c) {
  auto n = [&](RosterStatus s) { return static_cast<unsigned>(c.counts[static_cast<int>(s)]); };
  std::string text =
      StrFormat("一致 %u 台，未生效 %u 台，已换网卡 %u 台，未找到 %u 台，新增 %u 台",
                n(RosterStatus::kSame), n(RosterStatus::kNotApplied), n(RosterStatus::kNicChanged),
                n(RosterStatus::kMissing), n(RosterStatus::kNew));
  if (n(RosterStatus::kDuplicate)) text += StrFormat("，重复 %u 台", n(RosterStatus::kDuplicate));
  return text;
}

std::string RosterCell(const RosterRow& row, int column, const std::vector<HostRecord>& roster,
                       const std::vector<HostRecord>& scan) {
  if (column == kRosterColStatus) return RosterStatusText(row.status);
  const bool scan_side = column >= kRosterColScanIp;
  const size_t pos = scan_side ? row.scan : row.roster;
  if (pos == RosterRow::kNone) return {};
  const HostRecord& r = scan_side ? scan[pos] : roster[pos];
  switch (scan_side ? column - kRosterColScanIp + kRosterColIp : column) {
    case kRosterColIp:
      return r.ip;
    case kRosterColMac:
      return r.mac;
    case kRosterColName:
      return r.name;
  }
  return {};
}

void SortRosterRows(std::vector<size_t>& order, int column, bool ascending,
                    const RosterComparison& comparison, const std::vector<HostRecord>& roster,
                    const std::vector<HostRecord>& scan) {
  // One key per row, made once: addresses (and the status) by number ahead of any text.
  struct Key {
    bool text = false;
    std::uint32_t number = 0;
    std::string folded;
    bool operator<(const Key& o) const {
      if (text != o.text) return !text;
      return text ? folded < o.folded : number < o.number;
    }
  };
  std::vector<Key> keys(comparison.rows.size());
  for (size_t i : order) {
    const RosterRow& row = comparison.rows[i];
    Key& key = keys[i];
    if (column == kRosterColStatus) {
      key.number = static_cast<std::uint32_t>(row.status);
      continue;
    }
    const std::string cell = RosterCell(row, column, roster, scan);
    const bool address = column == kRosterColIp || column == kRosterColScanIp;
    key.text = !address || !ParseDottedIPv4(Trimmed(cell), key.number);
    if (key.text) key.folded = GbkFoldCase(cell);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
  });
}

std::vector<HostRecord> MergeRoster(const RosterComparison& comparison,
                                    const std::vector<HostRecord>& roster,
                                    const std::vector<HostRecord>& scan) {
  std::vector<HostRecord> merged = roster;
  for (const RosterRow& row : comparison.rows) {
    if (row.status == RosterStatus::kNicChanged) merged[row.roster].mac = scan[row.scan].mac;
    if (row.status == RosterStatus::kNew) merged.push_back(scan[row.scan]);  // not kDuplicate
  }
  return merged;
}

}  // namespace lr
