// TIPEdit: the four-field IPv4 address edit control. A window of the registered class
// "TIPEdit" that paints its background and three dots and holds four TIPFieldEdit children,
// one per octet; the address is read and written as dotted text through IPString.
//
// Usable from code (TIPEdit::Create) and from dialog templates (a control of class
// "TIPEdit" after RegisterWindowClass); either way the window owns its TIPEdit object,
// which TIPEdit::FromHandle finds, and destroys it with itself. The behaviour lives in
// IPEditCore; this class carries out what the core decides and draws the control.
//
// The control keeps its own font (9 points, bold, at creation) and ignores WM_SETFONT, so a
// dialog's font does not replace it; change it with SetFont.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "hostlist/ip_edit_core.h"
#include "hostlist/ip_edit_layout.h"
#include "hostlist/win32/ip_field_edit.h"

namespace lr {

enum class TBorderStyle { bsNone, bsSingle };

// The control's font: face name (GBK), height in pixels as in a LOGFONT (negative: the
// character height), weight bold or normal.
struct TIPEditFont {
  std::string name;
  int height = 0;
  bool bold = true;
};

class TIPEdit final : private IPFieldsView {
 public:
  static constexpr const wchar_t* kClassName = L"TIPEdit";
  static constexpr int kDefaultWidth = 125;
  static constexpr int kDefaultHeight = 21;
  // As a colour: follow the system's window background colour.
  static constexpr COLORREF kSystemWindowColor = 0xFF000000;

  // Registers the window class (once per process; later calls only report). Call it before
  // creating a dialog whose template names the class.
  static bool RegisterWindowClass();
  // Creates the control as a visible child of `parent`; nullptr if the system refused.
  static TIPEdit* Create(HWND parent, int id, int x, int y, int width = kDefaultWidth,
                         int height = kDefaultHeight);
  // The control of a window of this class, else nullptr.
  static TIPEdit* FromHandle(HWND hwnd);
  // The font a new control takes: "MS Sans Serif", 9 points at the screen's resolution, bold.
  static TIPEditFont DefaultFont();

  HWND Handle() const { return hwnd_; }

  std::string IPString() const { return core_.IPString(); }
  // Sets the four fields, or leaves them all as they are when `text` has fewer than four
  // parts. Raises no event and moves no focus.
  void SetIPString(std::string_view text) { core_.SetIPString(text); }

  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // The background colour; kSystemWindowColor follows the system's window colour.
  COLORREF Color() const;
  void SetColor(COLORREF color);
  HCURSOR Cursor() const { return cursor_; }
  // A shared cursor (not destroyed by the control), shown over the control and its fields.
  void SetCursor(HCURSOR cursor);
  const TIPEditFont& Font() const { return font_; }
  void SetFont(const TIPEditFont& font);
  bool Error() const { return core_.Error(); }
  bool ReadOnly() const;
  void SetReadOnly(bool read_only);
  bool TabStop() const;
  void SetTabStop(bool tab_stop);
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }

  // Raised when a field accepts a new value (Sender: this control).
  std::function<void(TIPEdit& sender)> OnChange;
  // Raised when a field rejects an entry; `field` is its position, 0 to 3.
  std::function<void(TIPEdit& sender, int field)> OnError;

  TIPFieldEdit& Field(int position) { return *fields_[position]; }
  const IPEditCore& Core() const { return core_; }

 private:
  friend class TIPFieldEdit;

  explicit TIPEdit(HWND hwnd);
  ~TIPEdit() override;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  LRESULT FormCreate();
  void FormPaint();
  void Paint(HDC dc);
  void FormResize();
  LRESULT FormColor(HDC dc);
  void FieldChange(HWND field);
  void SurfaceMouseDown();

  IPEditLayout Layout() const;
  HBRUSH Brush() const;
  void LayoutFields();
  void ApplyFont();
  int FieldPosition(HWND hwnd) const;
  // Whether focus arriving from `from` returns within the control rather than entering it.
  bool ReturningFocus(HWND from) const;

  // IPFieldsView
  std::string FieldText(int field) const override { return fields_[field]->Text(); }
  void SetFieldText(int field, const std::string& text) override { fields_[field]->SetText(text); }
  IPSelection FieldSelection(int field) const override { return fields_[field]->Selection(); }
  void SetFieldSelection(int field, int start, int length) override {
    fields_[field]->SetSelection(start, length);
  }
  int FocusedField() const override { return FieldPosition(GetFocus()); }
  void FocusField(int field) override { ::SetFocus(fields_[field]->Handle()); }
  void Changed() override;
  void Rejected(int field) override;

  struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
  };
  using GdiHolder = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

  HWND hwnd_;
  IPEditCore core_;
  std::array<std::unique_ptr<TIPFieldEdit>, kIPFieldCount> fields_;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  int border_width_ = 0;  // inner frame inside the border; the control draws one when set
  COLORREF color_ = kSystemWindowColor;
  GdiHolder brush_;  // only for a colour of our own; the system's brush is shared
  HCURSOR cursor_;
  TIPEditFont font_;
  GdiHolder hfont_;
  GdiHolder dot_font_;
};

}  // namespace lr
