#include "hostlist/win32/RosterCompare.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>

#include "hostlist/list_files.h"
#include "ui/controls.h"
#include "ui/message_box.h"
#include "ui/modal.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr ui::ListColumn kColumns[kRosterColumnCount] = {
    {"状态", 70},    {"花名册IP", 105}, {"花名册MAC", 125},    {"花名册计算机名", 110},
    {"扫描IP", 105}, {"扫描MAC", 125},  {"扫描计算机名", 110},
};

std::vector<HostRecord> Snapshot(const HostList& hosts) {
  std::vector<HostRecord> out;
  out.reserve(hosts.Count());
  for (size_t i = 0; i < hosts.Count(); ++i) out.push_back(hosts.At(i));
  return out;
}

}  // namespace

TRosterCompareDialog::TRosterCompareDialog(const std::vector<HostRecord>& roster,
                                           const std::vector<HostRecord>& scan)
    : roster_(roster), scan_(scan), comparison_(CompareWithRoster(roster, scan)) {
  order_.resize(comparison_.rows.size());
  std::iota(order_.begin(), order_.end(), size_t{0});
}

bool TRosterCompareDialog::CompareFile(HWND owner, const std::filesystem::path& roster_file,
                                       ListFileKind kind, HostList& hosts) {
  ListFileContents contents;
  const FileStatus status = ReadListFile(roster_file, kind, contents, ui::SystemUtf8ToGbk());
  if (!status) {
    ui::ShowErrorBox("无法读取文件 \"" + ui::Gbk(roster_file.wstring()) + "\"：" + status.reason);
    return false;
  }
  const std::string report = ListFileReport(contents);
  if (!report.empty()) ui::ShowMessage("对比花名册", report, MB_OK | MB_ICONWARNING);
  const std::vector<HostRecord>& roster = contents.records;
  const std::vector<HostRecord> scan = Snapshot(hosts);
  if (!Ask(owner, roster, scan)) return false;
  // A sweep or a name lookup may have changed the list while the dialog was up: merging
  // what was compared would then drop or undo those changes.
  if (Snapshot(hosts) != scan) {
    ui::ShowMessage("警告", "对比之后列表又有了变化，请重新对比后再合并。", MB_OK | MB_ICONWARNING);
    return false;
  }
  hosts.Clear();
  for (HostRecord& r : MergeRoster(CompareWithRoster(roster, scan), roster, scan))
    hosts.Append(std::move(r));
  return true;
}

bool TRosterCompareDialog::Ask(HWND owner, const std::vector<HostRecord>& roster,
                               const std::vector<HostRecord>& scan) {
  TRosterCompareDialog dialog(roster, scan);
  if (!dialog.Create(owner)) return false;
  ui::RunModal(dialog.hwnd(), owner, dialog.done_);
  return dialog.merge_;
}

bool TRosterCompareDialog::Create(HWND owner) {
  if (!CreateDialogOf(kClassName, "对比结果", kClientWidth, kClientHeight, owner)) return false;
  HWND h = hwnd();

  ui::CreateChild(h, L"STATIC", RosterSummary(comparison_), SS_LEFT, 8, 10, kClientWidth - 16, 16,
                  kSummary);
  list_ = ui::CreateChild(
      h, WC_LISTVIEWW, "",
      WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 8,
      32, kClientWidth - 16, kClientHeight - 76, kList, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  ui::AddListColumns(list_, kColumns);
  SendMessageW(list_, LVM_SETITEMCOUNT, order_.size(), 0);

  ui::CreateChild(h, L"BUTTON", "合并到列表(&M)", WS_TABSTOP | BS_PUSHBUTTON, kClientWidth - 240,
                  kClientHeight - 36, 112, 26, kBtnMerge);
  ui::CreateChild(h, L"BUTTON", "关闭", WS_TABSTOP | BS_DEFPUSHBUTTON, kClientWidth - 120,
                  kClientHeight - 36, 112, 26, kBtnClose);
  SetFocus(list_);
  return true;
}

void TRosterCompareDialog::ListColumnClick(int column) {
  if (column < 0 || column >= kRosterColumnCount) return;
  // A second click on the same header turns the order round.
  ascending_ = column == sort_column_ ? !ascending_ : true;
  sort_column_ = column;
  SortRosterRows(order_, column, ascending_, comparison_, roster_, scan_);

  HWND header = ListView_GetHeader(list_);
  for (int c = 0; c < kRosterColumnCount; ++c) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, c, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (c == column) item.fmt |= ascending_ ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, c, &item);
  }
  InvalidateRect(list_, nullptr, FALSE);
}

void TRosterCompareDialog::OnGetDispInfo(LVITEMW& item) {
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= order_.size()) return;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const RosterRow& row = comparison_.rows[order_[static_cast<size_t>(item.iItem)]];
  disp_text_ = ui::Wide(RosterCell(row, item.iSubItem, roster_, scan_));
  const size_t n = std::min(disp_text_.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::copy_n(disp_text_.data(), n, item.pszText);
  item.pszText[n] = L'\0';
}

void TRosterCompareDialog::Answer(bool merge) {
  merge_ = merge;
  done_ = true;
}

LRESULT TRosterCompareDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kBtnMerge) Answer(true);
      if (LOWORD(wp) == kBtnClose) Answer(false);
      return 0;
    case WM_NOTIFY: {
      NMHDR* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->idFrom != kList) break;
      if (hdr->code == LVN_GETDISPINFOW)
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(hdr)->item);
      else if (hdr->code == LVN_COLUMNCLICK)
        ListColumnClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
      return 0;
    }
    case DM_GETDEFID:
      return MAKELONG(kBtnClose, DC_HASDEFID);
    case WM_CLOSE:
      Answer(false);
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
