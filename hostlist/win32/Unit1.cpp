#include "hostlist/win32/Unit1.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "hostlist/win32/assign_dialog.h"
#include "hostlist/win32/RosterCompare.h"
#include "hostlist/win32/pattern_dialog.h"
#include "package/client_settings.h"
#include "scanner/win32/wake_sender.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/modal.h"
#include "ui/shell.h"
#include "ui/text.h"

namespace lr {

namespace {

constexpr const char* kCaption = "Lanroster 网吧客户机批量命名与地址设置 [Lanroster 开发组]";
constexpr const char* kAuthorLine = "Lanroster 开发组";
constexpr const wchar_t* kWebPage = L"https://lanroster.example.com/";
constexpr const char* kListFilter = "文本文件(*.txt)|*.txt";
constexpr const char* kImportFilter = "文本文件|*.txt|CSV 文件(*.csv)|*.csv";
constexpr const char* kExportFilter = "文本文件(*.txt)|*.txt|CSV 文件(*.csv)|*.csv";
constexpr int kCsvFilterIndex = 2;  // in the import and export filters
constexpr const char* kDefaultListName = "NetInfo.txt";
constexpr const char* kDefaultListExt = "txt";

constexpr ui::ListColumn kColumns[] = {
    {"IP地址", 130, LVCFMT_LEFT},     {"MAC地址", 130, LVCFMT_CENTER},
    {"工作组", 130, LVCFMT_CENTER},   {"计算机名", 130, LVCFMT_CENTER},
    {"备注及其它", 250, LVCFMT_LEFT},
};

struct ButtonSpec {
  int id;
  const char* caption;
  int image;  // index in the common controls' small standard bitmaps
  bool enabled;
};
constexpr ButtonSpec kButtons[] = {
    {TForm1::kBtnScan, "开始扫描", STD_FIND, true},
    {TForm1::kBtnStop, "停止扫描", STD_UNDO, false},
    {TForm1::kSpeedButton1, "手动添加", STD_FILENEW, true},
    {TForm1::kSpeedButton2, "编辑记录", STD_PROPERTIES, true},
    {TForm1::kSpeedButton3, "删除记录", STD_DELETE, true},
    {TForm1::kBtnExport, "导出记录", STD_FILESAVE, true},
    {TForm1::kSpeedButton4, "导入列表", STD_FILEOPEN, true},
    {TForm1::kBtnInstall, "客户端配置", STD_PRINT, true},
    {TForm1::kBtnHelp, "使用帮助", STD_HELP, true},
};

// Keyboard shortcuts of the toolbar and the popup menu. Keys that edits use themselves
// (Delete, Enter, Ctrl+C/V/X/Z/A) are left to them; the list handles Delete, Enter and F2.
constexpr ACCEL kAccelerators[] = {
    {FVIRTKEY, VK_F5, TForm1::kBtnScan},
    {FVIRTKEY, VK_F6, TForm1::kBtnStop},
    {FVIRTKEY | FCONTROL, 'N', TForm1::kSpeedButton1},
    {FVIRTKEY | FCONTROL, 'E', TForm1::kSpeedButton2},
    {FVIRTKEY | FCONTROL, 'D', TForm1::kSpeedButton3},
    {FVIRTKEY | FCONTROL, 'S', TForm1::kBtnExport},
    {FVIRTKEY | FCONTROL, 'O', TForm1::kSpeedButton4},
    {FVIRTKEY | FCONTROL, 'G', TForm1::kBtnInstall},
    {FVIRTKEY, VK_F1, TForm1::kBtnHelp},
    {FVIRTKEY | FCONTROL, 'R', TForm1::kN10},
    {FVIRTKEY | FCONTROL, 'K', TForm1::kRosterItem},
    {FVIRTKEY | FCONTROL, 'M', TForm1::kNamePattern},
    {FVIRTKEY | FCONTROL, 'W', TForm1::kMnuWake},
};

int ButtonCommand(ScanButton button) {
  switch (button) {
    case ScanButton::kStop:
      return TForm1::kBtnStop;
    case ScanButton::kAdd:
      return TForm1::kSpeedButton1;
    case ScanButton::kEdit:
      return TForm1::kSpeedButton2;
    case ScanButton::kInstall:
      return TForm1::kBtnInstall;
  }
  return 0;
}

// The one 16 x 16 picture of the list rows: a small computer.
HBITMAP MakeComputerBitmap() {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  auto fill = [&](int l, int t, int r, int b, COLORREF c) {
    RECT rc{l, t, r, b};
    HBRUSH br = CreateSolidBrush(c);
    FillRect(dc, &rc, br);
    DeleteObject(br);
  };
  fill(0, 0, 16, 16, RGB(255, 0, 255));     // transparent
  fill(1, 1, 15, 11, RGB(64, 64, 64));      // monitor frame
  fill(2, 2, 14, 10, RGB(0, 128, 192));     // screen
  fill(4, 3, 9, 5, RGB(160, 220, 255));     // reflection
  fill(6, 11, 10, 13, RGB(96, 96, 96));     // stand
  fill(2, 13, 14, 15, RGB(192, 192, 192));  // base
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}

}  // namespace

TForm1::TForm1(TForm1Options options) : options_(std::move(options)) {}

TForm1::~TForm1() {
  scan_.reset();
  if (hwnd()) DestroyWindow(hwnd());
  if (popup_) DestroyMenu(popup_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (row_images_) ImageList_Destroy(row_images_);
}

std::string TForm1::HelpText() {
  return "点击列表框的计算机名字段即可进行表格排序！\r\n"
         "版本：" LR_VERSION
         "\r\n"
         "作者：Lanroster 开发组\r\n"
         "主页：https://lanroster.example.com/\r\n"
         "联系方式：见程序目录下的 Help.txt";
}

const wchar_t* TForm1::WebPage() {
  return kWebPage;
}

bool TForm1::Create() {
  if (!CreateWindowOf(L"TForm1", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW, ui::Wide(kCaption),
                      CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr,
                      LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")))
    return false;
  ui::CenterOnScreen(hwnd());
  CreateControls();
  accelerators_ = CreateAcceleratorTableW(const_cast<ACCEL*>(kAccelerators),
                                          static_cast<int>(std::size(kAccelerators)));
  Layout();
  scan_ = std::make_unique<ScanRun>(*this, options_.scan);
  return true;
}

void TForm1::Show() {
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
  edt_start_.Focus();
}

// ---- controls ------------------------------------------------------------------------

void TForm1::CreateControls() {
  HWND h = hwnd();
  ui::CreateChild(h, L"BUTTON", "扫描选项设置", BS_GROUPBOX, 6, 2, 812, 50, kGroupBox1);
  ui::CreateChild(h, L"STATIC", "起始地址", SS_LEFT, 16, 24, 50, 16, -1);
  edt_start_.Create(h, 68, 20, kEdtStart, "192.168.0.1");
  ui::CreateChild(h, L"STATIC", "结束地址", SS_LEFT, 208, 24, 50, 16, -1);
  edt_end_.Create(h, 260, 20, kEdtEnd, "192.168.0.254");
  ui::CreateChild(h, L"STATIC", "选择扫描协议", SS_LEFT, 402, 24, 76, 16, -1);
  combo_ = ui::CreateChild(h, L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 480, 20, 80,
                           120, kComboBox1);
  for (const char* item : {"NetBios", "ICMP"})
    SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::Wide(item).c_str()));
  SendMessageW(combo_, CB_SETCURSEL, 0, 0);
  ui::CreateChild(h, L"STATIC", "设置扫描超时", SS_LEFT, 578, 24, 76, 16, -1);
  spin_edit_ = ui::CreateChild(h, L"EDIT", "100", WS_TABSTOP | ES_AUTOHSCROLL, 656, 20, 58, 21,
                               kSpinEdit1, WS_EX_CLIENTEDGE);
  HWND spin = CreateWindowExW(
      0, UPDOWN_CLASSW, nullptr,
      WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS, 0,
      0, 0, 0, h, reinterpret_cast<HMENU>(INT_PTR{kSpinButton}), GetModuleHandleW(nullptr),
      nullptr);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(spin_edit_), 0);
  SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(INT_MIN + 1), INT_MAX);
  SendMessageW(spin, UDM_SETPOS32, 0, 100);
  ui::CreateChild(h, L"STATIC", "毫秒", SS_LEFT, 720, 24, 26, 16, -1);
  ui::CreateChild(h, L"BUTTON", "快速扫描", WS_TABSTOP | BS_AUTOCHECKBOX, 750, 22, 66, 18,
                  kChkFast);

