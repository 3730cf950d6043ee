// The dialog "生成前检查": the problems the check found before a package is written, one
// line each (row, IP, MAC, computer name, the problem, what the fix writes), how many texts
// were converted without asking, which rows' PCs generating as they stand leaves
// unconfigured, and the administrator's choice: fix then generate, generate as the rows
// stand, or go back to the rows. With a problem no fix can solve, going back is the default.
#pragma once

#include <windows.h>

#include <vector>

#include "package/generator.h"
#include "ui/window.h"

namespace lr {

class TPreflightDialog : public ui::Window {
 public:
  static constexpr const wchar_t* kClassName = L"TPreflightDialog";
  enum : int { kList = 500, kBtnFix, kBtnAsIs, kConverted, kAsIsNote, kBtnBack = IDCANCEL };
  enum Column : int { kColRow = 0, kColIp, kColMac, kColName, kColProblem, kColFix, kColCount };
  static constexpr int kClientWidth = 860;
  static constexpr int kClientHeight = 330;

  // Shows the problems modally over `owner` until a button, Esc or the close box answers;
  // the last two go back.
  static PreflightChoice Ask(HWND owner, const std::vector<PreflightProblem>& problems,
                             size_t converted);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  bool Create(HWND owner, const std::vector<PreflightProblem>& problems, size_t converted);
  void Answer(PreflightChoice choice);

  PreflightChoice choice_ = PreflightChoice::kBack;
  bool done_ = false;
  int default_id_ = kBtnBack;
};

}  // namespace lr
