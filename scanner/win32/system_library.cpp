// Loading a system DLL by its full path.
#include "scanner/win32/system_library.h"

#include <string>

namespace lr {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::wstring path(folder, n);
  if (path.back() != L'\\') path += L'\\';
  return LoadLibraryW((path + name).c_str());
}

}  // namespace lr
