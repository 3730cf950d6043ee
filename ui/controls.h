// One-line helpers over the standard controls and the GDI objects the windows share:
// texts in GBK, the shared font, child control creation, the columns of report lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>

namespace lr::ui {

// A GDI object deleted with its holder.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H h) : h_(h) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  void Reset(H h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }
  H get() const { return h_; }

 private:
  H h_ = nullptr;
};

// Window text as GBK.
std::string GetText(HWND hwnd);
void SetText(HWND hwnd, const std::string& gbk);

// The windows' font: "宋体", 12 pixels high; made once, kept for the process.
HFONT UiFont();

// A child control of `parent` with the UI font, at client position (x, y).
HWND CreateChild(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int x,
                 int y, int width, int height, int id, DWORD ex_style = 0);

// One column of a report-view list control: caption (GBK), width in pixels, alignment.
struct ListColumn {
  const char* caption;
  int width;
  int format = LVCFMT_LEFT;
};

// Adds the columns to a report-view list control, the first as column 0.
void AddListColumns(HWND list, std::span<const ListColumn> columns);

// Sizes a top-level window so that its client area is width x height.
void SetClientSize(HWND hwnd, int width, int height);

// Moves a top-level window to the centre of the screen's work area.
void CenterOnScreen(HWND hwnd);

}  // namespace lr::ui
