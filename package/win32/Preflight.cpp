#include "package/win32/Preflight.h"

#include <commctrl.h>

#include <algorithm>

#include "base/format.h"
#include "ui/controls.h"
#include "ui/modal.h"
#include "ui/text.h"

namespace lr {

namespace {

void SetCell(HWND list, int row, int column, const std::string& gbk) {
  std::wstring text = ui::Wide(gbk);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = text.data();
  if (column == 0)
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  else
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

PreflightChoice TPreflightDialog::Ask(HWND owner, const std::vector<PreflightProblem>& problems,
                                      size_t converted) {
  TPreflightDialog dialog;
  if (!dialog.Create(owner, problems, converted)) return PreflightChoice::kBack;
  ui::RunModal(dialog.hwnd(), owner, dialog.done_);
  return dialog.choice_;
}

bool TPreflightDialog::Create(HWND owner, const std::vector<PreflightProblem>& problems,
                              size_t converted) {
  if (!CreateDialogOf(kClassName, "生成前检查", kClientWidth, kClientHeight, owner)) return false;
  HWND h = hwnd();

  const size_t fixable = static_cast<size_t>(
      std::count_if(problems.begin(), problems.end(), [](const auto& p) { return p.Fixable(); }));
  ui::CreateChild(
      h, L"STATIC",
      StrFormat("生成前发现 %u 个需要您处理的问题，其中 %u 个可以自动修正。修正会改写列表中的行。",
                static_cast<unsigned>(problems.size()), static_cast<unsigned>(fixable)),
      SS_LEFT, 8, 8, kClientWidth - 16, 16, -1);
  ui::CreateChild(
      h, L"STATIC",
      converted
          ? StrFormat("已自动转换 %u 处：MAC地址改为客户机查找的格式，计算机名去掉末尾的空格。",
                      static_cast<unsigned>(converted))
          : std::string(),
      SS_LEFT, 8, 28, kClientWidth - 16, 16, kConverted);
  HWND list = ui::CreateChild(
      h, WC_LISTVIEWW, "",
      WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 8,
      48, kClientWidth - 16, 214, kList, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  constexpr ui::ListColumn kColumns[kColCount] = {{"行", 36},       {"IP地址", 100},
                                                  {"MAC地址", 120}, {"计算机名", 110},
                                                  {"问题", 290},    {"修正", 170}};
  ui::AddListColumns(list, kColumns);
  for (size_t i = 0; i < problems.size(); ++i) {
    const PreflightProblem& p = problems[i];
    const int row = static_cast<int>(i);
    SetCell(list, row, kColRow, p.row ? std::to_string(p.row) : "选项");
    SetCell(list, row, kColIp, p.ip);
    SetCell(list, row, kColMac, p.mac);
    SetCell(list, row, kColName, p.name);
    SetCell(list, row, kColProblem, p.problem);
    SetCell(list, row, kColFix, p.fix);
  }

  // The rows whose names Hostprep refuses: generated as they stand, their PCs keep the
  // master's identity.
  std::string rows;
  for (const PreflightProblem& p : problems)
    if (p.unconfigured && rows.find("第" + std::to_string(p.row) + "行") == std::string::npos)
      rows += (rows.empty() ? "第" : "、第") + std::to_string(p.row) + "行";
  ui::CreateChild(h, L"STATIC",
                  rows.empty()
                      ? std::string()
                      : "按原样生成时，" + rows + "的计算机名无法使用，这些电脑不会被配置。",
                  SS_LEFT, 8, 268, kClientWidth - 16, 16, kAsIsNote);

  // Fixing is the default only when the fixes leave nothing for the administrator.
  default_id_ = fixable == problems.size() ? kBtnFix : kBtnBack;
  const auto style = [this](int id) {
    return WS_TABSTOP | (id == default_id_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  };
  HWND fix = ui::CreateChild(h, L"BUTTON", "修正后生成(&F)", style(kBtnFix), kClientWidth - 360,
                             294, 112, 26, kBtnFix);
  EnableWindow(fix, fixable > 0);
  ui::CreateChild(h, L"BUTTON", "按原样生成(&A)", style(kBtnAsIs), kClientWidth - 240, 294, 112, 26,
                  kBtnAsIs);
  ui::CreateChild(h, L"BUTTON", "返回修改(&B)", style(kBtnBack), kClientWidth - 120, 294, 112, 26,
                  kBtnBack);
  SetFocus(GetDlgItem(h, default_id_));
  return true;
}

void TPreflightDialog::Answer(PreflightChoice choice) {
  choice_ = choice;
  done_ = true;
}

LRESULT TPreflightDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kBtnFix:
          if (IsWindowEnabled(GetDlgItem(hwnd(), kBtnFix)))
            Answer(PreflightChoice::kFixThenGenerate);
          break;
        case kBtnAsIs:
          Answer(PreflightChoice::kAsIs);
          break;
        case kBtnBack:
          Answer(PreflightChoice::kBack);
          break;
      }
      return 0;
    case DM_GETDEFID:
      return MAKELONG(default_id_, DC_HASDEFID);
    case WM_CLOSE:
      Answer(PreflightChoice::kBack);
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
