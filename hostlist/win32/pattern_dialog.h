// TPatternDialog, "批量命名": names (and optionally addresses) for the selected row or all
// rows by a pattern, with a preview of what each row would become. Rows the check before
// generating would refuse are shown with the reason, and "确定" stays disabled until there
// are none; "确定" writes the rows in place.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "hostlist/name_pattern.h"
#include "ui/window.h"

namespace lr {

class TIPEdit;

class TPatternDialog : public ui::Window {
 public:
  static constexpr const wchar_t* kClassName = L"TPatternDialog";
  enum : int {
    kRadSelected = 600,
    kRadAll,
    kEdtPrefix,
    kEdtStart,
    kEdtWidth,
    kRadCounter,
    kRadLastOctet,
    kRadListOrder,
    kRadAddressOrder,
    kChkAddresses,
    kEdtStartAddress,
    kLblMask,
    kList,
    kLblSummary,
    kBtnOk = IDOK,
    kBtnCancel = IDCANCEL
  };
  enum Column : int { kColRow = 0, kColIp, kColNewIp, kColName, kColNewName, kColFault, kColCount };
  static constexpr int kClientWidth = 600;
  static constexpr int kClientHeight = 446;

  // Shows the dialog modally over `owner` for the rows of `hosts`, starting from `pattern`
  // (its mask is the one the addresses follow). `selected` is the selected row, if any.
  // After "确定" the rows are written, `pattern` holds what the dialog held, and the result
  // is true; Esc, "取消" and the close box change nothing.
  static bool Run(HWND owner, HostList& hosts, std::optional<size_t> selected,
                  NamePattern& pattern);

  // The pattern as the controls hold it now.
  NamePattern Inputs() const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  TPatternDialog(HostList& hosts, std::optional<HostList::Id> selected, const NamePattern& start)
      : hosts_(hosts), selected_(selected), start_(start) {}
  bool Create(HWND owner);
  std::vector<size_t> Chosen() const;
  PatternPlan Plan() const;
  void Refresh();
  void ShowPlan(const std::string& note = {});
  void OkClick();
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  bool Checked(int id) const;

  HostList& hosts_;
  std::optional<HostList::Id> selected_;
  NamePattern start_;
  TIPEdit* start_address_ = nullptr;
  PatternPlan plan_;  // what the preview shows
  bool created_ = false;
  bool written_ = false;
  bool done_ = false;
};

}  // namespace lr
