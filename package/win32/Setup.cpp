#include "package/win32/Setup.h"

#include <commctrl.h>

#include "package/assign_wire.h"
#include "package/win32/Preflight.h"
#include "package/win32/win_crypto.h"
#include "package/win32/package_target.h"
#include "ui/controls.h"
#include "ui/file_dialog.h"
#include "ui/modal.h"
#include "ui/shell.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr const wchar_t* kWebPage = L"https://lanroster.example.com/";
constexpr const char* kNoAddress = "0.0.0.0";
constexpr UINT kMsgFocusFirst = WM_APP + 1;
constexpr COLORREF kLinkColor = RGB(0, 0, 255);

bool Checked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HFONT MakeFont(int height, int weight, bool underline) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfUnderline = underline;
  lf.lfCharSet = GB2312_CHARSET;
  wcscpy(lf.lfFaceName, ui::Wide("宋体").c_str());
  return CreateFontIndirectW(&lf);
}

}  // namespace

TForm2::TForm2(HostList& hosts, TargetFactory make_target)
    : hosts_(hosts), make_target_(std::move(make_target)) {
  if (!make_target_) make_target_ = [] { return std::make_unique<WinPackageTarget>(); };
}

TForm2::~TForm2() {
  if (title_font_) DeleteObject(title_font_);
  if (link_font_) DeleteObject(link_font_);
}

bool TForm2::Create(HWND owner_window) {
  owner_window_ = owner_window;
  if (!CreateDialogOf(L"TForm2", "配置并生成客户端", kClientWidth, kClientHeight, owner_window,
                      WS_MINIMIZEBOX))
    return false;
  CreateControls();
  return true;
}

void TForm2::CreateControls() {
  HWND h = hwnd();
  title_font_ = MakeFont(-16, FW_BOLD, false);
  link_font_ = MakeFont(-12, FW_NORMAL, true);

  HWND title = ui::CreateChild(h, L"STATIC", "设置程序生成器", SS_LEFT, 14, 12, 200, 20, -1);
  SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(title_font_), TRUE);
  HWND credit = ui::CreateChild(h, L"STATIC", "Lanroster 开发组 出品", SS_RIGHT | SS_NOTIFY, 281,
                                16, 186, 16, kLabel2);
  SendMessageW(credit, WM_SETFONT, reinterpret_cast<WPARAM>(link_font_), TRUE);
  ui::CreateChild(h, L"STATIC", "", SS_ETCHEDHORZ, 8, 40, 465, 2, -1);

  ui::CreateChild(h, L"BUTTON", "设置选项", BS_GROUPBOX, 8, 48, 465, 244, -1);
  ui::CreateChild(h, L"STATIC", "网吧内网关IP", SS_LEFT, 22, 74, 86, 16, -1);
  gateway_.Create(h, 108, 70, kEdtGateway, kNoAddress);
  ui::CreateChild(h, L"STATIC", "网吧子网掩码", SS_LEFT, 250, 74, 86, 16, -1);
  mask_.Create(h, 336, 70, kEdtMask, kNoAddress);

  HWND always = ui::CreateChild(h, L"BUTTON", "生成网刻后自动修改设置的程序",
                                BS_AUTOCHECKBOX | WS_DISABLED, 22, 102, 300, 18, kCheckBox4);
  SendMessageW(always, BM_SETCHECK, BST_CHECKED, 0);
  ui::CreateChild(h, L"BUTTON", "修改完成后自动重启", WS_TABSTOP | BS_AUTOCHECKBOX, 22, 126, 300,
                  18, kChkReboot);
  ui::CreateChild(h, L"BUTTON", "修改IPX协议产生随机内部网络号 [  解决红警内网无法联机问题]",
                  WS_TABSTOP | BS_AUTOCHECKBOX, 22, 150, 440, 18, kChkRA2);

  ui::CreateChild(h, L"STATIC", "修改完执行以下程序", SS_LEFT, 22, 182, 120, 16, -1);
  ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 142, 178, 290, 21, kEdtExecutePath,
                  WS_EX_CLIENTEDGE);
  ui::CreateChild(h, L"BUTTON", "...", WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT, 436, 177, 26, 23,
                  kSpeedButton1);

  ui::CreateChild(h, L"STATIC", "窗口显示模式", SS_LEFT, 22, 216, 120, 16, -1);
  ui::CreateChild(h, L"BUTTON", "正常大小", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 142, 214,
                  100, 18, kRadNormal);
  ui::CreateChild(h, L"BUTTON", "隐藏窗口", BS_AUTORADIOBUTTON, 250, 214, 100, 18, kRadHide);

  ui::CreateChild(h, L"STATIC", "万象解锁密码", SS_LEFT, 22, 254, 86, 16, -1);
  HWND pw1 = ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | WS_GROUP | ES_PASSWORD | ES_AUTOHSCROLL,
                             108, 250, 130, 21, kEdtPW1, WS_EX_CLIENTEDGE);
  ui::CreateChild(h, L"STATIC", "确认", SS_LEFT, 260, 254, 40, 16, -1);
  HWND pw2 = ui::CreateChild(h, L"EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 300, 250,
                             130, 21, kEdtPW2, WS_EX_CLIENTEDGE);
  SendMessageW(pw1, EM_SETPASSWORDCHAR, '*', 0);
  SendMessageW(pw2, EM_SETPASSWORDCHAR, '*', 0);

  ui::CreateChild(h, L"BUTTON", "生成并安装(&E)", WS_TABSTOP | BS_DEFPUSHBUTTON, 270, 302, 96, 26,
                  kBtnCreateFile);
  ui::CreateChild(h, L"BUTTON", "取消(&C)", WS_TABSTOP | BS_PUSHBUTTON, 376, 302, 96, 26, kButton2);
  ui::CreateChild(h, L"STATIC", "", SS_ETCHEDHORZ, 8, 334, 465, 2, -1);
  HWND help =
      ui::CreateChild(h, L"STATIC", "查看帮助", SS_RIGHT | SS_NOTIFY, 393, 338, 80, 14, kLabel3);
  SendMessageW(help, WM_SETFONT, reinterpret_cast<WPARAM>(link_font_), TRUE);

  // The help link's hint.
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, h,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  std::wstring hint = ui::Wide("点击打开帮助文件");
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = h;
  ti.uId = reinterpret_cast<UINT_PTR>(help);
  ti.lpszText = hint.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));

  HWND assign = ui::CreateChild(h, L"BUTTON", "未列出的克隆机向本机申请条目",
                                WS_TABSTOP | BS_AUTOCHECKBOX, 22, 273, 300, 17, kChkAssign);
  SendMessageW(assign, BM_SETCHECK, BST_CHECKED, 0);
  // In the tab order after the password it sits below.
  SetWindowPos(assign, pw2, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CreateImagingControls();
}