  CreateToolBar();
  CreateListView();
  CreateStatusBar();

  // The progress panel of the ICMP sweep, hidden until a sweep shows it.
  panel_ = ui::CreateChild(h, L"STATIC", "", SS_CENTER | SS_CENTERIMAGE | WS_BORDER, 0, 0, 345, 49,
                           kPanel1, WS_EX_DLGMODALFRAME);
  ShowWindow(panel_, SW_HIDE);

  popup_ = CreatePopupMenu();
  auto item = [&](int id, const char* caption) {
    AppendMenuW(popup_, MF_STRING, static_cast<UINT_PTR>(id), ui::Wide(caption).c_str());
  };
  item(kSpeedButton2, "修改记录\tCtrl+E");
  item(kSpeedButton1, "手动添加记录\tCtrl+N");
  item(kSpeedButton3, "删除记录\tDel");
  item(kBtnExport, "导出记录\tCtrl+S");
  AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  item(kN10, "批量解析计算机名\tCtrl+R");
  item(kRosterItem, "对比花名册...\tCtrl+K");
  item(kNamePattern, "批量命名...\tCtrl+M");
  item(kMnuWake, "网络唤醒\tCtrl+W");
  AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  item(kRemoveClient, "移除客户端...");
  item(kCloneRequests, "克隆机申请...");
  AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  item(kBtnHelp, "帮助信息\tF1");
  AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
  item(kN8, "退出程序");
}

