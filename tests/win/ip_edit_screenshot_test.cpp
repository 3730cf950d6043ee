// Draws a window holding the five address controls of the programs (125 x 21, bold 9-point
// font; 192.168.0.1, 192.168.0.254 and three 0.0.0.0) under the X display, checks that the
// background, the dots and the digits were drawn, and saves the picture as
// ip_edit_screenshot.png beside the test program.
#include "hostlist/win32/ip_edit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace lr {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutBE32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutBE32(out, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  std::uint32_t crc = ~0u;
  for (std::uint8_t byte : body) {
    crc ^= byte;
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  out.insert(out.end(), body.begin(), body.end());
  PutBE32(out, ~crc);
}

// An 8-bit RGB PNG of `rgb` (rows top first) in stored, uncompressed deflate blocks.
Bytes EncodePng(int width, int height, const Bytes& rgb) {
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), rgb.begin() + y * width * 3, rgb.begin() + (y + 1) * width * 3);
  }
  Bytes z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size();) {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.insert(z.end(),
             {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n), std::uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  PutBE32(z, (b << 16) | a);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBE32(ihdr, static_cast<std::uint32_t>(width));
  PutBE32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  return png;
}

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

  // The window's pixels, through a top-down 32-bit bitmap, as RGB.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC wdc = GetDC(host);
  const HDC mdc = CreateCompatibleDC(wdc);
  const HBITMAP dib = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(mdc, dib);
  EXPECT_TRUE(BitBlt(mdc, 0, 0, kW, kH, wdc, 0, 0, SRCCOPY));
  GdiFlush();
  Bytes rgb(kW * kH * 3);
  for (int i = 0; i < kW * kH; ++i) {
    for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = static_cast<std::uint8_t*>(bits)[i * 4 + 2 - c];
  }
  SelectObject(mdc, old);
  DeleteObject(dib);
  DeleteDC(mdc);
  ReleaseDC(host, wdc);
  DestroyWindow(host);

  wchar_t path[MAX_PATH] = {};
  std::wstring file(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"ip_edit_screenshot.png";
  const Bytes png = EncodePng(kW, kH, rgb);
  std::ofstream(file.c_str(), std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));

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
