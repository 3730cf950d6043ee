#include "clientprep/win32/get_own_mac_text.h"

#include <windows.h>

#include "clientprep/own_mac.h"
#include "ui/system_library.h"

namespace lr::clientprep {

namespace {

using UuidCreateFn = long(WINAPI*)(unsigned char* uuid);

bool IsNtFamily() {
  return (GetVersion() & 0x80000000u) == 0;
}

}  // namespace

std::string GetOwnMacText() {
  const SystemLibrary rpcrt4(L"rpcrt4.dll");
  const auto create =
      rpcrt4.Get<UuidCreateFn>(IsNtFamily() ? "UuidCreateSequential" : "UuidCreate");
  if (!create) return {};
  return MacTextFromUuids([create](unsigned char uuid[16]) { return create(uuid); });
}

}  // namespace lr::clientprep
