// Run-time loading of WS2_32.DLL with a process-wide, locked usage count.
#include "scanner/win32/id_stack.h"

#include <mutex>

#include "scanner/id_exceptions.h"
#include "ui/system_library.h"

namespace lr {

namespace {

struct StackState {
  std::mutex lock;
  int uses = 0;
  HMODULE module = nullptr;
  IdWinsock api = {};
};

StackState& State() {
  static StackState state;
  return state;
}

template <typename F>
bool Bind(HMODULE module, const char* name, F& fn) {
  fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return fn != nullptr;
}

}  // namespace

IdStackUse::IdStackUse() {
  StackState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.uses == 0) {
    HMODULE module = LoadSystemLibrary(L"WS2_32.DLL");
    if (!module) throw EIdWinsockStubError("WS2_32.DLL");
    IdWinsock api = {};
    const bool ok =
        Bind(module, "WSAStartup", api.WSAStartup) && Bind(module, "WSACleanup", api.WSACleanup) &&
        Bind(module, "WSAGetLastError", api.WSAGetLastError) &&
        Bind(module, "socket", api.socket) && Bind(module, "setsockopt", api.setsockopt) &&
        Bind(module, "sendto", api.sendto) && Bind(module, "select", api.select) &&
        Bind(module, "recv", api.recv) && Bind(module, "shutdown", api.shutdown) &&
        Bind(module, "closesocket", api.closesocket) &&
        Bind(module, "gethostbyname", api.gethostbyname) &&
        Bind(module, "__WSAFDIsSet", api.WSAFDIsSet);
    if (!ok) {
      FreeLibrary(module);
      throw EIdWinsockStubError("WS2_32.DLL");
    }
    WSADATA data;
    if (api.WSAStartup(MAKEWORD(2, 2), &data) != 0) {
      FreeLibrary(module);
      throw EIdStackInitializationFailed();
    }
    s.module = module;
    s.api = api;
  }
  ++s.uses;
}

IdStackUse::~IdStackUse() {
  StackState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (--s.uses == 0) {
    s.api.WSACleanup();
    FreeLibrary(s.module);
    s.module = nullptr;
    s.api = {};
  }
}

const IdWinsock& IdStackUse::Api() const {
  return State().api;
}

int IdStackUse::UseCount() {
  StackState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.uses;
}

}  // namespace lr
