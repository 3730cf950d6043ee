// Measurements of the NetBIOS sweep in the lab, printed as "FIGURE name value" lines for
// the suite's report (never asserted): the node-status round trip of each PC, how long the
// platform's 100 ms wait lasts, a sweep at Timeout 0 and the fast sweep at Timeout 100
// with the hosts they found. What is asserted
// is what the figures rest on: every PC answers, and the fast sweep's records are right.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <map>

#include "scanner/nbt_query.h"
#include "scanner/win32/nbtstat.h"
#include "scanner/win32/scan_run.h"
#include "tests/lab/discovery/lab_env.h"
#include "tests/lab/discovery/lab_view.h"

namespace {

using lab::LabPc;

double NowUs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

class Winsock {
 public:
  Winsock() { WSAStartup(MAKEWORD(2, 2), &data_); }
  ~Winsock() { WSACleanup(); }

 private:
  WSADATA data_;
};

// The median round trip of a node-status query to `ip` in microseconds, or -1 when it
// doesn't answer. The socket is connected first and its source checked to be the
// scanner's lab address, so nothing is sent unless the route stays inside the lab.
double RoundTripUs(const std::string& ip) {
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) return -1;
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(lr::kNbtRemotePort);
  to.sin_addr.s_addr = inet_addr(ip.c_str());
  sockaddr_in from = {};
  int from_len = sizeof from;
  if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&from), &from_len) != 0 ||
      from.sin_addr.s_addr != inet_addr(lab::ScannerIp().c_str())) {
    closesocket(s);
    ADD_FAILURE() << "route to " << ip << " does not leave from the lab address";
    return -1;
  }
  std::vector<double> samples;
  for (int i = 0; i < 5; ++i) {
    const double start = NowUs();
    send(s, reinterpret_cast<const char*>(lr::kNodeStatusQuery.data()),
         static_cast<int>(lr::kNodeStatusQuery.size()), 0);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval limit = {1, 0};
    char buffer[600];
    if (select(0, &readable, nullptr, nullptr, &limit) == 1 &&
        recv(s, buffer, sizeof buffer, 0) > 0) {
      samples.push_back(NowUs() - start);
    }
  }
  closesocket(s);
  if (samples.empty()) return -1;
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

TEST(NbtFigures, EveryPcAnswersAQueryAndItsRoundTripIsMeasured) {
  Winsock winsock;
  double sum_us = 0;
  for (const LabPc& pc : lab::LoadLabPcs()) {
    const double us = RoundTripUs(pc.ip);
    EXPECT_GE(us, 0) << pc.ip << " does not answer";
    if (us >= 0) sum_us += us;
    std::printf("FIGURE nbt_rtt_us_%s %.0f\n", pc.ip.c_str(), us);
  }
  std::printf("FIGURE nbt_rtt_sum_us %.0f\n", sum_us);
}

// What a silent address costs at least: the sweep waits on an event for Timeout, and the
// platform's wait may last longer than asked.
TEST(NbtFigures, WaitOnAnUnsignalledEvent) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  constexpr int kWaits = 20;
  double total_us = 0;
  for (int i = 0; i < kWaits; ++i) {
    const double start = NowUs();
    EXPECT_EQ(WaitForSingleObject(event, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    total_us += NowUs() - start;
  }
  CloseHandle(event);
  std::printf("FIGURE wine_wait_100_mean_ms %.2f\n", total_us / kWaits / 1000);
}

TEST(NbtFigures, SweepAtTimeoutZeroFindsEveryPc) {
  std::vector<LabPc> pcs = lab::LoadLabPcs();
  lab::BoxRecorder boxes;
  lab::RecordingView view;
  lr::ScanRun run(view);
  const double start = NowUs();
  run.ScanClick("192.168.0.1", "192.168.0.254", "NetBios", "0");
  ASSERT_TRUE(lab::PumpUntil([&] { return view.SawStatus(0, "扫描成功完成！"); }, 60000));
  const double wall_us = NowUs() - start;
  const size_t at_end = view.Hosts().Count();
  // Replies that arrive after the end still count as found.
  std::map<std::string, lr::HostRecord> found;
  lab::PumpUntil(
      [&] {
        found.clear();
        for (const lr::HostRecord& r : view.Records()) found.emplace(r.ip, r);
        return found.size() >= pcs.size();
      },
      5000);
  lab::PumpFor(200);
  found.clear();
  for (const lr::HostRecord& r : view.Records()) found.emplace(r.ip, r);
  for (const LabPc& pc : pcs) {
    auto it = found.find(pc.ip);
    ASSERT_NE(it, found.end()) << pc.ip << " was not found";
    EXPECT_EQ(it->second, lab::ExpectedNbtRecord(pc)) << lab::Describe(it->second);
  }
  EXPECT_EQ(found.size(), pcs.size());
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front();
  std::printf("FIGURE nbt_sweep_0_ms %.1f\n", wall_us / 1000);
  std::printf("FIGURE nbt_sweep_0_found_at_end %zu\n", at_end);
  std::printf("FIGURE nbt_sweep_0_found %zu\n", found.size());
  std::printf("FIGURE nbt_sweep_0_dropped_queries %u\n", run.Nbt().DroppedQueries());
}

// The fast sweep of the /24 at Timeout 100: every PC in one row with its fields. Its time
// stands beside nbtscan's on the same range (the suite measures those).
TEST(NbtFigures, FastSweepAtTimeout100FindsEveryPcOnce) {
  const std::vector<LabPc> pcs = lab::LoadLabPcs();
  lab::BoxRecorder boxes;
  lab::RecordingView view;
  lr::ScanRun run(view);
  const double start = NowUs();
  run.ScanClick("192.168.0.1", "192.168.0.254", "NetBios", "100", true);
  ASSERT_TRUE(
      lab::PumpUntil([&] { return view.status[0].rfind("扫描成功完成！", 0) == 0; }, 60000));
  const double wall_us = NowUs() - start;
  const size_t at_end = view.Hosts().Count();
  lab::PumpFor(300);
  std::map<std::string, int> rows;
  for (const lr::HostRecord& r : view.Records()) ++rows[r.ip];
  for (const LabPc& pc : pcs) EXPECT_EQ(rows[pc.ip], 1) << pc.ip;
  for (const lr::HostRecord& r : view.Records()) {
    const auto pc =
        std::find_if(pcs.begin(), pcs.end(), [&](const LabPc& p) { return p.ip == r.ip; });
    ASSERT_NE(pc, pcs.end()) << "not a PC: " << r.ip;
    EXPECT_EQ(r, lab::ExpectedNbtRecord(*pc)) << lab::Describe(r);
  }
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front();
  std::printf("FIGURE nbt_fast_100_ms %.1f\n", wall_us / 1000);
  std::printf("FIGURE nbt_fast_100_found_at_end %zu\n", at_end);
  std::printf("FIGURE nbt_fast_100_found %zu\n", rows.size());
  std::printf("FIGURE nbt_fast_100_rows %zu\n", view.Records().size());
  std::printf("FIGURE nbt_fast_100_dropped_queries %u\n", run.Nbt().DroppedQueries());
}

}  // namespace