void TForm1::CreateToolBar() {
  toolbar_ =
      CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                      WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS |
                          CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER,
                      6, 56, 812, 30, hwnd(), reinterpret_cast<HMENU>(INT_PTR{kToolBar}),
                      GetModuleHandleW(nullptr), nullptr);
  SendMessageW(toolbar_, WM_SETFONT, reinterpret_cast<WPARAM>(ui::UiFont()), FALSE);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_LOADIMAGES, IDB_STD_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  std::wstring captions[std::size(kButtons)];
  TBBUTTON buttons[std::size(kButtons)]{};
  for (size_t i = 0; i < std::size(kButtons); ++i) {
    captions[i] = ui::Wide(kButtons[i].caption);
    buttons[i].iBitmap = kButtons[i].image;
    buttons[i].idCommand = kButtons[i].id;
    buttons[i].fsState = static_cast<BYTE>(kButtons[i].enabled ? TBSTATE_ENABLED : 0);
    buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    buttons[i].iString = reinterpret_cast<INT_PTR>(captions[i].c_str());
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void TForm1::CreateListView() {
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                              LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_EDITLABELS,
                          0, 0, 100, 100, hwnd(), reinterpret_cast<HMENU>(INT_PTR{kListview1}),
                          GetModuleHandleW(nullptr), nullptr);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(ui::UiFont()), FALSE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  ui::AddListColumns(list_, kColumns);
  row_images_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0);
  row_bitmap_.Reset(MakeComputerBitmap());
  ImageList_AddMasked(row_images_, row_bitmap_.get(), RGB(255, 0, 255));
  ListView_SetImageList(list_, row_images_, LVSIL_SMALL);
}

