// Sends on a socket whose buffer is full for a while: waits for room within the bound,
// drops silently past it, and reports only real failures and short sends.
#include "scanner/send_room.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace lr {
namespace {

struct ScriptedSocket {
  std::deque<SendAttempt> attempts;
  std::uint32_t now = 5000;
  std::uint32_t room_after_ms = 0;  // each wait advances the clock by min(ms, this)
  std::vector<std::uint32_t> waits;
  int sends = 0;

  SendRoomIo Io() {
    SendRoomIo io;
    io.send = [this] {
      ++sends;
      SendAttempt a = attempts.empty() ? SendAttempt{50, false} : attempts.front();
      if (!attempts.empty()) attempts.pop_front();
      return a;
    };
    io.wait_room = [this](std::uint32_t ms) {
      waits.push_back(ms);
      now += room_after_ms < ms ? room_after_ms : ms;
    };
    io.now_ms = [this] { return now; };
    return io;
  }
};

constexpr SendAttempt kFull{-1, true};

TEST(SendWithRoom, WouldBlockWaitsForRoomAndSends) {
  ScriptedSocket s;
  s.attempts = {kFull, kFull, {50, false}};
  s.room_after_ms = 30;
  EXPECT_EQ(SendWithRoom(s.Io(), 50), SendOutcome::kSent);
  EXPECT_EQ(s.sends, 3);
  EXPECT_EQ(s.waits, (std::vector<std::uint32_t>{200, 170}));
}

TEST(SendWithRoom, BufferFullForTheWholeBoundIsDroppedNotFailed) {
  ScriptedSocket s;
  s.attempts.assign(100, kFull);
  s.room_after_ms = 70;
  EXPECT_EQ(SendWithRoom(s.Io(), 50), SendOutcome::kDropped);
  EXPECT_EQ(s.waits, (std::vector<std::uint32_t>{200, 130, 60}));
  // A clock that wraps during the wait still ends it.
  ScriptedSocket w;
  w.attempts.assign(100, kFull);
  w.now = 0xFFFFFFF0u;
  w.room_after_ms = 100;
  EXPECT_EQ(SendWithRoom(w.Io(), 50), SendOutcome::kDropped);
  EXPECT_EQ(w.waits.size(), 2u);
}

TEST(SendWithRoom, RealFailuresAndShortSendsAreReported) {
  ScriptedSocket s;
  s.attempts = {{-1, false}};
  EXPECT_EQ(SendWithRoom(s.Io(), 50), SendOutcome::kFailed);
  EXPECT_TRUE(s.waits.empty());
  s.attempts = {kFull, {-1, false}};
  EXPECT_EQ(SendWithRoom(s.Io(), 50), SendOutcome::kFailed);
  s.attempts = {{49, false}};
  EXPECT_EQ(SendWithRoom(s.Io(), 50), SendOutcome::kShort);
  s.attempts = {};
  EXPECT_EQ(SendWithRoom(s.Io(), 50), SendOutcome::kSent);
}

TEST(SendWithRoom, ZeroBoundDropsAtOnce) {
  ScriptedSocket s;
  s.attempts = {kFull};
  EXPECT_EQ(SendWithRoom(s.Io(), 50, 0), SendOutcome::kDropped);
  EXPECT_EQ(s.sends, 1);
}

}  // namespace
}  // namespace lr
