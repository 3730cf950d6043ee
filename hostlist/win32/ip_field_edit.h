// TIPFieldEdit: one octet field of the address control, a borderless, centred single-line
// edit of at most three characters. It subclasses the system's EDIT window and asks the
// control's core about every typed character, arrow key, click and focus arrival before the
// edit sees them.
#pragma once

#include <windows.h>

#include <string>

#include "hostlist/ip_edit_core.h"

namespace lr {

class TIPEdit;

class TIPFieldEdit {
 public:
  TIPFieldEdit(TIPEdit& owner, int position) : owner_(owner), position_(position) {}
  ~TIPFieldEdit();
  TIPFieldEdit(const TIPFieldEdit&) = delete;
  TIPFieldEdit& operator=(const TIPFieldEdit&) = delete;

  // Creates the edit as a child of the control with the text "0"; false if the system
  // refused.
  bool Create(HWND parent, bool tab_stop, bool read_only);

  HWND Handle() const { return hwnd_; }
  // 0 for the first octet to 3 for the last.
  int Position() const { return position_; }

  std::string Text() const;
  // Replaces the text without a change notification; the caret goes to the start.
  void SetText(const std::string& text);
  // True while SetText runs, so the control ignores the edit's own change notification.
  bool SettingText() const { return setting_text_; }

  IPSelection Selection() const;
  void SetSelection(int start, int length);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

  LRESULT FieldChar(WPARAM wp, LPARAM lp);
  LRESULT FieldKeyDown(WPARAM wp, LPARAM lp);
  LRESULT FieldMouseDown(WPARAM wp, LPARAM lp);
  LRESULT FieldEnter(WPARAM wp, LPARAM lp);
  LRESULT FieldGetDlgCode(WPARAM wp, LPARAM lp);

  TIPEdit& owner_;
  const int position_;
  HWND hwnd_ = nullptr;
  WNDPROC edit_proc_ = nullptr;
  bool setting_text_ = false;
};

}  // namespace lr
