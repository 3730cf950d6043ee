#include "package/win32/system_library.h"

#include <string>

namespace lr {

SystemLibrary::SystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  module_ = LoadLibraryW(path.c_str());
}

SystemLibrary::~SystemLibrary() {
  if (module_) FreeLibrary(module_);
}

}  // namespace lr
