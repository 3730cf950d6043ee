// The socket layer under the echo client: WS2_32.DLL loaded at run time and started
// (version 2.2) by the first socket component of the process, shared by all of them
// through a usage count kept under a lock, and unloaded after the last one.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace lr {

struct IdWinsock {
  int(WSAAPI* WSAStartup)(WORD, LPWSADATA);
  int(WSAAPI* WSACleanup)();
  int(WSAAPI* WSAGetLastError)();
  SOCKET(WSAAPI* socket)(int, int, int);
  int(WSAAPI* setsockopt)(SOCKET, int, int, const char*, int);
  int(WSAAPI* sendto)(SOCKET, const char*, int, int, const sockaddr*, int);
  int(WSAAPI* select)(int, fd_set*, fd_set*, fd_set*, const timeval*);
  int(WSAAPI* recv)(SOCKET, char*, int, int);
  int(WSAAPI* shutdown)(SOCKET, int);
  int(WSAAPI* closesocket)(SOCKET);
  hostent*(WSAAPI* gethostbyname)(const char*);
  int(WSAAPI* WSAFDIsSet)(SOCKET, fd_set*);
};

// One use of the socket layer, held by a socket component for its lifetime. The first
// acquires load and start the library: EIdWinsockStubError when WS2_32.DLL can't be
// loaded, EIdStackInitializationFailed when its start-up fails.
class IdStackUse {
 public:
  IdStackUse();
  ~IdStackUse();
  IdStackUse(const IdStackUse&) = delete;
  IdStackUse& operator=(const IdStackUse&) = delete;

  const IdWinsock& Api() const;
  // The process-wide number of uses now held.
  static int UseCount();
};

}  // namespace lr
