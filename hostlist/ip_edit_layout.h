// Geometry of the address control: where its four fields stand and where the paint handler
// draws the frame, the background and the three dots. Pure arithmetic on pixel sizes, so the
// window code only carries it out.
#pragma once

#include <array>

namespace lr {

struct IPRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const IPRect&) const = default;
};

struct IPPoint {
  int x = 0;
  int y = 0;
  bool operator==(const IPPoint&) const = default;
};

// Field placement for a control of outer size `width` x `height` whose font is
// `font_points` points and `font_pixels` pixels high (absolute values). Divisions truncate
// toward zero, so very small controls give negative margins rather than errors.
struct IPEditLayout {
  int field_width = 0;  // w = 3 * points
  int gap = 0;          // g = w / 9 + 1
  int left_margin = 0;  // x0 = (W - 4w - 3g - 4) / 2
  int field_top = 0;    // t = (H - P - 6) / 2 + 1
  std::array<IPRect, 4> fields{};
};

IPEditLayout LayoutIPEdit(int width, int height, int font_points, int font_pixels);

// The dots are drawn with the control's font made bold at this size.
inline constexpr int kIPDotPoints = 18;

struct IPEditPaintPlan {
  int frame_width = 0;  // inner 3-D frame (highlight top/left, shadow bottom/right); 0: none
  IPRect fill;          // filled with the control's colour
  std::array<IPPoint, 3> dots{};  // where each "." is drawn, transparent background
};

// `client` is the control's client rectangle; `border_width` the inner border in pixels.
IPEditPaintPlan PlanIPEditPaint(const IPRect& client, int border_width, const IPEditLayout& layout);

// Point and pixel sizes of a font at `dpi` dots per inch, rounded half away from zero like
// the system's MulDiv. Both take and give absolute values.
int FontPointsFromPixels(int pixels, int dpi);
int FontPixelsFromPoints(int points, int dpi);

}  // namespace lr
