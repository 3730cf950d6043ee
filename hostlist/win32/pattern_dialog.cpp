#include "hostlist/win32/pattern_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "base/format.h"
#include "hostlist/win32/ip_edit.h"
#include "ui/controls.h"
#include "ui/modal.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr ui::ListColumn kColumns[TPatternDialog::kColCount] = {
    {"行", 40},       {"IP地址", 100},    {"新IP地址", 100},
    {"计算机名", 96}, {"新计算机名", 96}, {"问题", 146},
};

}  // namespace

bool TPatternDialog::Run(HWND owner, HostList& hosts, std::optional<size_t> selected,
                         NamePattern& pattern) {
  std::optional<HostList::Id> id;
  if (selected && *selected < hosts.Count()) id = hosts.IdAt(*selected);
  TPatternDialog dialog(hosts, id, pattern);
  if (!dialog.Create(owner)) return false;
  ui::RunModal(dialog.hwnd(), owner, dialog.done_);
  if (dialog.written_) pattern = dialog.Inputs();
  return dialog.written_;
}

bool TPatternDialog::Create(HWND owner) {
  if (!CreateDialogOf(kClassName, "批量命名", kClientWidth, kClientHeight, owner)) return false;
  HWND h = hwnd();
  const int w = kClientWidth - 16;
  auto label = [&](const char* text, int x, int y, int width) {
    ui::CreateChild(h, L"STATIC", text, SS_LEFT, x, y + 4, width, 16, -1);
  };
  auto edit = [&](int id, const std::string& text, int x, int y, int width, DWORD style) {
    ui::CreateChild(h, L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL | style, x, y, width, 21, id,
                    WS_EX_CLIENTEDGE);
  };
  auto choice = [&](int id, const char* text, int x, int y, int width, DWORD style) {
    ui::CreateChild(h, L"BUTTON", text, style, x, y, width, 20, id);
  };

  ui::CreateChild(h, L"BUTTON", "范围", BS_GROUPBOX, 8, 4, w, 44, -1);
  choice(kRadSelected, "选中的记录", 20, 20, 120, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON);
  choice(kRadAll, StrFormat("全部记录（%u条）", static_cast<unsigned>(hosts_.Count())).c_str(), 160,
         20, 200, BS_AUTORADIOBUTTON);
  EnableWindow(Item(kRadSelected), selected_.has_value());
  CheckRadioButton(h, kRadSelected, kRadAll, kRadAll);

  ui::CreateChild(h, L"BUTTON", "计算机名", BS_GROUPBOX, 8, 54, w, 72, -1);
  label("前缀", 20, 72, 32);
  edit(kEdtPrefix, start_.prefix, 56, 72, 90, WS_GROUP);
  label("起始序号", 164, 72, 56);
  edit(kEdtStart, start_.start, 222, 72, 70, ES_NUMBER);
  label("位数", 310, 72, 32);
  edit(kEdtWidth, start_.width, 344, 72, 40, ES_NUMBER);
  SendMessageW(Item(kEdtStart), EM_SETLIMITTEXT, 9, 0);
  SendMessageW(Item(kEdtWidth), EM_SETLIMITTEXT, 2, 0);
  choice(kRadCounter, "前缀 + 序号（PC001）", 20, 100, 180,
         WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON);
  choice(kRadLastOctet, "前缀 + IP地址的末位数字（.21 为 PC021）", 210, 100, 300,
         BS_AUTORADIOBUTTON);
  CheckRadioButton(h, kRadCounter, kRadLastOctet,
                   start_.number == PatternNumber::kCounter ? kRadCounter : kRadLastOctet);

  ui::CreateChild(h, L"BUTTON", "顺序与地址", BS_GROUPBOX, 8, 132, w, 74, -1);
  choice(kRadListOrder, "按列表顺序", 20, 150, 120, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON);
  choice(kRadAddressOrder, "按IP地址顺序", 160, 150, 140, BS_AUTORADIOBUTTON);
  CheckRadioButton(h, kRadListOrder, kRadAddressOrder,
                   start_.order == PatternOrder::kList ? kRadListOrder : kRadAddressOrder);
  choice(kChkAddresses, "同时分配IP地址，起始地址", 20, 178, 174,
         WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX);
  CheckDlgButton(h, kChkAddresses, start_.assign_addresses ? BST_CHECKED : BST_UNCHECKED);
  start_address_ = TIPEdit::Create(h, kEdtStartAddress, 198, 177);
  if (!start_address_) return false;
  start_address_->SetTabStop(true);
  start_address_->SetIPString(start_.start_address);
  start_address_->SetEnabled(start_.assign_addresses);
  start_address_->OnChange = [this](TIPEdit&) { Refresh(); };
  const bool own_mask = IsSubnetMask(start_.mask);
  ui::CreateChild(h, L"STATIC",
                  "跳过子网掩码 " + (own_mask ? start_.mask : std::string(kDefaultPatternMask)) +
                      (own_mask ? "（客户端配置所用）" : "（默认）") + " 的网络地址和广播地址",
                  SS_LEFT, 332, 170, w - 332, 32, kLblMask);

  ui::CreateChild(h, L"STATIC", "预览（尚未修改列表）：", SS_LEFT, 8, 214, 200, 16, -1);
  HWND list = ui::CreateChild(h, WC_LISTVIEWW, "",
                              WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_OWNERDATA,
                              8, 232, w, 160, kList, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  ui::AddListColumns(list, kColumns);
  ui::CreateChild(h, L"STATIC", "", SS_LEFT, 8, 400, w - 190, 40, kLblSummary);
  ui::CreateChild(h, L"BUTTON", "确定", WS_TABSTOP | BS_DEFPUSHBUTTON, kClientWidth - 178, 408, 80,
                  26, kBtnOk);
  ui::CreateChild(h, L"BUTTON", "取消", WS_TABSTOP | BS_PUSHBUTTON, kClientWidth - 88, 408, 80, 26,
                  kBtnCancel);
  created_ = true;
  Refresh();
  SetFocus(Item(kEdtPrefix));
  SendMessageW(Item(kEdtPrefix), EM_SETSEL, 0, -1);
  return true;
}

bool TPatternDialog::Checked(int id) const {
  return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED;
}

NamePattern TPatternDialog::Inputs() const {
  NamePattern p;
  p.prefix = ui::GetText(Item(kEdtPrefix));
  p.start = ui::GetText(Item(kEdtStart));
  p.width = ui::GetText(Item(kEdtWidth));
  p.number = Checked(kRadLastOctet) ? PatternNumber::kLastOctet : PatternNumber::kCounter;
  p.order = Checked(kRadListOrder) ? PatternOrder::kList : PatternOrder::kAddress;
  p.assign_addresses = Checked(kChkAddresses);
  p.start_address = start_address_ ? start_address_->IPString() : std::string();
  p.mask = start_.mask;
  return p;
}

std::vector<size_t> TPatternDialog::Chosen() const {
  std::vector<size_t> chosen;
  if (Checked(kRadSelected)) {
    // The row is followed by its record: the list may change while the dialog is open.
    const size_t pos = selected_ ? hosts_.PositionOf(*selected_) : hosts_.Count();
    if (pos < hosts_.Count()) chosen.push_back(pos);
    return chosen;
  }
  for (size_t i = 0; i < hosts_.Count(); ++i) chosen.push_back(i);
  return chosen;
}

PatternPlan TPatternDialog::Plan() const {
  return PlanNamePattern(hosts_, Chosen(), Inputs());
}

void TPatternDialog::Refresh() {
  if (!created_) return;
  start_address_->SetEnabled(Checked(kChkAddresses));
  plan_ = Plan();
  ShowPlan();
}

void TPatternDialog::ShowPlan(const std::string& note) {
  HWND list = Item(kList);
  SendMessageW(list, LVM_SETITEMCOUNT, plan_.rows.size(), 0);
  InvalidateRect(list, nullptr, FALSE);
  std::string summary;
  if (!plan_.fault.empty()) {
    summary = plan_.fault + "。";
  } else if (plan_.rows.empty()) {
    summary = "没有要修改的记录。";
  } else if (plan_.faulty > 0) {
    const auto first = std::find_if(plan_.rows.begin(), plan_.rows.end(),
                                    [](const PatternRow& r) { return !r.fault.empty(); });
    summary =
        StrFormat("%u 条记录不能这样写入（生成前的检查会拒绝），例如第 %u 行：",
                  static_cast<unsigned>(plan_.faulty), static_cast<unsigned>(first->pos + 1)) +
        first->fault + "。";
  } else {
    summary = StrFormat("确定后将改写 %u 条记录。", static_cast<unsigned>(plan_.rows.size()));
  }
  ui::SetText(Item(kLblSummary), note + summary);
  EnableWindow(Item(kBtnOk), plan_.Writable());
}

void TPatternDialog::OkClick() {
  if (!IsWindowEnabled(Item(kBtnOk))) return;
  // The list may have changed under the dialog (a sweep adds rows): what is written must
  // be what the preview shows, so a different plan is only shown.
  PatternPlan now = Plan();
  if (!(now == plan_)) {
    plan_ = std::move(now);
    ShowPlan("列表已变化，预览已更新。");
    return;
  }
  written_ = ApplyNamePattern(hosts_, plan_) > 0;
  done_ = true;
}

LRESULT TPatternDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kBtnOk:
          OkClick();
          return 0;
        case kBtnCancel:
          done_ = true;
          return 0;
        case kEdtPrefix:
        case kEdtStart:
        case kEdtWidth:
          if (HIWORD(wp) == EN_CHANGE) Refresh();
          return 0;
        case kRadSelected:
        case kRadAll:
        case kRadCounter:
        case kRadLastOctet:
        case kRadListOrder:
        case kRadAddressOrder:
        case kChkAddresses:
          if (HIWORD(wp) == BN_CLICKED) Refresh();
          return 0;
      }
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->idFrom != kList || hdr->code != LVN_GETDISPINFOW) return 0;
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item;
      if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= plan_.rows.size()) return 0;
      if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
      const PatternRow& r = plan_.rows[static_cast<size_t>(item.iItem)];
      const std::string* texts[] = {nullptr, &r.old_ip, &r.ip, &r.old_name, &r.name, &r.fault};
      const int c = std::clamp(item.iSubItem, 0, kColCount - 1);
      const std::wstring text =
          ui::Wide(c == kColRow ? std::to_string(r.pos + 1) : std::string(*texts[c]));
      const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
      std::copy_n(text.data(), n, item.pszText);
      item.pszText[n] = L'\0';
      return 0;
    }
    case DM_GETDEFID:
      return MAKELONG(kBtnOk, DC_HASDEFID);
    case WM_CLOSE:
      done_ = true;
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
