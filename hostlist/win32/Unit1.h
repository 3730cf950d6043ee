// TForm1, Lanroster's main window: the scan options, the toolbar, the host list shown as a
// virtual list over the model, the popup menu, the status bar and the hidden progress
// panel. Its handlers drive the scan run, the record dialog, the list files, help and exit.
//
// The window owns the host list and runs every handler on its thread; the scan run reaches
// the window only through ScanView, the record dialog through RecordDialogOwner.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "hostlist/list_files.h"
#include "hostlist/list_selection.h"
#include "hostlist/name_pattern.h"
#include "hostlist/win32/Add.h"
#include "hostlist/win32/Unit1_address.h"
#include "scanner/scan_view.h"
#include "scanner/win32/scan_run.h"
#include "ui/controls.h"
#include "ui/window.h"

namespace lr {

struct TForm1Options {
  ScanRunOptions scan;
  // btnInstallClick with records in the list: the generator dialog, shown modally.
  std::function<void()> show_generator;
  // Ends the program's message loop (the menu exit, and the end of a closing).
  std::function<void()> quit;
  // The subnet mask the generator last used (dotted), for the batch naming's addresses;
  // empty when there is none.
  std::function<std::string()> generator_mask;
  // 移除客户端...: takes the client package off this machine.
  std::function<void()> remove_client;
};

class TForm1 : public ui::Window, public ScanView, public RecordDialogOwner {
 public:
  // Command ids: the toolbar buttons, and the popup items that run the same handlers.
  enum Command : int {
    kBtnScan = 101,
    kBtnStop,
    kSpeedButton1,  // 手动添加, also N1
    kSpeedButton2,  // 编辑记录, also N2
    kSpeedButton3,  // 删除记录, also N3
    kBtnExport,     // also N5
    kSpeedButton4,  // 导入列表
    kBtnInstall,
    kBtnHelp,  // also N6
    kN10,      // 批量解析计算机名
    kN8,       // 退出程序
    // 对比花名册...
    kRosterItem,
    // 批量命名
    kNamePattern,
    kMnuWake,       // 网络唤醒
    kRemoveClient,  // 移除客户端...
    // 克隆机申请...
    kCloneRequests,
  };
  // Child control ids.
  enum : int {
    kGroupBox1 = 300,
    kEdtStart,
    kEdtEnd,
    kComboBox1,
    kSpinEdit1,
    kSpinButton,
    kToolBar,
    kListview1,
    kStatusBar1,
    kPanel1,
    kChkFast,  // 快速扫描
  };
  static constexpr int kWidth = 840;
  static constexpr int kHeight = 576;

  explicit TForm1(TForm1Options options);
  ~TForm1() override;

  // FormCreate: the window and its controls, hidden, centred; the scan run bound to it.
  bool Create();
  // The record dialog, created after the main window.
  void SetRecordDialog(TFrmAdd* dialog) { frm_add_ = dialog; }
  void Show();
  HACCEL Accelerators() const { return accelerators_; }
  HMENU PopupMenu() const { return popup_; }

  // ScanView and RecordDialogOwner.
  HostList& Hosts() override { return hosts_; }
  void HostsChanged() override;
  void SetStatus(int panel, const std::string& text) override;
  void SetButtonEnabled(ScanButton button, bool enabled) override;
  void ShowProgress(bool shown) override;
  void SetProgressCaption(const std::string& text) override;
  void ProcessPendingInput() override;
  void ShowError(const std::string& text) override;
  std::optional<size_t> SelectedRecord() override;
  bool CloseAsked() override;
  // Selects the rows of these records (several at once), the first one shown and focused.
  void SelectRecords(const std::vector<HostList::Id>& ids);
  // Brings the list control up to the model at once (HostsChanged refreshes it shortly).
  void RefreshList();

  // Handlers.
  void btnScanClick();
  void btnStopClick();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void btnExportClick();
  void SpeedButton4Click();
  void btnInstallClick();
  void btnHelpClick();
  void N10Click();
  void N8Click();
  void RosterItemClick();
  void NamePatternClick();
  void mnuWakeClick();
  void RemoveClientClick();
  void CloneRequestsClick();
  void StatusBar1Click();
  void Listview1ColumnClick(int column);
  // True when the window may close; false keeps it open (a failed save).
  bool FormCloseQuery();
  void FormClose();

  // The controls, for the handlers' callers and for tests.
  AddressBox& edtStart() { return edt_start_; }
  AddressBox& edtEnd() { return edt_end_; }
  HWND control(int id) const { return GetDlgItem(hwnd(), id); }
  bool ButtonEnabled(Command button) const;
  std::string StatusText(int panel) const;
  ScanRun& Scan() { return *scan_; }

  // The texts of the help box and the maker's web page.
  static std::string HelpText();
  static const wchar_t* WebPage();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void CreateToolBar();
  void CreateListView();
  void CreateStatusBar();
  void Layout();
  void OnCommand(int id, int code, HWND from);
  LRESULT OnNotify(NMHDR* hdr);
  LRESULT OnListNotify(NMHDR* hdr);
  void OnContextMenu(HWND from, LPARAM lp);
  void SelectionChangedByUser();
  void BeginEditAddress();
  bool SaveListAs(ListLayout layout, const char* success_text);
  // The open dialog of the list files; false when cancelled or left without a name (said so).
  bool ChooseListToRead(std::filesystem::path& path, ListFileKind& kind);
  static LRESULT CALLBACK LabelEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR data);

  TForm1Options options_;
  HostList hosts_;
  SelectionTracker selection_;
  std::unique_ptr<ScanRun> scan_;
  TFrmAdd* frm_add_ = nullptr;

  AddressBox edt_start_;
  AddressBox edt_end_;
  HWND combo_ = nullptr;
  HWND spin_edit_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND list_ = nullptr;
  HWND status_ = nullptr;
  HWND panel_ = nullptr;
  HWND tooltip_ = nullptr;
  HMENU popup_ = nullptr;
  HACCEL accelerators_ = nullptr;
  ui::GdiObject<HBITMAP> row_bitmap_;
  HIMAGELIST row_images_ = nullptr;
  std::wstring disp_text_;
  HostList::Id editing_ = 0;
  static constexpr UINT_PTR kListRefreshTimer = 1;
  static constexpr UINT kListRefreshMs = 100;
  bool list_refresh_pending_ = false;
  bool syncing_selection_ = false;
  bool edit_escaped_ = false;
  int in_scan_click_ = 0;
  bool close_pending_ = false;
  NamePattern name_pattern_;  // the batch naming dialog's inputs, kept for its next opening
};

}  // namespace lr
