// Reverse lookup through gethostbyaddr.
#include "scanner/win32/reverse_lookup.h"

#include <winsock2.h>
#include <windows.h>

namespace lr {

std::string ReverseLookup(const std::string& ip) {
  WSADATA data;
  const bool started = WSAStartup(2, &data) == 0;
  std::string name = "---";
  const unsigned long address = inet_addr(ip.c_str());
  const hostent* entry =
      gethostbyaddr(reinterpret_cast<const char*>(&address), sizeof address, AF_INET);
  if (entry && entry->h_name) name = entry->h_name;
  if (started) WSACleanup();
  return name;
}

}  // namespace lr
