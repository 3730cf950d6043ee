// The UDP socket of the assignment messages, shared by the clone's request loop and the
// window's listener: bound to kAssignPort on every address, broadcasting both to the limited
// broadcast address and to each adapter's subnet broadcast (a system without a route for
// 255.255.255.255 still reaches its segment). The clone waits on it with the service's stop
// event; the window has its arrivals posted to a window as a message.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace lr {

class AssignSocket {
 public:
  AssignSocket() = default;
  ~AssignSocket() { Close(); }
  AssignSocket(const AssignSocket&) = delete;
  AssignSocket& operator=(const AssignSocket&) = delete;

  // `port` 0 means kAssignPort. False, with nothing left open, when it can't be bound.
  bool Open(std::uint16_t port = 0);
  void Close();
  bool IsOpen() const { return socket_ != INVALID_SOCKET; }

  // True when at least one of the broadcasts left.
  bool Broadcast(std::string_view datagram);

  enum class Wait { kDatagram, kTimeout, kStopped };
  // The next datagram within `ms` (its sender's address in host order), or the stop event
  // signalled first.
  Wait Receive(unsigned ms, HANDLE stop, std::string& datagram, std::uint32_t& from);
  // Posts `message` to `window` whenever datagrams wait; TakeWaiting then reads one.
  bool PostArrivals(HWND window, UINT message);
  bool TakeWaiting(std::string& datagram, std::uint32_t& from);

 private:
  SOCKET socket_ = INVALID_SOCKET;
  WSAEVENT event_ = WSA_INVALID_EVENT;
  std::uint16_t port_ = 0;
  bool started_ = false;
};

}  // namespace lr
