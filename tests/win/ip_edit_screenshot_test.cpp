// Draws a window holding the five address controls of the programs (125 x 21, bold 9-point
// font; 192.168.0.1, 192.168.0.254 and three 0.0.0.0) under the X display, checks that the
// background, the dots and the digits were drawn, and saves the picture as
// ip_edit_screenshot.png beside the test program.
#include "hostlist/win32/ip_edit.h"

#include "tests/win/screenshot.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace lr {
namespace {

using testing::Bytes;

TEST(IPEditScreenshot, FiveControlsShowDotsAndDigits) {
  constexpr int kW = 300, kH = 150;
  const struct {
    const char* address;
    int x, y;
  } placed[] = {{"192.168.0.1", 10, 10},
                {"192.168.0.254", 160, 10},
                {"0.0.0.0", 10, 60},
                {"0.0.0.0", 10, 110},
                {"0.0.0.0", 160, 110}};
  const HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, kW, kH, nullptr,
                                    nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  for (const auto& p : placed) {
    TIPEdit* e = TIPEdit::Create(host, 1, p.x, p.y);
    ASSERT_NE(e, nullptr);
    e->SetIPString(p.address);
  }
  RedrawWindow(host, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

  const Bytes rgb = testing::Capture(host, kW, kH);
  DestroyWindow(host);
  testing::SavePngBesideTest(L"ip_edit_screenshot.png", kW, kH, rgb);
  // Pixels of a rectangle of a control's client area (inside its 2-pixel sunken edge) that
  // are dark (ink) or exactly the window colour (background).
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  auto count = [&](int i, int left, int right, int top, bool ink) {
    int n = 0;
    for (int y = placed[i].y + 2 + top; y < placed[i].y + 2 + 17; ++y) {
      for (int x = placed[i].x + 2 + left; x < placed[i].x + 2 + right; ++x) {
        const std::uint8_t* c = &rgb[(y * kW + x) * 3];
        n += ink ? c[0] + c[1] + c[2] < 300 : RGB(c[0], c[1], c[2]) == window;
      }
    }
    return n;
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(placed[i].address);
    EXPECT_GT(count(i, 0, 121, 0, false), 121 * 17 / 2);  // mostly background
    for (int k = 0; k < 3; ++k) EXPECT_GT(count(i, 27 + 31 * k, 31 + 31 * k, 0, true), 0) << k;
    for (int k = 0; k < 4; ++k) EXPECT_GT(count(i, 31 * k, 31 * k + 27, 2, true), 0) << k;
  }
  EXPECT_GT(count(0, 0, 27, 2, true), count(2, 0, 27, 2, true));  // more ink in "192" than "0"
}

}  // namespace
}  // namespace lr