void TForm2::ShowModal() {
  if (showing_) return;
  closed_ = false;
  showing_ = true;
  PostMessageW(hwnd(), kMsgFocusFirst, 0, 0);
  ui::RunModal(hwnd(), owner_window_, closed_);
  showing_ = false;
  ShowBackRows();
}

void TForm2::ShowBackRows() {
  std::vector<HostList::Id> rows;
  rows.swap(back_rows_);
  if (!rows.empty() && show_rows_) show_rows_(rows);
}

GeneratorInputs TForm2::Inputs() const {
  GeneratorInputs in;
  in.gateway = gateway_.IPString();
  in.mask = mask_.IPString();
  in.password1 = ui::GetText(Control(kEdtPW1));
  in.password2 = ui::GetText(Control(kEdtPW2));
  in.reboot = Checked(Control(kChkReboot));
  in.modify_ra2 = Checked(Control(kChkRA2));
  in.execute_path = ui::GetText(Control(kEdtExecutePath));
  in.window_mode = Checked(Control(kRadNormal)) ? GeneratorInputs::WindowMode::kNormal
                   : Checked(Control(kRadHide)) ? GeneratorInputs::WindowMode::kHidden
                                                : GeneratorInputs::WindowMode::kNone;
  if (Checked(Control(kChkAssign))) {
    WinCrypto crypto;  // a new key, used unless the package in place has one
    in.assign_key = NewAssignKeyText(crypto);
  }
  ReadImagingInputs(in);
  return in;
}

void TForm2::btnCreateFileClick() {
  std::unique_ptr<PackageTarget> target = make_target_();
  std::vector<HostList::Id> problem_rows;
  const GenerateOutcome outcome = GeneratePackage(
      Inputs(), hosts_, *target, [&](const std::vector<PreflightProblem>& found, size_t converted) {
        problem_rows.clear();
        for (const PreflightProblem& p : found)
          if (p.row && (problem_rows.empty() || problem_rows.back() != p.id))
            problem_rows.push_back(p.id);
        return TPreflightDialog::Ask(hwnd(), found, converted);
      });
  // The main window's list shows the converted and fixed rows.
  if (owner_window_)
    RedrawWindow(owner_window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  if (outcome == GenerateOutcome::kGenerated) Close();
  // Back to the rows: the dialog closes with its options kept for the next opening. A
  // problem of the options alone is corrected here, so the dialog stays.
  if (outcome == GenerateOutcome::kBack && !problem_rows.empty()) {
    back_rows_ = std::move(problem_rows);
    Close();
    if (!showing_) ShowBackRows();
  }
}

void TForm2::Button2Click() {
  Close();
}

void TForm2::SpeedButton1Click() {
  ui::FileDialogRequest request;
  request.kind = ui::FileDialogRequest::Kind::kOpen;
  request.owner = hwnd();
  const ui::FileDialogResult chosen = ui::ShowFileDialog(request);
  if (chosen.chosen) ui::SetText(Control(kEdtExecutePath), ui::Gbk(chosen.path.wstring()));
}

void TForm2::Label2Click() {
  ui::ShellOpen(kWebPage);
}

void TForm2::Label3Click() {
  ui::ShellOpen(ui::ExecutableFolder() + L"Help.txt");
}

void TForm2::Close() {
  closed_ = true;
  if (!showing_) ShowWindow(hwnd(), SW_HIDE);
}

bool TForm2::IsLink(HWND control) const {
  return control == Control(kLabel2) || control == Control(kLabel3);
}

LRESULT TForm2::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kBtnCreateFile:
          btnCreateFileClick();
          break;
        case kButton2:
          Button2Click();
          break;
        case kSpeedButton1:
          SpeedButton1Click();
          break;
        case kLabel2:
          if (HIWORD(wp) == STN_CLICKED) Label2Click();
          break;
        case kLabel3:
          if (HIWORD(wp) == STN_CLICKED) Label3Click();
          break;
      }
      return 0;
    case DM_GETDEFID:
      return MAKELONG(kBtnCreateFile, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
      if (IsLink(reinterpret_cast<HWND>(lp))) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, kLinkColor);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (IsLink(reinterpret_cast<HWND>(wp))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case kMsgFocusFirst:
      gateway_.Focus();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
