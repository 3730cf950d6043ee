// TForm2, the generator dialog "配置并生成客户端": the café-wide options (gateway, mask,
// restart, IPX network number, a program to start and its window mode, the unlock password
// twice) and the button that writes the client package from the host list.
//
// Created once at start, hidden, and shown modally from the main window; the same object is
// reused, so its controls keep their values from one opening to the next.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "hostlist/win32/Unit1_address.h"
#include "package/generator.h"
#include "ui/window.h"

namespace lr {

class TForm2 : public ui::Window {
 public:
  enum : int {
    kLabel2 = 300,
    kLabel3,
    kEdtGateway,
    kEdtMask,
    kCheckBox4,
    kChkReboot,
    kChkRA2,
    kEdtExecutePath,
    kSpeedButton1,
    kRadNormal,
    kRadHide,
    kEdtPW1,
    kEdtPW2,
    kChkAssign,
    kChkFastStartup,
    kEdtDns1,
    kEdtDns2,
    kBtnCreateFile = IDOK,
    kButton2 = IDCANCEL
  };
  static constexpr int kClientWidth = 481;
  // The designed 354, and the rows of the DNS servers and the Fast Startup check box.
  static constexpr int kClientHeight = 354 + 52;

  using TargetFactory = std::function<std::unique_ptr<PackageTarget>()>;

  // `hosts` is the main window's host list, read at each generation and changed by the
  // fixes of the check. The package goes to the real machine unless a test gives another
  // target.
  explicit TForm2(HostList& hosts, TargetFactory make_target = {});
  ~TForm2() override;

  bool Create(HWND owner_window);
  void ShowModal();
  // Shows the main list's rows that the administrator went back to correct from the check
  // ("返回修改"); called once the dialog is closed.
  void SetShowRows(std::function<void(const std::vector<HostList::Id>&)> show_rows) {
    show_rows_ = std::move(show_rows);
  }
  bool Showing() const { return showing_; }

  // Handlers.
  void btnCreateFileClick();
  void Button2Click();
  void SpeedButton1Click();
  void Label2Click();
  void Label3Click();

  // The options as the dialog holds them now.
  GeneratorInputs Inputs() const;
  AddressBox& edtGateway() { return gateway_; }
  AddressBox& edtMask() { return mask_; }
  AddressBox& edtDns1() { return dns1_; }
  AddressBox& edtDns2() { return dns2_; }
  HWND Control(int id) const { return GetDlgItem(hwnd(), id); }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  // The DNS row and the Fast Startup check box, in rows inserted among the designed ones
  // (Setup_imaging.cpp); their inputs.
  void CreateImagingControls();
  void ReadImagingInputs(GeneratorInputs& in) const;
  void Close();
  void ShowBackRows();
  bool IsLink(HWND control) const;

  HostList& hosts_;
  TargetFactory make_target_;
  std::function<void(const std::vector<HostList::Id>&)> show_rows_;
  std::vector<HostList::Id> back_rows_;
  HWND owner_window_ = nullptr;
  AddressBox gateway_;
  AddressBox mask_;
  AddressBox dns1_;
  AddressBox dns2_;
  HFONT title_font_ = nullptr;
  HFONT link_font_ = nullptr;
  bool showing_ = false;
  bool closed_ = true;
};

}  // namespace lr
