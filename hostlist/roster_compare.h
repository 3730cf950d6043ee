// A scan held against the roster (the list file the administrator keeps between imaging
// cycles): one row per PC with its status, the summary line, sorting the rows by a column,
// and the merged list (the roster brought up to date with what the scan found).
//
// Rows pair by MAC first (the client's form of any MAC text on either side; all zeros or
// text that names no MAC is no MAC), then the roster rows left over by IP address: with a
// scanned row at that address when either of them has no MAC, or when the names agree (the
// scanned MAC may then replace the roster's). Computer names compare without the NetBIOS
// padding and without regard to ASCII letter case; a name that is not known ("-", or "---"
// after a failed lookup) on either side is not held against a row.
//
// A scanned row left over whose MAC is that of a row already paired or kept, or whose
// address a roster row or an earlier new row holds, is a duplicate: shown, never merged, so
// that a merge adds no second row with one MAC or one address.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "hostlist/host_record.h"

namespace lr {

enum class RosterStatus : int {
  kSame = 0,    // "一致": MAC, IP and name agree
  kNotApplied,  // "未生效": the MAC is there, its IP or name differs from the roster
  kNicChanged,  // "已换网卡": the roster's IP and name are there under another MAC
  kMissing,     // "未找到": in the roster, not in the scan
  kNew,         // "新增": in the scan, not in the roster
  kDuplicate,   // "重复": in the scan, its MAC or address already another row's
};
inline constexpr int kRosterStatusCount = 6;

const char* RosterStatusText(RosterStatus status);

struct RosterRow {
  static constexpr size_t kNone = static_cast<size_t>(-1);
  RosterStatus status = RosterStatus::kSame;
  size_t roster = kNone;  // position in the roster, kNone for kNew
  size_t scan = kNone;    // position in the scan, kNone for kMissing
};

struct RosterComparison {
  // The roster's rows in roster order, then the new PCs and the duplicates in scan order.
  std::vector<RosterRow> rows;
  size_t counts[kRosterStatusCount] = {};
};

RosterComparison CompareWithRoster(const std::vector<HostRecord>& roster,
                                   const std::vector<HostRecord>& scan);

// "一致 A 台，未生效 B 台，已换网卡 C 台，未找到 D 台，新增 E 台", then "，重复 F 台" when
// there are duplicates.
std::string RosterSummary(const RosterComparison& comparison);

// The columns of the comparison's list.
enum RosterColumn : int {
  kRosterColStatus = 0,
  kRosterColIp,
  kRosterColMac,
  kRosterColName,
  kRosterColScanIp,
  kRosterColScanMac,
  kRosterColScanName,
};
inline constexpr int kRosterColumnCount = 7;

// The text a row shows in a column (empty where its side is missing).
std::string RosterCell(const RosterRow& row, int column, const std::vector<HostRecord>& roster,
                       const std::vector<HostRecord>& scan);

// Sorts `order` (positions in comparison.rows) by a column: the status in its listed order,
// addresses by value (text that isn't one after them), other texts ignoring ASCII case.
// Rows that compare equal keep their order.
void SortRosterRows(std::vector<size_t>& order, int column, bool ascending,
                    const RosterComparison& comparison, const std::vector<HostRecord>& roster,
                    const std::vector<HostRecord>& scan);

// The roster's rows in roster order, each "已换网卡" row with the MAC the scan found, then
// the new PCs as the scan found them; duplicates are left out.
std::vector<HostRecord> MergeRoster(const RosterComparison& comparison,
                                    const std::vector<HostRecord>& roster,
                                    const std::vector<HostRecord>& scan);

}  // namespace lr
