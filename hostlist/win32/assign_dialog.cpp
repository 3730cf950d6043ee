// The clone requests dialog: the desk over the socket and the list view.
#include "hostlist/win32/assign_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "base/format.h"
#include "package/client_settings.h"
#include "package/profile.h"
#include "ui/controls.h"
#include "ui/message_box.h"
#include "ui/modal.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr ui::ListColumn kColumns[] = {
    {"MAC", 230}, {"当前计算机名", 100}, {"发送方", 100}, {"首次", 62}, {"最近", 62}, {"分配", 150},
};

// Milliseconds since midnight, local time: the desk's clock and what its columns show.
std::uint64_t NowMs() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ((t.wHour * 60u + t.wMinute) * 60u + t.wSecond) * 1000ull + t.wMilliseconds;
}

std::string TimeText(std::uint64_t ms) {
  const unsigned s = static_cast<unsigned>(ms / 1000);
  return StrFormat("%02u:%02u:%02u", s / 3600 % 24, s / 60 % 60, s % 60);
}

}  // namespace

TAssignDialog::TAssignDialog(HostList& hosts, const NamePattern& pattern, std::string key,
                             PreflightOptions options)
    : hosts_(hosts), pattern_(pattern), desk_(crypto_, std::move(key), std::move(options)) {}

bool TAssignDialog::Run(HWND owner, HostList& hosts, const NamePattern& pattern,
                        const std::string& settings_path, std::uint16_t port) {
  const Profile settings = ReadProfileFile(ui::Wide(settings_path));
  const std::optional<std::string> key =
      ParseAssignKey(settings.Get(kSectionAutoSet, kKeyAssignKey).value_or(""));
  if (!key) {
    ui::ShowMessage("克隆机申请",
                    "本机的 Myset.ini 中没有申请密钥。\r\n请先在“生成并安装”中勾选"
                    "“未列出的克隆机向本机申请条目”生成安装包，再制作镜像。",
                    MB_OK | MB_ICONINFORMATION);
    return false;
  }
  PreflightOptions options;
  options.gateway = settings.Get(kSectionAutoSet, kKeyGateway).value_or("");
  options.mask = settings.Get(kSectionAutoSet, kKeyMask).value_or("");
  options.master_macs = SplitMacList(settings.Get(kSectionAutoSet, kKeyMasterMAC).value_or(""));
  TAssignDialog dialog(hosts, pattern, *key, std::move(options));
  if (!dialog.socket_.Open(port)) {
    ui::ShowErrorBox(
        StrFormat("无法打开 UDP 端口 %u，克隆机的申请收不到。", port ? port : kAssignPort));
    return false;
  }
  if (!dialog.Create(owner)) return false;
  dialog.socket_.PostArrivals(dialog.hwnd(), kMsgArrival);
  ui::RunModal(dialog.hwnd(), owner, dialog.done_);
  dialog.socket_.Close();
  return dialog.added_;
}

bool TAssignDialog::Create(HWND owner) {
  if (!CreateDialogOf(kClassName, "克隆机申请", kClientWidth, kClientHeight, owner)) return false;
  HWND h = hwnd();
  ui::CreateChild(h, L"STATIC", "", SS_LEFT, 8, 10, kClientWidth - 16, 16, kStatus);
  list_ = ui::CreateChild(
      h, WC_LISTVIEWW, "",
      WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 8,
      32, kClientWidth - 16, kClientHeight - 80, kList, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  ui::AddListColumns(list_, kColumns);
  const int y = kClientHeight - 38;
  ui::CreateChild(h, L"STATIC", "计算机名", SS_LEFT, 8, y + 5, 56, 16, -1);
  ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 66, y + 2, 100, 21, kEdtName,
                  WS_EX_CLIENTEDGE);
  ui::CreateChild(h, L"STATIC", "IP 地址", SS_LEFT, 176, y + 5, 48, 16, -1);
  ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 226, y + 2, 110, 21, kEdtIp,
                  WS_EX_CLIENTEDGE);
  ui::CreateChild(h, L"BUTTON", "分配", WS_TABSTOP | BS_DEFPUSHBUTTON, 346, y, 80, 26, kBtnAssign);
  ui::CreateChild(h, L"BUTTON", "全部按规则分配", WS_TABSTOP | BS_PUSHBUTTON, 432, y, 150, 26,
                  kBtnAssignAll);
  ui::CreateChild(h, L"BUTTON", "关闭", WS_TABSTOP | BS_PUSHBUTTON, kClientWidth - 128, y, 120, 26,
                  kBtnClose);
  Refresh();
  return true;
}

