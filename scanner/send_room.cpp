// Sends that wait a bounded time for room in a full socket buffer.
#include "scanner/send_room.h"

namespace lr {

SendOutcome SendWithRoom(const SendRoomIo& io, int expected, std::uint32_t bound_ms) {
  SendAttempt a = io.send();
  if (a.result < 0 && a.would_block) {
    const std::uint32_t begin = io.now_ms();
    for (;;) {
      const std::uint32_t spent = io.now_ms() - begin;
      if (spent >= bound_ms) return SendOutcome::kDropped;
      io.wait_room(bound_ms - spent);
      a = io.send();
      if (!(a.result < 0 && a.would_block)) break;
    }
  }
  if (a.result < 0) return SendOutcome::kFailed;
  return a.result == expected ? SendOutcome::kSent : SendOutcome::kShort;
}

}  // namespace lr
