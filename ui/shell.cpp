#include "ui/shell.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace lr::ui {

namespace {
ShellOpenSeam& Seam() {
  static ShellOpenSeam seam;
  return seam;
}
}  // namespace

void ShellOpen(const std::wstring& target) {
  if (Seam()) return Seam()(target);
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ShellOpenSeam SetShellOpenSeam(ShellOpenSeam seam) {
  ShellOpenSeam old = std::move(Seam());
  Seam() = std::move(seam);
  return old;
}

std::wstring ExecutableFolder() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return L"";
    if (n < buf.size()) {
      std::wstring path(buf.data(), n);
      return path.substr(0, path.find_last_of(L"\\/") + 1);
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace lr::ui