void TForm1::CreateStatusBar() {
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd(),
                            reinterpret_cast<HMENU>(INT_PTR{kStatusBar1}),
                            GetModuleHandleW(nullptr), nullptr);
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(ui::UiFont()), FALSE);
  int parts[] = {300, 550, 650};
  SendMessageW(status_, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
  std::wstring author = ui::Wide(kAuthorLine);
  // A leading tab centres a panel's text.
  SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>((L"\t" + author).c_str()));

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(status_);
  tool.lpszText = author.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TForm1::Layout() {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  SendMessageW(status_, WM_SIZE, 0, 0);
  RECT sb{};
  GetWindowRect(status_, &sb);
  const int status_height = sb.bottom - sb.top;
  const int toolbar_height = HIWORD(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0)) + 4;
  const int top = 56 + toolbar_height + 2;
  MoveWindow(toolbar_, 6, 56, std::max(0L, rc.right - 12), toolbar_height, TRUE);
  MoveWindow(list_, 0, top, rc.right, std::max(0L, rc.bottom - status_height - top), TRUE);
  MoveWindow(control(kGroupBox1), 6, 2, std::max(0L, rc.right - 12), 50, TRUE);
  RECT pr{};
  GetWindowRect(panel_, &pr);
  SetWindowPos(panel_, HWND_TOP, (rc.right - (pr.right - pr.left)) / 2,
               (rc.bottom - (pr.bottom - pr.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- ScanView ------------------------------------------------------------------------

void TForm1::HostsChanged() {
  // Telling the list control its new row count is slow on some systems (it re-lays out
  // and redraws its scroll bars), so a burst of changes is shown in one refresh a few
  // times a second; whatever reads the control first brings it up to date.
  if (list_refresh_pending_) return;
  list_refresh_pending_ = true;
  SetTimer(hwnd(), kListRefreshTimer, kListRefreshMs, nullptr);
}

void TForm1::RefreshList() {
  if (!list_refresh_pending_) return;
  list_refresh_pending_ = false;
  KillTimer(hwnd(), kListRefreshTimer);
  const int count = static_cast<int>(hosts_.Count());
  if (ListView_GetItemCount(list_) != count)
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  // The control knows rows by position only: put its selection back onto the records.
  const std::vector<size_t> want = selection_.FollowAll(hosts_);
  std::vector<size_t> shown;
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    shown.push_back(static_cast<size_t>(i));
  std::vector<size_t> wanted = want;
  std::sort(wanted.begin(), wanted.end());
  if (shown != wanted) {
    syncing_selection_ = true;
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (size_t i = 0; i < want.size(); ++i)
      ListView_SetItemState(list_, static_cast<int>(want[i]),
                            LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0),
                            LVIS_SELECTED | LVIS_FOCUSED);
    syncing_selection_ = false;
  }
  InvalidateRect(list_, nullptr, FALSE);
}

void TForm1::SetStatus(int panel, const std::string& text) {
  SendMessageW(status_, SB_SETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(ui::Wide(text).c_str()));
}

std::string TForm1::StatusText(int panel) const {
  const LRESULT r = SendMessageW(status_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0);
  std::wstring text(LOWORD(r) + 1u, L'\0');
  SendMessageW(status_, SB_GETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(LOWORD(r));
  return ui::Gbk(text);
}

void TForm1::SetButtonEnabled(ScanButton button, bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(ButtonCommand(button)),
               MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool TForm1::ButtonEnabled(Command button) const {
  return SendMessageW(toolbar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(button), 0) != 0;
}

void TForm1::ShowProgress(bool shown) {
  if (shown) SetWindowPos(panel_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(panel_, shown ? SW_SHOW : SW_HIDE);
  UpdateWindow(panel_);
}

void TForm1::SetProgressCaption(const std::string& text) {
  ui::SetText(panel_, text);
  UpdateWindow(panel_);
}

void TForm1::ProcessPendingInput() {
  ui::PumpPendingMessages(hwnd(), accelerators_);
}

void TForm1::ShowError(const std::string& text) {
  ui::ShowErrorBox(text);
}

std::optional<size_t> TForm1::SelectedRecord() {
  RefreshList();
  int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED | LVNI_FOCUSED);
  if (i < 0) i = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (i < 0 || static_cast<size_t>(i) >= hosts_.Count()) return std::nullopt;
  return static_cast<size_t>(i);
}

// ---- handlers ------------------------------------------------------------------------

void TForm1::btnScanClick() {
  // An ICMP sweep runs inside this call and lets the window handle its input; a closing
  // asked for meanwhile must wait until the sweep has returned (it uses the scan run that
  // the closing destroys).
  ++in_scan_click_;
  scan_->ScanClick(edt_start_.IPString(), edt_end_.IPString(), ui::GetText(combo_),
                   ui::GetText(spin_edit_), IsDlgButtonChecked(hwnd(), kChkFast) == BST_CHECKED);
  --in_scan_click_;
  if (in_scan_click_ == 0 && close_pending_) {
    close_pending_ = false;
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
}

void TForm1::btnStopClick() {
  scan_->StopClick();
}

void TForm1::SpeedButton1Click() {
  if (frm_add_) frm_add_->ShowModal();
}

void TForm1::SpeedButton2Click() {
  const std::optional<size_t> pos = SelectedRecord();
  if (!pos) {
    ui::ShowMessage("警告", "您并没有选中要修改的记录！", MB_OK | MB_ICONWARNING);
    return;
  }
  if (!frm_add_) return;
  frm_add_->PrepareEdit(hosts_.At(*pos));
  frm_add_->ShowModal();
}

void TForm1::SpeedButton3Click() {
  const std::optional<size_t> pos = SelectedRecord();
  if (!pos) {
    ui::ShowMessage("警告", "您并没有选中要删除的记录！", MB_OK | MB_ICONWARNING);
    return;
  }
  hosts_.RemoveAt(*pos);
  HostsChanged();
}

bool TForm1::SaveListAs(ListLayout layout, const char* success_text) {
  ui::FileDialogRequest request;
  request.kind = ui::FileDialogRequest::Kind::kSave;
  request.filter = layout == ListLayout::kExport ? kExportFilter : kListFilter;
  request.file_name = kDefaultListName;
  request.default_ext = kDefaultListExt;
  request.owner = hwnd();
  const ui::FileDialogResult chosen = ui::ShowFileDialog(request);
  if (!chosen.chosen) return true;
  // The file is the one the dialog named, after its own question about replacing it. An
  // export's layout follows the name's extension, or else the chosen filter.
  const std::filesystem::path& path = chosen.path;
  const ListLayout written_layout =
      ListSaveLayoutOf(path, layout, chosen.filter_index == kCsvFilterIndex);
  const ListWriteResult written = WriteListFile(path, hosts_, written_layout);
  const std::string shown = ui::Gbk(path.wstring());
  if (!written.status) {
    ui::ShowErrorBox("无法写入文件 \"" + shown + "\"：" + written.status.reason);
    return false;
  }
  ui::ShowMessage("提示", std::string(success_text) + "\r\n" + shown, MB_OK | MB_ICONINFORMATION);
  return true;
}

void TForm1::btnExportClick() {
  if (hosts_.Empty()) {
    ui::ShowMessage("保存文件", "没有可保存的内容！  ", MB_OK | MB_ICONWARNING);
    return;
  }
  SaveListAs(ListLayout::kExport, "全部记录已成功导出!");
}

bool TForm1::ChooseListToRead(std::filesystem::path& path, ListFileKind& kind) {
  ui::FileDialogRequest request;
  request.kind = ui::FileDialogRequest::Kind::kOpen;
  request.filter = kImportFilter;
  request.owner = hwnd();
  const ui::FileDialogResult chosen = ui::ShowFileDialog(request);
  if (!chosen.chosen) return false;
  if (chosen.path.empty()) {
    ui::ShowMessage("警告", "您没有选择任何文件，程序无法执行打开操作！", MB_OK | MB_ICONWARNING);
    return false;
  }
  path = chosen.path;
  kind = chosen.filter_index == kCsvFilterIndex ? ListFileKind::kCsv : ListFileKindOf(chosen.path);
  return true;
}

void TForm1::SpeedButton4Click() {
  std::filesystem::path path;
  ListFileKind kind;
  if (!ChooseListToRead(path, kind)) return;
  ListFileContents contents;
  const FileStatus status = ReadListFile(path, kind, contents, ui::SystemUtf8ToGbk());
  if (!status) {
    ui::ShowErrorBox("无法读取文件 \"" + ui::Gbk(path.wstring()) + "\"：" + status.reason);
    return;
  }
  for (HostRecord& r : contents.records) hosts_.Append(std::move(r));
  HostsChanged();
  const std::string report = ListFileReport(contents);
  if (!report.empty()) ui::ShowMessage("导入列表", report, MB_OK | MB_ICONWARNING);
}

void TForm1::btnInstallClick() {
  if (hosts_.Empty()) {
    ui::ShowMessage("警告", "列表中记录为空，程序无法执行以下的操作！", MB_OK | MB_ICONWARNING);
    return;
  }
  if (options_.show_generator) options_.show_generator();
}

void TForm1::btnHelpClick() {
  ui::ShowMessage("关于", HelpText(), MB_OK | MB_ICONINFORMATION);
  ui::ShellOpen(ui::ExecutableFolder() + L"Help.txt");
}

void TForm1::N10Click() {
  scan_->ResolveNamesClick();
}

void TForm1::N8Click() {
  // From the pending input of an ICMP sweep: the sweep ends before its next echo, so the
  // program's loop ends as soon as the scan click returns.
  if (in_scan_click_ > 0) scan_->StopClick();
  if (options_.quit) options_.quit();
}

// Compares the list with a roster file of the administrator's choosing, and may replace it
// by the roster brought up to date.
void TForm1::RosterItemClick() {
  std::filesystem::path path;
  ListFileKind kind;
  if (!ChooseListToRead(path, kind) ||
      !TRosterCompareDialog::CompareFile(hwnd(), path, kind, hosts_))
    return;
  // The merged list is shown at once, not at the next refresh tick.
  HostsChanged();
  RefreshList();
  UpdateWindow(list_);
}

void TForm1::NamePatternClick() {
  name_pattern_.mask = options_.generator_mask ? options_.generator_mask() : std::string();
  if (TPatternDialog::Run(hwnd(), hosts_, SelectedRecord(), name_pattern_)) {
    HostsChanged();
    RefreshList();
  }
}

void TForm1::mnuWakeClick() {
  SetStatus(0, WakeRows(hosts_, SelectedRecord()));
}

void TForm1::RemoveClientClick() {
  if (options_.remove_client) options_.remove_client();
}

void TForm1::CloneRequestsClick() {
  name_pattern_.mask = options_.generator_mask ? options_.generator_mask() : std::string();
  if (TAssignDialog::Run(hwnd(), hosts_, name_pattern_, kSettingsPathRead)) {
    HostsChanged();
    RefreshList();
  }
}

void TForm1::StatusBar1Click() {
  ui::ShellOpen(kWebPage);
}

void TForm1::Listview1ColumnClick(int column) {
  scan_->ColumnClick(column);  // sorts the model and redraws the list
}

bool TForm1::FormCloseQuery() {
  if (hosts_.Empty()) return true;
  if (ui::ShowMessage("询问", "程序退出之前，您是否想保存列表中的计算机信息？",
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return true;
  return SaveListAs(ListLayout::kSaveOnExit, "全部记录已成功导出！");
}

void TForm1::FormClose() {
  if (!AnimateWindow(hwnd(), 200, AW_HIDE | AW_CENTER)) ShowWindow(hwnd(), SW_HIDE);
  scan_->DeleteDumpFile();
  DestroyWindow(hwnd());
}

// ---- messages ------------------------------------------------------------------------

LRESULT CALLBACK TForm1::LabelEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data) {
  if (msg == WM_KEYDOWN && wp == VK_ESCAPE) reinterpret_cast<TForm1*>(data)->edit_escaped_ = true;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &TForm1::LabelEditProc, id);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void TForm1::OnCommand(int id, int code, HWND from) {
  // A shortcut key acts like its toolbar button, so it respects the button's state; a
  // popup item runs its handler whatever the button's state.
  if (code == 1 && id >= kBtnScan && id <= kBtnHelp && !ButtonEnabled(static_cast<Command>(id)))
    return;
  if (from && from != toolbar_) return;  // notifications of the other controls
  switch (id) {
    case kBtnScan:
      btnScanClick();
      break;
    case kBtnStop:
      btnStopClick();
      break;
    case kSpeedButton1:
      SpeedButton1Click();
      break;
    case kSpeedButton2:
      SpeedButton2Click();
      break;
    case kSpeedButton3:
      SpeedButton3Click();
      break;
    case kBtnExport:
      btnExportClick();
      break;
    case kSpeedButton4:
      SpeedButton4Click();
      break;
    case kBtnInstall:
      btnInstallClick();
      break;
    case kBtnHelp:
      btnHelpClick();
      break;
    case kN10:
      N10Click();
      break;
    case kN8:
      N8Click();
      break;
    case kRosterItem:
      RosterItemClick();
      break;
    case kNamePattern:
      NamePatternClick();
      break;
    case kMnuWake:
      mnuWakeClick();
      break;
    case kRemoveClient:
      RemoveClientClick();
      break;
    case kCloneRequests:
      CloneRequestsClick();
      break;
  }
}

void TForm1::SelectionChangedByUser() {
  // The rows on screen are drawn from the model as it is now, so the control's position is
  // the model's position even while a refresh of the row count is pending.
  if (syncing_selection_) return;
  int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED | LVNI_FOCUSED);
  if (i < 0) i = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (i >= 0 && static_cast<size_t>(i) < hosts_.Count())
    selection_.Select(hosts_, static_cast<size_t>(i));
  else
    selection_.Clear();
  // The administrator selects one row at a time (several are only ever the program's).
  if (ListView_GetSelectedCount(list_) > 1) {
    syncing_selection_ = true;
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    if (i >= 0) ListView_SetItemState(list_, i, LVIS_SELECTED, LVIS_SELECTED);
    syncing_selection_ = false;
  }
}

void TForm1::SelectRecords(const std::vector<HostList::Id>& ids) {
  selection_.SelectSeveral(hosts_, ids);
  list_refresh_pending_ = true;
  RefreshList();
  if (const std::optional<size_t> first = selection_.Position())
    ListView_EnsureVisible(list_, static_cast<int>(*first), FALSE);
  SetFocus(list_);
}

bool TForm1::CloseAsked() {
  MSG msg;
  return hwnd() && PeekMessageW(&msg, hwnd(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE);
}

void TForm1::BeginEditAddress() {
  RefreshList();
  const int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (i >= 0) {
    SetFocus(list_);
    SendMessageW(list_, LVM_EDITLABELW, static_cast<WPARAM>(i), 0);
  }
}

LRESULT TForm1::OnListNotify(NMHDR* hdr) {
  switch (hdr->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item;
      if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= hosts_.Count()) return 0;
      if (item.mask & LVIF_TEXT && item.pszText && item.cchTextMax > 0) {
        const HostRecord& r = hosts_.At(static_cast<size_t>(item.iItem));
        const int field = std::clamp(item.iSubItem, 0, kHostFieldCount - 1);
        disp_text_ = ui::Wide(r.Field(field));
        const size_t n = std::min(disp_text_.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(disp_text_.data(), n, item.pszText);
        item.pszText[n] = L'\0';
      }
      if (item.mask & LVIF_IMAGE) item.iImage = 0;
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
      if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
        SelectionChangedByUser();
      return 0;
    }
    case LVN_ODSTATECHANGED:
      SelectionChangedByUser();
      return 0;
    case LVN_COLUMNCLICK:
      Listview1ColumnClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
      return 0;
    case LVN_BEGINLABELEDITW: {
      const int i = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item.iItem;
      if (i < 0 || static_cast<size_t>(i) >= hosts_.Count()) return TRUE;  // refuse
      editing_ = hosts_.IdAt(static_cast<size_t>(i));
      edit_escaped_ = false;
      if (HWND edit = ListView_GetEditControl(list_))
        SetWindowSubclass(edit, &TForm1::LabelEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
      return FALSE;
    }
    case LVN_ENDLABELEDITW: {
      const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item;
      // Esc cancels. Some list controls also report an emptied (or unchanged) editor as
      // "no text", so without Esc the editor's own text is taken. The record is found by
      // its id: the list may have changed while the editor was open.
      std::optional<std::string> text;
      if (item.pszText) {
        text = ui::Gbk(item.pszText);
      } else if (!edit_escaped_) {
        if (HWND edit = ListView_GetEditControl(list_)) text = ui::GetText(edit);
      }
      if (text && hosts_.SetFieldById(editing_, kFieldIp, std::move(*text))) HostsChanged();
      editing_ = 0;
      return TRUE;
    }
    case LVN_KEYDOWN: {
      const WORD key = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
      if (key == VK_DELETE) SpeedButton3Click();
      if (key == VK_F2) BeginEditAddress();
      return 0;
    }
    case NM_RETURN:
      SpeedButton2Click();
      return 0;
  }
  return 0;
}

LRESULT TForm1::OnNotify(NMHDR* hdr) {
  if (hdr->hwndFrom == list_) return OnListNotify(hdr);
  if (hdr->hwndFrom == status_ && (hdr->code == NM_CLICK || hdr->code == NM_RCLICK)) {
    StatusBar1Click();
    return TRUE;
  }
  return 0;
}

void TForm1::OnContextMenu(HWND from, LPARAM lp) {
  if (from != list_) return;
  POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  if (lp == -1) {  // from the keyboard: below the selected row, or at the list's corner
    RECT r{};
    const int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    pt = POINT{4, 4};
    if (i >= 0 && ListView_GetItemRect(list_, i, &r, LVIR_LABEL)) pt = POINT{r.left, r.bottom};
    ClientToScreen(list_, &pt);
  }
  TrackPopupMenu(popup_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd(), nullptr);
}

LRESULT TForm1::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wp), lp);
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == status_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wp == kListRefreshTimer) RefreshList();
      return 0;
    case WM_SIZE:
      if (status_) Layout();
      return 0;
    case WM_CLOSE:
      if (in_scan_click_ > 0) {  // an ICMP sweep is running below this message
        close_pending_ = true;
        scan_->StopClick();
        return 0;
      }
      if (FormCloseQuery()) FormClose();
      return 0;
    case WM_DESTROY:
      scan_.reset();
      if (options_.quit) options_.quit();
      return 0;
  }
  return Default(msg, wp, lp);
}

}  // namespace lr
