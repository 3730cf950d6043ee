#include "ui/text.h"

#include <windows.h>

namespace lr::ui {

std::wstring Wide(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int n =
      MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

std::string Gbk(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(kCodePageGbk, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePageGbk, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

namespace {

class SystemConversion : public Utf8ToGbk {
 public:
  std::string Convert(std::string_view utf8, bool& replaced) const override {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    // Bytes that are not UTF-8 arrive as U+FFFD, which GBK lacks, so they are counted below.
    const int m = WideCharToMultiByte(kCodePageGbk, WC_NO_BEST_FIT_CHARS, wide.data(), n, nullptr,
                                      0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    BOOL used_default = FALSE;
    WideCharToMultiByte(kCodePageGbk, WC_NO_BEST_FIT_CHARS, wide.data(), n, out.data(), m, "?",
                        &used_default);
    if (used_default) replaced = true;
    return out;
  }
};

}  // namespace

const Utf8ToGbk& SystemUtf8ToGbk() {
  static const SystemConversion kConversion;
  return kConversion;
}

}  // namespace lr::ui
