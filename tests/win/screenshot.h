// Pictures of windows for the screenshot tests: the pixels of a window drawn under the X
// display, and a PNG of them saved beside the test program.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace lr::testing {

using Bytes = std::vector<std::uint8_t>;

inline void PutBE32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

inline void PutChunk(Bytes& out, const char* type, const Bytes& data) {
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
inline Bytes EncodePng(int width, int height, const Bytes& rgb) {
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

// The pixels of `hwnd` as RGB rows, top first: its client area, or with `whole` the window
// with its frame, through a top-down 32-bit bitmap.
inline Bytes Capture(HWND hwnd, int width, int height, bool whole = false) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC wdc = whole ? GetWindowDC(hwnd) : GetDC(hwnd);
  const HDC mdc = CreateCompatibleDC(wdc);
  const HBITMAP dib = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(mdc, dib);
  BitBlt(mdc, 0, 0, width, height, wdc, 0, 0, SRCCOPY);
  GdiFlush();
  Bytes rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size() / 3; ++i) {
    for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = static_cast<std::uint8_t*>(bits)[i * 4 + 2 - c];
  }
  SelectObject(mdc, old);
  DeleteObject(dib);
  DeleteDC(mdc);
  ReleaseDC(hwnd, wdc);
  return rgb;
}

// Writes `rgb` as the PNG `name` in the test program's folder.
inline void SavePngBesideTest(const wchar_t* name, int width, int height, const Bytes& rgb) {
  wchar_t path[MAX_PATH] = {};
  std::wstring file(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  file = file.substr(0, file.find_last_of(L"\\/") + 1) + name;
  const Bytes png = EncodePng(width, height, rgb);
  std::ofstream(file.c_str(), std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

}  // namespace lr::testing
