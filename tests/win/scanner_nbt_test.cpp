// The NetBIOS scanner against a node-status responder on loopback, run on this test's
// thread as the window thread: queries, replies into the list, the fast sweep's one row per
// address, a Start from inside a notification, illegal addresses. Stop, a second Start during a
// sweep, malformed datagrams, floods and full send buffers are covered by the lab suite with real
// peers.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scanner/win32/nbtstat.h"
#include "ui/message_box.h"

namespace lr {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct WinsockUse {
  WinsockUse() {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
  }
  ~WinsockUse() { WSACleanup(); }
};

std::uint16_t FreeUdpPort() {
  WinsockUse ws;
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  return ntohs(a.sin_port);
}

Bytes Answer(const std::string& computer, const std::string& workgroup, const Bytes& mac) {
  std::string d(
      "\x00\x00\x84\x00\x00\x00\x00\x01\x00\x00\x00\x00\x20"
      "CK",
      15);
  d.append(30, 'A');
  d.append("\x00\x00\x21\x00\x01\x00\x00\x00\x00\x00\x41\x02", 12);
  std::string c = computer;
  c.resize(15, ' ');
  d += c;
  d.append("\x20\x04\x00", 3);
  std::string w = workgroup;
  w.resize(15, ' ');
  d += w;
  d.append("\x00\x84\x00", 3);
  d.append(mac.begin(), mac.end());
  return Bytes(d.begin(), d.end());
}

// A node-status responder on 0.0.0.0: the k-th datagram it receives is answered with the
// k-th reply (none once they are used up); it records every datagram and its source port.
class Responder {
 public:
  Responder(std::uint16_t port, std::vector<Bytes> replies) : replies_(std::move(replies)) {
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    bound_ = bind(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    thread_ = std::thread([this] { Run(); });
  }
  ~Responder() {
    stop_ = true;
    thread_.join();
    closesocket(socket_);
  }
  bool Bound() const { return bound_; }
  std::vector<std::pair<Bytes, std::uint16_t>> Received() {
    std::lock_guard<std::mutex> g(lock_);
    return received_;
  }

 private:
  void Run() {
    while (!stop_) {
      fd_set r;
      FD_ZERO(&r);
      FD_SET(socket_, &r);
      timeval tv = {0, 20000};
      if (select(0, &r, nullptr, nullptr, &tv) <= 0) continue;
      char buf[600];
      sockaddr_in from = {};
      int len = sizeof from;
      const int n = recvfrom(socket_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
      if (n < 0) continue;
      std::lock_guard<std::mutex> g(lock_);
      received_.emplace_back(Bytes(buf, buf + n), ntohs(from.sin_port));
      if (received_.size() > replies_.size()) continue;
      const Bytes& reply = replies_[received_.size() - 1];
      sendto(socket_, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()),
             0, reinterpret_cast<sockaddr*>(&from), len);
    }
  }

  SOCKET socket_ = INVALID_SOCKET;
  bool bound_ = false;
  std::vector<Bytes> replies_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::pair<Bytes, std::uint16_t>> received_;
  std::thread thread_;
};

// Runs the window thread's messages until `done` holds; false when it never did within a
// generous bound (a hang, not a timing).
bool PumpUntil(const std::function<bool()>& done, DWORD limit_ms = 30000) {
  const DWORD begin = GetTickCount();
  while (!done()) {
    if (GetTickCount() - begin > limit_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return true;
}

class NbtTest : public testing::Test {
 protected:
  void SetUp() override {
    old_seam_ =
        ui::SetMessageBoxSeam([this](const std::string&, const std::string& text, unsigned) {
          boxes.push_back(text);
          return IDOK;
        });
    remote = FreeUdpPort();
    local = FreeUdpPort();
    nbt = std::make_unique<TNbt>(NbtPorts{local, remote});
    nbt->SetListView(&hosts, [this] { ++changes; });
    nbt->OnSend = [this] { sends.push_back(nbt->StatusText); };
    nbt->OnEnd = [this] { ++ends; };
  }
  void TearDown() override {
    nbt.reset();
    ui::SetMessageBoxSeam(old_seam_);
  }

  WinsockUse ws;
  std::uint16_t remote = 0;
  std::uint16_t local = 0;
  std::unique_ptr<TNbt> nbt;
  HostList hosts;
  int changes = 0;
  std::vector<std::string> sends;
  int ends = 0;
  std::vector<std::string> boxes;
  ui::MessageBoxSeam old_seam_;
};

const Bytes kMacA = {0x00, 0x0C, 0x29, 0xAB, 0x01, 0xFF};
const Bytes kMacB = {0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

// Wine binds only to the addresses of its interfaces, so one responder on 0.0.0.0 takes the
// queries to every 127.0.0.x and answers each from 127.0.0.1: the records carry the
// sender's address, not the queried one.
TEST_F(NbtTest, SweepQueriesEachAddressAndInsertsRepliesNewestFirst) {
  ASSERT_TRUE(boxes.empty());
  EXPECT_EQ(nbt->BoundPort(), local);
  Responder a(remote, {Answer("PC01", "WORKGROUP", kMacA), Answer("PC02", "LAB", kMacB)});
  ASSERT_TRUE(a.Bound());
  nbt->StartIP = "127.0.0.1";
  nbt->EndIP = "127.0.0.5";
  nbt->Timeout = 300;
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return ends == 1 && !nbt->SweepRunning(); }));
  EXPECT_EQ(sends, (std::vector<std::string>{"\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8\xA3\xBA"
                                             "127.0.0.1",
                                             "\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8\xA3\xBA"
                                             "127.0.0.2",
                                             "\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8\xA3\xBA"
                                             "127.0.0.3",
                                             "\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8\xA3\xBA"
                                             "127.0.0.4"}));
  ASSERT_EQ(hosts.Count(), 2u);
  EXPECT_EQ(hosts.At(0), (HostRecord{"127.0.0.1", "02.1A.2B.3C.4D.5E", "LAB            ",
                                     "PC02           ", ""}));
  EXPECT_EQ(hosts.At(1), (HostRecord{"127.0.0.1", "00.0C.29.AB.01.FF", "WORKGROUP      ",
                                     "PC01           ", ""}));
  EXPECT_EQ(changes, 2);
  ASSERT_EQ(a.Received().size(), 4u);
  for (const auto& [query, port] : a.Received()) {
    EXPECT_EQ(query, Bytes(kNodeStatusQuery.begin(), kNodeStatusQuery.end()));
    EXPECT_EQ(port, local);
  }
  EXPECT_TRUE(boxes.empty());

  // The socket stays open between sweeps: a late datagram still inserts a record, and a
  // second sweep starts with a cleared stop flag.
  nbt->Stop();
  const Bytes late = Answer("LATE", "LAB", kMacB);
  const sockaddr_in to = [&] {
    sockaddr_in t = {};
    t.sin_family = AF_INET;
    t.sin_port = htons(local);
    t.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return t;
  }();
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  sendto(s, reinterpret_cast<const char*>(late.data()), static_cast<int>(late.size()), 0,
         reinterpret_cast<const sockaddr*>(&to), sizeof to);
  closesocket(s);
  ASSERT_TRUE(PumpUntil([&] { return hosts.Count() == 3; }));
  EXPECT_EQ(hosts.At(0).name, "LATE           ");
  nbt->StartIP = "127.0.0.3";
  nbt->EndIP = "127.0.0.3";
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return ends == 2 && !nbt->SweepRunning(); }));
  EXPECT_EQ(sends.size(), 5u);
}

