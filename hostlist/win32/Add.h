// TFrmAdd, the record dialog: adds host records by hand (add mode) and corrects the
// selected record (edit mode). Created once, hidden, and shown modally for every use; its
// caption is its mode, and whenever it is not showing it is in add mode with empty inputs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "hostlist/host_list.h"
#include "hostlist/record_dialog_rules.h"
#include "hostlist/win32/Unit1_address.h"
#include "ui/window.h"

namespace lr {

// What the dialog needs of the window that owns the host list.
class RecordDialogOwner {
 public:
  virtual ~RecordDialogOwner() = default;
  virtual HostList& Hosts() = 0;
  // The position of the selected record, if one is selected.
  virtual std::optional<size_t> SelectedRecord() = 0;
  virtual void HostsChanged() = 0;
};

class TFrmAdd : public ui::Window {
 public:
  // Control ids (BitBtn1 and BitBtn2 are the dialog's OK and cancel buttons).
  enum : int { kGroupBox1 = 200, kAddIP, kEdtMAC, kEdtName, kBitBtn1 = IDOK, kBitBtn2 = IDCANCEL };
  static constexpr int kClientWidth = 264;
  static constexpr int kClientHeight = 186;

  explicit TFrmAdd(RecordDialogOwner& owner) : owner_(owner) {}

  // Creates the dialog hidden, in add mode, owned by `owner_window`.
  bool Create(HWND owner_window);

  // Shows the dialog modally; returns when it is closed.
  void ShowModal();
  bool Showing() const { return showing_; }

  // Puts the dialog into edit mode with the inputs of `record` (the address through the
  // control's setter, which ignores text that is not a dotted address).
  void PrepareEdit(const HostRecord& record);

  // Handlers.
  void BitBtn1Click();
  void BitBtn2Click();
  void FormClose();

  RecordInputs Inputs() const;
  std::string GroupCaption() const;
  HWND edtMAC() const { return edt_mac_; }
  HWND edtName() const { return edt_name_; }
  AddressBox& AddIP() { return add_ip_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ResetToAddMode();
  void Close();

  RecordDialogOwner& owner_;
  HWND owner_window_ = nullptr;
  HWND group_ = nullptr;
  AddressBox add_ip_;
  HWND edt_mac_ = nullptr;
  HWND edt_name_ = nullptr;
  RecordInputs opened_;  // what edit mode showed at first
  bool showing_ = false;
  bool closed_ = true;
};

}  // namespace lr
