// The dialog "对比结果": the host list held against a roster file, one line per PC with its
// status (roster side and scan side), the summary line above, a click on a column header
// sorting the lines, and the administrator's choice: merge the roster into the host list
// (the roster's rows brought up to date, the new PCs after them) or close with no change.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "hostlist/list_files.h"
#include "hostlist/roster_compare.h"
#include "ui/window.h"

namespace lr {

class TRosterCompareDialog : public ui::Window {
 public:
  static constexpr const wchar_t* kClassName = L"TRosterCompareDialog";
  enum : int { kSummary = 600, kList, kBtnMerge, kBtnClose = IDCANCEL };
  static constexpr int kClientWidth = 800;
  static constexpr int kClientHeight = 420;

  // Reads the roster file (a list file of `kind`), compares `hosts` with it in the dialog and, when
  // the administrator merges, makes `hosts` the merged list. True when `hosts` changed. A file that
  // can't be read is reported in an error box and changes nothing.
  static bool CompareFile(HWND owner, const std::filesystem::path& roster_file, ListFileKind kind,
                          HostList& hosts);

  // Shows the comparison modally over `owner` until "合并到列表", "关闭", Esc or the close
  // box answers; true for the merge.
  static bool Ask(HWND owner, const std::vector<HostRecord>& roster,
                  const std::vector<HostRecord>& scan);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  TRosterCompareDialog(const std::vector<HostRecord>& roster, const std::vector<HostRecord>& scan);
  bool Create(HWND owner);
  void ListColumnClick(int column);
  void OnGetDispInfo(LVITEMW& item);
  void Answer(bool merge);

  const std::vector<HostRecord>& roster_;
  const std::vector<HostRecord>& scan_;
  RosterComparison comparison_;
  std::vector<size_t> order_;  // the lines as shown: positions in comparison_.rows
  HWND list_ = nullptr;
  int sort_column_ = -1;
  bool ascending_ = true;
  std::wstring disp_text_;
  bool merge_ = false;
  bool done_ = false;
};

}  // namespace lr
