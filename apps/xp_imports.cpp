// Keeps the programs loadable on Windows XP. The C++ run time's thread support
// (winpthreads) imports GetTickCount64, which kernel32.dll has only from Vista on; an
// import the loader can't resolve stops the program before it starts. Defining the import
// slot here takes the place of kernel32's, and the function behind it looks the real one
// up at run time, falling back to GetTickCount (winpthreads uses it for relative waits only).
#include <windows.h>

namespace {

ULONGLONG WINAPI TickCount64() {
  using Fn = ULONGLONG(WINAPI*)();
  static const Fn real = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  return real ? real() : GetTickCount();
}

}  // namespace

#ifdef _WIN64
extern "C" ULONGLONG(WINAPI* const kTickCount64Slot)() __asm__("__imp_GetTickCount64");
#else
extern "C" ULONGLONG(WINAPI* const kTickCount64Slot)() __asm__("__imp__GetTickCount64@0");
#endif
extern "C" ULONGLONG(WINAPI* const kTickCount64Slot)() = TickCount64;
