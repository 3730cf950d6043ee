// The dialog "克隆机申请": while it is open the window listens on the assignment port for the
// requests of clones the package does not list, shows one line per clone of this package,
// and gives the chosen line (or every waiting line, by the naming pattern) its name and
// address, which become host rows and are answered by broadcast. Closing it closes the port.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "hostlist/host_list.h"
#include "hostlist/name_pattern.h"
#include "package/assign_desk.h"
#include "package/win32/assign_socket.h"
#include "package/win32/win_crypto.h"
#include "ui/window.h"

namespace lr {

class TAssignDialog : public ui::Window {
 public:
  static constexpr const wchar_t* kClassName = L"TAssignDialog";
  enum : int {
    kStatus = 700,
    kList,
    kEdtName,
    kEdtIp,
    kBtnAssign,
    kBtnAssignAll,
    kBtnClose = IDCANCEL
  };
  static constexpr int kClientWidth = 720;
  static constexpr int kClientHeight = 400;
  static constexpr UINT kMsgArrival = WM_APP + 40;

  // Runs the dialog modally over `owner` with the key and options of the settings file at
  // `settings_path` (the master's own); true when rows were added to `hosts`. Without a key
  // it only says how to get one. `port` 0 is the assignment port.
  static bool Run(HWND owner, HostList& hosts, const NamePattern& pattern,
                  const std::string& settings_path, std::uint16_t port = 0);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  TAssignDialog(HostList& hosts, const NamePattern& pattern, std::string key,
                PreflightOptions options);
  bool Create(HWND owner);
  void OnArrival();
  void Refresh();
  void ProposeForSelection();
  int Selected() const;
  bool AssignRow(size_t row, const std::string& ip, const std::string& name, bool quiet);
  void btnAssignClick();
  void btnAssignAllClick();
  void OnGetDispInfo(LVITEMW& item);

  HostList& hosts_;
  const NamePattern& pattern_;
  WinCrypto crypto_;
  AssignDesk desk_;
  AssignSocket socket_;
  HWND list_ = nullptr;
  std::wstring disp_text_;
  bool added_ = false;
  bool done_ = false;
};

}  // namespace lr
