#include "hostlist/win32/Add.h"

#include "ui/controls.h"
#include "ui/modal.h"
#include "ui/text.h"

namespace lr {

namespace {
constexpr UINT kMsgFocusFirst = WM_APP + 1;
}  // namespace

bool TFrmAdd::Create(HWND owner_window) {
  owner_window_ = owner_window;
  if (!CreateDialogOf(L"TFrmAdd", kAddModeCaption, kClientWidth, kClientHeight, owner_window))
    return false;
  HWND h = hwnd();

  group_ =
      ui::CreateChild(h, L"BUTTON", kAddModeGroupCaption, BS_GROUPBOX, 8, 6, 248, 134, kGroupBox1);
  ui::CreateChild(h, L"STATIC", "IP地址", SS_LEFT, 24, 35, 64, 16, -1);
  add_ip_.Create(h, 100, 31, kAddIP, kNoAddress);
  ui::CreateChild(h, L"STATIC", "MAC地址", SS_LEFT, 24, 71, 64, 16, -1);
  edt_mac_ = ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 100, 67, 125, 21, kEdtMAC,
                             WS_EX_CLIENTEDGE);
  ui::CreateChild(h, L"STATIC", "计算机名", SS_LEFT, 24, 107, 64, 16, -1);
  edt_name_ = ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 100, 103, 125, 21,
                              kEdtName, WS_EX_CLIENTEDGE);
  ui::CreateChild(h, L"BUTTON", "确定(&E)", WS_TABSTOP | BS_DEFPUSHBUTTON, 48, 150, 75, 25,
                  kBitBtn1);
  ui::CreateChild(h, L"BUTTON", "取消(&C)", WS_TABSTOP | BS_PUSHBUTTON, 141, 150, 75, 25, kBitBtn2);
  // The edits take any text: no length or character limit beyond the control's own.
  SendMessageW(edt_mac_, EM_SETLIMITTEXT, 0, 0);
  SendMessageW(edt_name_, EM_SETLIMITTEXT, 0, 0);
  return true;
}

void TFrmAdd::ShowModal() {
  if (showing_) return;
  closed_ = false;
  showing_ = true;
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PostMessageW(hwnd(), kMsgFocusFirst, 0, 0);
  ui::RunModal(hwnd(), owner_window_, closed_);
  showing_ = false;
}

void TFrmAdd::PrepareEdit(const HostRecord& record) {
  ui::SetText(group_, kEditModeGroupCaption);
  ui::SetText(hwnd(), kEditModeCaption);
  add_ip_.SetIPString(record.ip);
  ui::SetText(edt_mac_, record.mac);
  ui::SetText(edt_name_, record.name);
  opened_ = Inputs();
}

RecordInputs TFrmAdd::Inputs() const {
  return RecordInputs{add_ip_.IPString(), ui::GetText(edt_mac_), ui::GetText(edt_name_)};
}

std::string TFrmAdd::GroupCaption() const {
  return ui::GetText(group_);
}

void TFrmAdd::BitBtn1Click() {
  if (ModeFromCaption(ui::GetText(hwnd())) == RecordDialogMode::kAdd) {
    if (auto record = RecordToAdd(Inputs())) {
      owner_.Hosts().Append(std::move(*record));
      owner_.HostsChanged();
      ui::SetText(edt_name_, "");
      add_ip_.SetIPString(kNoAddress);
      ui::SetText(edt_mac_, "");
      add_ip_.Focus();
    }
  }
  if (ModeFromCaption(ui::GetText(hwnd())) == RecordDialogMode::kEdit) {
    // The selected record may have gone while the dialog was open; then there is nothing
    // to correct and the dialog just closes.
    if (auto pos = owner_.SelectedRecord(); pos && *pos < owner_.Hosts().Count()) {
      HostRecord record = owner_.Hosts().At(*pos);
      ApplyEdit(record, opened_, Inputs());
      owner_.Hosts().Replace(*pos, std::move(record));
      owner_.HostsChanged();
    }
    Close();
  }
}

void TFrmAdd::BitBtn2Click() {
  Close();
}

void TFrmAdd::FormClose() {
  ResetToAddMode();
}

void TFrmAdd::ResetToAddMode() {
  ui::SetText(hwnd(), kAddModeCaption);
  ui::SetText(edt_name_, "");
  add_ip_.SetIPString(kNoAddress);
  ui::SetText(edt_mac_, "");
  ui::SetText(group_, kAddModeGroupCaption);
}

void TFrmAdd::Close() {
  FormClose();
  closed_ = true;
  if (!showing_) ShowWindow(hwnd(), SW_HIDE);
}

LRESULT TFrmAdd::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == 1 || lp == 0) {
        if (LOWORD(wp) == kBitBtn1) BitBtn1Click();
        if (LOWORD(wp) == kBitBtn2) BitBtn2Click();
      }
      return 0;
    case DM_GETDEFID:
      return MAKELONG(kBitBtn1, DC_HASDEFID);
    case kMsgFocusFirst:  // posted by ShowModal: the first input gets the focus
      add_ip_.Focus();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
