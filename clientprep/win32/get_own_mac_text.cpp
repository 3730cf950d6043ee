#include "clientprep/win32/get_own_mac_text.h"

#include <windows.h>

#include "clientprep/own_mac.h"

namespace lr::clientprep {

namespace {

// A library loaded by name, released when the holder goes.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

using UuidCreateFn = long(WINAPI*)(unsigned char* uuid);

bool IsNtFamily() {
  return (GetVersion() & 0x80000000u) == 0;
}

}  // namespace

std::string GetOwnMacText() {
  LoadedLibrary rpcrt4(L"rpcrt4.dll");
  if (!rpcrt4.get()) return {};
  const char* name = IsNtFamily() ? "UuidCreateSequential" : "UuidCreate";
  const auto create =
      reinterpret_cast<UuidCreateFn>(reinterpret_cast<void*>(GetProcAddress(rpcrt4.get(), name)));
  if (!create) return {};
  return MacTextFromUuids([create](unsigned char uuid[16]) { return create(uuid); });
}

}  // namespace lr::clientprep