// The fast sweep sends every query without waiting for answers and keeps one row per
// address (on loopback every answer comes from 127.0.0.1).
TEST_F(NbtTest, FastSweepSendsEveryQueryAndKeepsOneRowPerAddress) {
  Responder a(remote, {Answer("PC01", "WORKGROUP", kMacA), Answer("PC02", "LAB", kMacB)});
  ASSERT_TRUE(a.Bound());
  nbt->StartIP = "127.0.0.1";
  nbt->EndIP = "127.0.0.5";
  nbt->Timeout = 300;
  nbt->Fast = true;
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return ends == 1 && !nbt->SweepRunning(); }));
  EXPECT_EQ(sends.size(), 4u);
  ASSERT_TRUE(PumpUntil([&] { return a.Received().size() == 4 && changes == 1; }));
  PumpUntil([] { return false; }, 300);
  ASSERT_EQ(hosts.Count(), 1u);
  EXPECT_EQ(hosts.At(0).name, "PC01           ");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(NbtTest, StartFromInsideANotificationIsRefused) {
  nbt->StartIP = "127.0.0.1";
  nbt->EndIP = "127.0.0.3";
  nbt->Timeout = 0;
  bool refused = false;
  nbt->OnSend = [&] {
    sends.push_back(nbt->StatusText);
    if (sends.size() == 1) refused = !nbt->Start();
  };
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return ends == 1 && !nbt->SweepRunning(); }));
  EXPECT_TRUE(refused);
  EXPECT_EQ(sends.size(), 2u);
}

TEST_F(NbtTest, IllegalAddressShowsItsMessageAndSendsNothing) {
  nbt->StartIP = "192.168.0.300";
  nbt->EndIP = "127.0.0.2";
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return !nbt->SweepRunning(); }));
  EXPECT_EQ(boxes, (std::vector<std::string>{"Illegal IP address!"}));
  EXPECT_TRUE(sends.empty());
  EXPECT_EQ(ends, 0);
}

// A figure, not a timing assertion: 65,536 answers sent to the scanner's port on
// loopback, each received on this (window) thread through its notification, read and
// inserted at the top of the list. The sender keeps at most 128 datagrams in flight so
// the socket's receive buffer never overflows; every answer must become a record.
TEST_F(NbtTest, BurstOf65536RepliesIntoTheList) {
  constexpr int kReplies = 65536;
  std::atomic<int> received{0};
  nbt->SetListView(&hosts, [&] { ++received; });
  const Bytes answer = Answer("PC01", "WORKGROUP", kMacA);
  std::atomic<bool> sender_done{false};
  LARGE_INTEGER freq, begin, end;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&begin);
  std::thread sender([&] {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(local);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int sent = 0; sent < kReplies;) {
      if (sent - received >= 128) {
        Sleep(1);
        continue;
      }
      sendto(s, reinterpret_cast<const char*>(answer.data()), static_cast<int>(answer.size()), 0,
             reinterpret_cast<const sockaddr*>(&to), sizeof to);
      ++sent;
    }
    closesocket(s);
    sender_done = true;
  });
  const bool all = PumpUntil([&] { return received == kReplies; }, 600000);
  QueryPerformanceCounter(&end);
  sender.join();
  ASSERT_TRUE(all) << received << " of " << kReplies;
  EXPECT_EQ(hosts.Count(), static_cast<size_t>(kReplies));
  EXPECT_EQ(hosts.At(0).name, "PC01           ");
  const double seconds = static_cast<double>(end.QuadPart - begin.QuadPart) / freq.QuadPart;
  std::printf("burst: %d replies received, read and inserted in %.2f s: %.0f records/s\n", kReplies,
              seconds, kReplies / seconds);
}

}  // namespace
}  // namespace lr
