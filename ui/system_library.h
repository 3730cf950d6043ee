// System DLLs loaded at run time from the system folder by their full path, never by bare
// name: the programs run elevated, Lanroster from a download folder, where a planted DLL of
// the same name would otherwise be found first.
#pragma once

#include <windows.h>

namespace lr {

// LoadLibrary of "<system folder>\<name>" (e.g. L"iphlpapi.dll"); nullptr when it fails.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The library `name` of the system folder, released when the holder goes; get() is nullptr
// when it can't be loaded.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* name) : module_(LoadSystemLibrary(name)) {}
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  HMODULE get() const { return module_; }
  // The function `name`, or nullptr.
  template <typename Fn>
  Fn Get(const char* name) const {
    return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                   : nullptr;
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace lr
