// Text at the Win32 boundary: the programs hold GBK (code page 936) bytes and call the W
// functions, converting explicitly, so they show and write the same on any system code page.
#pragma once

#include <string>
#include <string_view>

#include "base/gbk.h"

namespace lr::ui {

inline constexpr unsigned kCodePageGbk = 936;

std::wstring Wide(std::string_view gbk);
std::string Gbk(std::wstring_view wide);

// UTF-8 to GBK through UTF-16 with the system's tables: what GBK lacks, and bytes that are
// not UTF-8, become "?".
const Utf8ToGbk& SystemUtf8ToGbk();

}  // namespace lr::ui
