// Draws a window holding the five address controls of the programs (125 x 21, bold 9-point
// font; 192.168.0.1, 192.168.0.254 and three 0.0.0.0) under the X display, checks that the
// background, the dots and the digits were drawn, and saves the picture as
// ip_edit_screenshot.png beside the test program.
#include "hostlist/win32/ip_edit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace lr {
namespace {

// --- A minimal PNG writer: 8-bit RGB, stored (uncompressed) deflate blocks. ---

std::uint32_t Crc32(const std::uint8_t* data, size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
  PutBE32(out, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutBE32(out, Crc32(body.data(), body.size()));
}

// `rgb` holds height rows of width * 3 bytes, top row first.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(y) * width * 3;
    raw.insert(raw.end(), row, row + width * 3);
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    if (n == 0) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  PutBE32(ihdr, static_cast<std::uint32_t>(width));
  PutBE32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  return png;
}

TEST(PngWriter, KnownCrcAndLayout) {
  const std::uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc32(text, sizeof text), 0xCBF43926u);
  const std::vector<std::uint8_t> png = EncodePng(1, 1, {255, 0, 0});
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png[12], 'I');
  EXPECT_EQ(png[15], 'R');
  EXPECT_EQ(png[png.size() - 8], 'I');  // IEND is last, with its CRC
}

// --- The screenshot. ---

LRESULT CALLBACK ShotProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::wstring BesideTheProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir.resize(dir.find_last_of(L"\\/") + 1);
  return dir + name;
}

struct Placed {
  const char* address;
  int x, y;
};

TEST(IPEditScreenshot, FiveControlsShowDotsAndDigits) {
  constexpr int kWidth = 300, kHeight = 150;
  const Placed placed[] = {{"192.168.0.1", 10, 10},
                           {"192.168.0.254", 160, 10},
                           {"0.0.0.0", 10, 60},
                           {"0.0.0.0", 10, 110},
                           {"0.0.0.0", 160, 110}};

  WNDCLASSW wc{};
  wc.lpfnWndProc = ShotProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = L"IPEditShotHost";
  RegisterClassW(&wc);
  const HWND host =
      CreateWindowExW(WS_EX_CONTROLPARENT, L"IPEditShotHost", L"shot", WS_POPUP | WS_VISIBLE, 0, 0,
                      kWidth, kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  std::vector<TIPEdit*> edits;
  for (const Placed& p : placed) {
    TIPEdit* e = TIPEdit::Create(host, 200 + static_cast<int>(edits.size()), p.x, p.y);
    ASSERT_NE(e, nullptr);
    e->SetIPString(p.address);
    edits.push_back(e);
  }
  UpdateWindow(host);
  RedrawWindow(host, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();

  // Copy the window's pixels into a top-down 24-bit bitmap.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kWidth;
  bi.bmiHeader.biHeight = -kHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC wdc = GetDC(host);
  const HDC mdc = CreateCompatibleDC(wdc);
  const HBITMAP dib = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  const HGDIOBJ old = SelectObject(mdc, dib);
  ASSERT_TRUE(BitBlt(mdc, 0, 0, kWidth, kHeight, wdc, 0, 0, SRCCOPY));
  GdiFlush();
  const auto* px = static_cast<const std::uint8_t*>(bits);  // B, G, R, x
  std::vector<std::uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  for (int i = 0; i < kWidth * kHeight; ++i) {
    rgb[i * 3] = px[i * 4 + 2];
    rgb[i * 3 + 1] = px[i * 4 + 1];
    rgb[i * 3 + 2] = px[i * 4];
  }
  SelectObject(mdc, old);
  DeleteObject(dib);
  DeleteDC(mdc);
  ReleaseDC(host, wdc);

  const std::vector<std::uint8_t> png = EncodePng(kWidth, kHeight, rgb);
  const std::wstring path = BesideTheProgram(L"ip_edit_screenshot.png");
  {
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    ASSERT_TRUE(out.good());
  }

  // Dark pixels in a rectangle of a control's client area (the sunken edge is 2 pixels).
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  auto count = [&](const Placed& p, int left, int top, int right, int bottom, bool dark) {
    int n = 0;
    for (int y = p.y + 2 + top; y < p.y + 2 + bottom; ++y) {
      for (int x = p.x + 2 + left; x < p.x + 2 + right; ++x) {
        const std::uint8_t* c = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
        if (dark ? (c[0] + c[1] + c[2] < 3 * 100) : (RGB(c[0], c[1], c[2]) == window)) {
          ++n;
        }
      }
    }
    return n;
  };
  const int field_left[4] = {0, 31, 62, 93};
  for (size_t i = 0; i < std::size(placed); ++i) {
    const Placed& p = placed[i];
    SCOPED_TRACE(p.address);
    // The background is filled with the window colour: most of the control is that colour.
    EXPECT_GT(count(p, 0, 0, 121, 17, false), 121 * 17 / 2);
    // A dot in each gap after fields 0, 1 and 2, none before the first field's text.
    for (int k = 0; k < 3; ++k) EXPECT_GT(count(p, 27 + k * 31, 0, 31 + k * 31, 17, true), 0) << k;
    // Digits in every field.
    for (int k = 0; k < 4; ++k) {
      EXPECT_GT(count(p, field_left[k], 2, field_left[k] + 27, 17, true), 0) << k;
    }
  }
  // More ink for "192" than for "0".
  EXPECT_GT(count(placed[0], 0, 2, 27, 17, true), count(placed[2], 0, 2, 27, 17, true));
  DestroyWindow(host);
}

}  // namespace
}  // namespace lr
