#include "ui/system_library.h"

#include <string>

namespace lr {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return LoadLibraryW((path + name).c_str());
}

SystemLibrary::~SystemLibrary() {
  if (module_) FreeLibrary(module_);
}

}  // namespace lr