void TAssignDialog::Refresh() {
  SetWindowTextW(GetDlgItem(hwnd(), kStatus),
                 ui::Wide(StrFormat("正在 UDP 端口 %u 上等待克隆机的申请（关闭本窗口即停止）。"
                                    "其他安装包的申请 %u 个，忽略 %u 个。",
                                    kAssignPort, static_cast<unsigned>(desk_.other_packages()),
                                    static_cast<unsigned>(desk_.ignored())))
                     .c_str());
  SendMessageW(list_, LVM_SETITEMCOUNT, desk_.rows().size(), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, FALSE);
}

void TAssignDialog::OnArrival() {
  std::string datagram, answer;
  std::uint32_t from = 0;
  const size_t before = desk_.rows().size();
  while (socket_.TakeWaiting(datagram, from)) {
    answer = desk_.Hear(datagram, from, NowMs());
    if (!answer.empty()) socket_.Broadcast(answer);
  }
  Refresh();
  if (before == 0 && !desk_.rows().empty()) {
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ProposeForSelection();
  }
}

int TAssignDialog::Selected() const {
  return ListView_GetNextItem(list_, -1, LVNI_SELECTED);
}

void TAssignDialog::ProposeForSelection() {
  const int row = Selected();
  if (row < 0 || static_cast<size_t>(row) >= desk_.rows().size()) return;
  const DeskRow& r = desk_.rows()[static_cast<size_t>(row)];
  std::string ip = r.ip, name = r.assigned_name;
  if (!r.Assigned()) desk_.Propose(hosts_, pattern_, ip, name);
  ui::SetText(GetDlgItem(hwnd(), kEdtName), name);
  ui::SetText(GetDlgItem(hwnd(), kEdtIp), ip);
}

bool TAssignDialog::AssignRow(size_t row, const std::string& ip, const std::string& name,
                              bool quiet) {
  std::string answer;
  const std::string problem = desk_.Assign(row, ip, name, hosts_, answer);
  if (!problem.empty()) {
    if (!quiet) ui::ShowMessage("克隆机申请", "不能分配：" + problem, MB_OK | MB_ICONWARNING);
    return false;
  }
  added_ = true;
  socket_.Broadcast(answer);
  return true;
}

void TAssignDialog::btnAssignClick() {
  const int row = Selected();
  if (row < 0) return;
  const bool was = desk_.rows()[static_cast<size_t>(row)].Assigned();
  AssignRow(static_cast<size_t>(row), ui::GetText(GetDlgItem(hwnd(), kEdtIp)),
            ui::GetText(GetDlgItem(hwnd(), kEdtName)), was);
  Refresh();
}

void TAssignDialog::btnAssignAllClick() {
  size_t refused = 0;
  for (size_t i = 0; i < desk_.rows().size(); ++i) {
    if (desk_.rows()[i].Assigned()) continue;
    std::string ip, name;
    desk_.Propose(hosts_, pattern_, ip, name);
    if (!AssignRow(i, ip, name, true)) ++refused;
  }
  Refresh();
  if (refused)
    ui::ShowMessage(
        "克隆机申请",
        StrFormat("有 %u 台按规则分配不成，请逐台分配。", static_cast<unsigned>(refused)),
        MB_OK | MB_ICONWARNING);
}

void TAssignDialog::OnGetDispInfo(LVITEMW& item) {
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= desk_.rows().size()) return;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const DeskRow& r = desk_.rows()[static_cast<size_t>(item.iItem)];
  std::string text;
  switch (item.iSubItem) {
    case 0:
      for (const std::string& m : r.macs) text += (text.empty() ? "" : ", ") + m;
      break;
    case 1:
      text = r.name;
      break;
    case 2:
      text = DottedQuad(r.sender);
      break;
    case 3:
      text = TimeText(r.first);
      break;
    case 4:
      text = TimeText(r.last);
      break;
    case 5:
      text = r.Assigned() ? r.ip + " " + r.assigned_name : "等待分配";
      break;
  }
  disp_text_ = ui::Wide(text);
  const size_t n = std::min(disp_text_.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::copy_n(disp_text_.data(), n, item.pszText);
  item.pszText[n] = L'\0';
}

LRESULT TAssignDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kMsgArrival:
      OnArrival();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kBtnAssign) btnAssignClick();
      if (LOWORD(wp) == kBtnAssignAll) btnAssignAllClick();
      if (LOWORD(wp) == kBtnClose) done_ = true;
      return 0;
    case WM_NOTIFY: {
      NMHDR* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->idFrom != kList) break;
      if (hdr->code == LVN_GETDISPINFOW)
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(hdr)->item);
      else if (hdr->code == LVN_ITEMCHANGED)
        ProposeForSelection();
      return 0;
    }
    case DM_GETDEFID:
      return MAKELONG(kBtnAssign, DC_HASDEFID);
    case WM_CLOSE:
      done_ = true;
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
