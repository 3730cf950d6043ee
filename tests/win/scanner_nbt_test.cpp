// The NetBIOS scanner against node-status responders on loopback addresses (127.0.0.x),
// run on this test's thread as the window thread: queries, replies into the list, Stop,
// a second Start during a sweep, illegal addresses, malformed datagrams and a fast sweep.
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

// A node-status responder bound to one loopback address: it answers every datagram with
// the configured datagrams and records what it received.
class Responder {
 public:
  // `replies`: every datagram is answered with all of them. `per_query`: the k-th datagram
  // is answered with the k-th of them only (none once they are used up).
  Responder(const char* address, std::uint16_t port, std::vector<Bytes> replies,
            bool per_query = false)
      : replies_(std::move(replies)), per_query_(per_query) {
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(address);
    bound_ = bind(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    thread_ = std::thread([this] { Run(); });
  }
  ~Responder() {
    stop_ = true;
    thread_.join();
    closesocket(socket_);
  }
  bool Bound() const { return bound_; }
  std::vector<Bytes> Queries() {
    std::lock_guard<std::mutex> g(lock_);
    return queries_;
  }
  std::vector<std::uint16_t> SourcePorts() {
    std::lock_guard<std::mutex> g(lock_);
    return ports_;
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
      {
        std::lock_guard<std::mutex> g(lock_);
        queries_.emplace_back(buf, buf + n);
        ports_.push_back(ntohs(from.sin_port));
      }
      size_t k = 0;
      {
        std::lock_guard<std::mutex> g(lock_);
        k = queries_.size() - 1;
      }
      for (size_t i = 0; i < replies_.size(); ++i) {
        if (per_query_ && i != k) continue;
        const Bytes& reply = replies_[i];
        sendto(socket_, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()),
               0, reinterpret_cast<sockaddr*>(&from), len);
      }
    }
  }

  SOCKET socket_ = INVALID_SOCKET;
  bool bound_ = false;
  std::vector<Bytes> replies_;
  bool per_query_ = false;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<Bytes> queries_;
  std::vector<std::uint16_t> ports_;
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
  Responder a("0.0.0.0", remote, {Answer("PC01", "WORKGROUP", kMacA), Answer("PC02", "LAB", kMacB)},
              true);
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
  ASSERT_EQ(a.Queries().size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(a.Queries()[i], Bytes(kNodeStatusQuery.begin(), kNodeStatusQuery.end()));
    EXPECT_EQ(a.SourcePorts()[i], local);
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

TEST_F(NbtTest, MalformedDatagramsGiveAddressOnlyRecordsAndNoCrash) {
  Bytes truncated = Answer("PC02", "WORKGROUP", kMacA);
  truncated.resize(70);  // ends inside the first name entry
  Bytes count_beyond = Answer("PC02", "WORKGROUP", kMacA);
  count_beyond[56] = 0xFF;
  const Bytes junk(3, 0x21);
  Responder a("127.0.0.1", remote, {truncated, count_beyond, Bytes{}, junk});
  nbt->StartIP = "127.0.0.1";
  nbt->EndIP = "127.0.0.1";
  nbt->Timeout = 300;
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return ends == 1 && hosts.Count() == 3; }));
  // Newest first: junk, the name count beyond the datagram, the truncated table. The empty
  // datagram yields no record.
  EXPECT_EQ(hosts.At(0), (HostRecord{"127.0.0.1", "", "", "", ""}));
  EXPECT_EQ(hosts.At(1), (HostRecord{"127.0.0.1", "", "WORKGROUP      ", "PC02           ", ""}));
  EXPECT_EQ(hosts.At(2), (HostRecord{"127.0.0.1", "", "", "", ""}));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(NbtTest, StopEndsTheSweepAndRaisesOnEndOnce) {
  nbt->StartIP = "127.0.0.1";
  nbt->EndIP = "127.0.0.200";
  nbt->Timeout = 60000;  // silent addresses: the stop must cut the wait short
  nbt->OnSend = [this] {
    sends.push_back(nbt->StatusText);
    if (sends.size() == 1) nbt->Stop();
  };
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return !nbt->SweepRunning(); }));
  EXPECT_EQ(sends.size(), 1u);
  EXPECT_EQ(ends, 1);
}

TEST_F(NbtTest, SecondStartWaitsForTheRunningSweep) {
  nbt->StartIP = "127.0.0.1";
  nbt->EndIP = "127.0.0.100";
  nbt->Timeout = 60000;
  ASSERT_TRUE(PumpUntil([&] { return true; }));
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return sends.size() == 1; }));
  nbt->StartIP = "127.0.0.10";
  nbt->EndIP = "127.0.0.13";
  nbt->Timeout = 0;
  ASSERT_TRUE(nbt->Start());  // stops the first sweep and waits for its OnEnd
  EXPECT_EQ(ends, 1);
  ASSERT_TRUE(PumpUntil([&] { return ends == 2 && !nbt->SweepRunning(); }));
  ASSERT_EQ(sends.size(), 4u);
  EXPECT_EQ(sends[1].substr(10), "127.0.0.10");
  EXPECT_EQ(sends[3].substr(10), "127.0.0.12");
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

TEST_F(NbtTest, FastSweepOpensNoMessageBoxes) {
  nbt->StartIP = "127.0.1.1";
  nbt->EndIP = "127.0.8.255";  // about 2000 silent loopback addresses, back to back
  nbt->Timeout = 0;
  ASSERT_TRUE(nbt->Start());
  ASSERT_TRUE(PumpUntil([&] { return !nbt->SweepRunning(); }, 120000));
  EXPECT_EQ(ends, 1);
  EXPECT_GT(sends.size(), 1500u);
  EXPECT_TRUE(boxes.empty()) << boxes.size() << " boxes, first: " << boxes[0];
  std::printf("fast sweep: %zu queries, %u dropped while the socket stayed full\n", sends.size(),
              nbt->DroppedQueries());
}

TEST(NbtBind, SecondScannerOnTheSamePortShowsBindFail) {
  std::vector<std::string> boxes;
  auto old = ui::SetMessageBoxSeam([&](const std::string&, const std::string& text, unsigned) {
    boxes.push_back(text);
    return IDOK;
  });
  const std::uint16_t port = FreeUdpPort();
  {
    TNbt first(NbtPorts{port, FreeUdpPort()});
    TNbt second(NbtPorts{port, FreeUdpPort()});
    EXPECT_EQ(boxes, (std::vector<std::string>{"bind fail"}));
  }
  ui::SetMessageBoxSeam(old);
}

}  // namespace
}  // namespace lr
