// Text at the Win32 boundary: the programs hold GBK (code page 936) bytes and call the W
// functions, converting explicitly, so they show and write the same on any system code page.
#pragma once

#include <string>
#include <string_view>

namespace lr::ui {

inline constexpr unsigned kCodePageGbk = 936;

std::wstring Wide(std::string_view gbk);
std::string Gbk(std::wstring_view wide);

}  // namespace lr::ui
