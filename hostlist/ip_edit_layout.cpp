// Field layout and paint geometry of the address control.
#include "hostlist/ip_edit_layout.h"

#include <cstdlib>

namespace lr {

namespace {

// a * b / c rounded half away from zero; 0 for c == 0.
int MulDivRound(int a, int b, int c) {
  if (c == 0) return 0;
  const long long num = static_cast<long long>(a) * b;
  const long long den = c;
  const bool negative = (num < 0) != (den < 0);
  const long long q = (std::llabs(num) * 2 + std::llabs(den)) / (std::llabs(den) * 2);
  return static_cast<int>(negative ? -q : q);
}

}  // namespace

IPEditLayout LayoutIPEdit(int width, int height, int font_points, int font_pixels) {
  IPEditLayout l;
  l.field_width = 3 * std::abs(font_points);
  l.gap = l.field_width / 9 + 1;
  l.left_margin = (width - 4 * l.field_width - 3 * l.gap - 4) / 2;
  l.field_top = (height - std::abs(font_pixels) - 6) / 2 + 1;
  for (int k = 0; k < 4; ++k) {
    l.fields[k] =
        IPRect{l.left_margin + k * (l.field_width + l.gap), l.field_top, l.field_width, height - 2};
  }
  return l;
}

IPEditPaintPlan PlanIPEditPaint(const IPRect& client, int border_width,
                                const IPEditLayout& layout) {
  IPEditPaintPlan plan;
  plan.fill = client;
  if (border_width > 0) {
    plan.frame_width = border_width;
    plan.fill.left += border_width;
    plan.fill.top += border_width;
    plan.fill.width -= 2 * border_width;
    plan.fill.height -= 2 * border_width;
  }
  const int w = layout.field_width;
  for (int k = 0; k < 3; ++k) {
    plan.dots[k] = IPPoint{plan.fill.left + layout.left_margin + w + k * (w + layout.gap),
                           layout.field_top + w / 3 - 18};
  }
  return plan;
}

int FontPointsFromPixels(int pixels, int dpi) {
  return MulDivRound(std::abs(pixels), 72, dpi);
}

int FontPixelsFromPoints(int points, int dpi) {
  return MulDivRound(std::abs(points), dpi, 72);
}

}  // namespace lr
