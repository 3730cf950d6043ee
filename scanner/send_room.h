// Sending on a non-blocking socket whose buffer may be full for a moment (datagrams held
// while the addresses of silent hosts are resolved): "would block" is no failure. The send
// waits for room, a bounded time, and tries again; only a real failure is reported.
#pragma once

#include <cstdint>
#include <functional>

namespace lr {

struct SendAttempt {
  int result = 0;            // bytes sent, or -1
  bool would_block = false;  // -1 because the buffer is full
};

enum class SendOutcome {
  kSent,     // all bytes
  kShort,    // fewer bytes than asked
  kFailed,   // a real failure
  kDropped,  // the buffer stayed full for the whole bound; nothing sent, nothing to report
};

struct SendRoomIo {
  std::function<SendAttempt()> send;
  // Waits at most `ms` until the socket can send again.
  std::function<void(std::uint32_t ms)> wait_room;
  std::function<std::uint32_t()> now_ms;
};

SendOutcome SendWithRoom(const SendRoomIo& io, int expected, std::uint32_t bound_ms = 200);

}  // namespace lr
