// The scan run's Windows side under Wine, on loopback only: the echo client's raw socket
// against 127.0.0.1, the socket layer's usage count, the address parse against the
// platform's inet_addr, the reverse lookup, and ScanRun driving a recording view through
// an ICMP sweep (and the fast one) with a redirected dump, a NetBIOS sweep, stops, sorting and the
// batch name resolution.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "scanner/icmp_sweep.h"
#include "scanner/id_exceptions.h"
#include "scanner/ip_text.h"
#include "scanner/scan_texts.h"
#include "scanner/win32/id_icmp_client.h"
#include "scanner/win32/nbtstat.h"
#include "scanner/win32/reverse_lookup.h"
#include "scanner/win32/scan_run.h"
#include "ui/message_box.h"

namespace lr {
namespace {

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

class RecordingView : public ScanView {
 public:
  HostList& Hosts() override { return hosts; }
  void HostsChanged() override { ++changes; }
  void SetStatus(int panel, const std::string& text) override { status[panel] = text; }
  void SetButtonEnabled(ScanButton b, bool enabled) override { buttons[b] = enabled; }
  void ShowProgress(bool shown) override { progress_shown = shown; }
  void SetProgressCaption(const std::string& text) override { caption = text; }
  void ProcessPendingInput() override {
    ++pumps;
    if (on_pump) on_pump();
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  HostList hosts;
  int changes = 0;
  std::map<int, std::string> status;
  std::map<ScanButton, bool> buttons;
  bool progress_shown = false;
  std::string caption;
  int pumps = 0;
  std::function<void()> on_pump;
  std::vector<std::string> errors;
};

std::uint16_t FreeUdpPort() {
  WSADATA d;
  WSAStartup(MAKEWORD(2, 2), &d);
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  WSACleanup();
  return ntohs(a.sin_port);
}

TEST(InetAddrOnWindows, MatchesThePlatformParse) {
  WSADATA d;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &d), 0);
  for (const char* text : {"192.168.0.1",     "0.0.0.0",
                           "255.255.255.255", "10.1",
                           "10.1.258",        "3232235521",
                           "0xC0.0250.0.01",  "0X7f.1",
                           "010.0.0.1",       "1.2.3.4 trailing",
                           "1.2.3.256",       "256.1.1.1",
                           "1..2.3",          "1.2.3.",
                           ".1.2.3",          "1.2.3.4x",
                           "08.1.1.1",        "abc",
                           "1.2.65536",       "1.16777216",
                           "4294967295",      "4294967296",
                           "1.2.3.4.5",       "1.2.3.-4",
                           "192.168.0.300",   "127.0.0.01"}) {
    const unsigned long platform = inet_addr(text);
    EXPECT_EQ(InetAddr(text), ntohl(platform)) << text;
  }
  WSACleanup();
}

TEST(IcmpClient, EchoToLoopbackGetsTheReply) {
  EXPECT_EQ(IdStackUse::UseCount(), 0);
  {
    TIdIcmpClient client;
    TIdIcmpClient other;
    EXPECT_EQ(IdStackUse::UseCount(), 2);
    client.Host = "127.0.0.1";
    client.ReceiveTimeout = 2000;
    int replies = 0;
    client.OnReply = [&](IcmpEchoClient&, const TReplyStatus& r) {
      ++replies;
      EXPECT_EQ(r.Kind, rkEchoReply);
    };
    client.Echo();
    const TReplyStatus& r = client.LastReply();
    EXPECT_EQ(r.Kind, rkEchoReply);
    EXPECT_EQ(r.SourceAddress, "127.0.0.1");
    EXPECT_EQ(r.SequenceNumber, 3489);
    EXPECT_EQ(r.ByteCount, 72);
    EXPECT_EQ(replies, 1);
    EXPECT_FALSE(client.SocketOpen());
    client.Host = "LocalHost";
    client.Echo();
    EXPECT_EQ(client.LastReply().SequenceNumber, 3490);
    EXPECT_EQ(client.LastReply().Kind, rkEchoReply);
  }
  EXPECT_EQ(IdStackUse::UseCount(), 0);
}

// Paths inside the Wine prefix for the redirected dump.
struct DumpFiles {
  DumpFiles() {
    CreateDirectoryW(L"C:\\scan-test", nullptr);
    DeleteFileW(L"C:\\scan-test\\IPMAC.TXT");
    HANDLE f = CreateFileW(L"C:\\scan-test\\arp-src.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const char text[] =
        "\r\nInterface: 127.0.0.1 --- 0x1\r\n"
        "  Internet Address      Physical Address      Type\r\n"
        "  127.0.0.2             02-00-00-aa-bb-02     dynamic   \r\n"
        "  127.0.0.3             02-00-00-aa-bb-03     dynamic   \r\n";
    DWORD written = 0;
    WriteFile(f, text, sizeof text - 1, &written, nullptr);
    CloseHandle(f);
  }
  ScanRunOptions Options() const {
    ScanRunOptions o;
    o.harvest_pause_ms = 0;
    o.dump_pause_ms = 5000;  // the copy is not waited for, as with the real arp command
    o.arp_command = "cmd /c copy /y C:\\scan-test\\arp-src.txt C:\\scan-test\\IPMAC.TXT";
    o.dump_path = L"C:\\scan-test\\IPMAC.TXT";
    o.nbt_local_port = FreeUdpPort();
    o.nbt_remote_port = FreeUdpPort();
    return o;
  }
  static bool DumpExists() {
    return GetFileAttributesW(L"C:\\scan-test\\IPMAC.TXT") != INVALID_FILE_ATTRIBUTES;
  }
};

class ScanRunTest : public testing::Test {
 protected:
  void SetUp() override {
    old_ = ui::SetMessageBoxSeam([this](const std::string&, const std::string& text, unsigned) {
      boxes.push_back(text);
      return IDOK;
    });
  }
  void TearDown() override { ui::SetMessageBoxSeam(old_); }
  RecordingView view;
  DumpFiles files;
  std::vector<std::string> boxes;
  ui::MessageBoxSeam old_;
};

TEST_F(ScanRunTest, IcmpSweepHarvestsTheDump) {
  ScanRun run(view, files.Options());
  run.IcmpClient().ReceiveTimeout = 1000;
  view.hosts.Append({"1.1.1.1", "", "", "", ""});
  run.ScanClick("127.0.0.1", "127.0.0.3", "ICMP", "100");
  EXPECT_TRUE(view.errors.empty()) << view.errors[0];
  ASSERT_EQ(view.hosts.Count(), 2u);
  EXPECT_EQ(view.hosts.At(0), (HostRecord{"127.0.0.2", "02-00-00-AA-BB-02", "-", "-", ""}));
  EXPECT_EQ(view.hosts.At(1).mac, "02-00-00-AA-BB-03");
  EXPECT_EQ(view.status[0], IcmpDoneText(2));
  EXPECT_FALSE(view.progress_shown);
  EXPECT_TRUE(view.buttons[ScanButton::kInstall]);
  EXPECT_EQ(run.IcmpClient().LastReply().Kind, rkEchoReply);
  // On loopback the raw socket also sees the request itself going out (type 8, from
  // 127.0.0.1); with the request's sequence number it counts as the reply.
  EXPECT_EQ(run.IcmpClient().LastReply().SourceAddress, "127.0.0.1");
  run.DeleteDumpFile();
  EXPECT_FALSE(DumpFiles::DumpExists());
}

TEST_F(ScanRunTest, FastIcmpSweepReadsTheDumpOnceTheCommandHasEnded) {
  ScanRun run(view, files.Options());
  run.ScanClick("127.0.0.1", "127.0.0.3", "ICMP", "100", true);
  EXPECT_TRUE(view.errors.empty()) << view.errors[0];
  ASSERT_EQ(view.hosts.Count(), 2u);
  EXPECT_EQ(view.hosts.At(0), (HostRecord{"127.0.0.2", "02-00-00-AA-BB-02", "-", "-", ""}));
  EXPECT_EQ(view.status[0], IcmpDoneText(2));
  EXPECT_EQ(run.IcmpClient().SequenceCounter(), 3489 + 2);
  EXPECT_EQ(run.IcmpClient().ReceiveTimeout, 30);  // the designed sweep's wait is kept
}

TEST_F(ScanRunTest, IcmpStopFromPendingInputAndNestedScanIgnored) {
  ScanRun run(view, files.Options());
  view.on_pump = [&] {
    if (view.pumps == 2) run.ScanClick("127.0.0.1", "127.0.0.9", "ICMP", "100");  // ignored
    if (view.pumps == 3) run.StopClick();
  };
  run.ScanClick("127.0.0.1", "127.0.0.40", "ICMP", "100");
  EXPECT_EQ(view.status[0], IcmpCancelText());
  EXPECT_TRUE(view.hosts.Empty());
  EXPECT_FALSE(DumpFiles::DumpExists());
  EXPECT_FALSE(view.buttons[ScanButton::kStop]);
  EXPECT_EQ(view.buttons.count(ScanButton::kInstall), 0u);
  EXPECT_EQ(run.IcmpClient().SequenceCounter(), 3489 + 3);
}

TEST_F(ScanRunTest, NetBiosSweepEndTextsAndLettersAsTimeout) {
  ScanRun run(view, files.Options());
  run.ScanClick("127.0.0.1", "127.0.0.3", "NetBios", "letters");
  EXPECT_EQ(run.Nbt().Timeout, 0u);
  EXPECT_TRUE(view.buttons[ScanButton::kEdit]);
  EXPECT_TRUE(view.buttons[ScanButton::kStop]);
  ASSERT_TRUE(PumpUntil([&] { return !run.NbtSweepRunning() && !view.status[1].empty(); }));
  EXPECT_EQ(view.status[0], NbtEndText());
  EXPECT_EQ(view.status[1], NbtEndCountText(0));

  EXPECT_TRUE(boxes.empty());
}

TEST_F(ScanRunTest, ClosingDuringASweepDoesNotHang) {
  {
    ScanRun run(view, files.Options());
    run.ScanClick("127.0.0.1", "127.0.0.90", "NetBios", "60000");
    ASSERT_TRUE(PumpUntil([&] { return !view.status[0].empty(); }));
  }
  // The window is going: the sweep ends without touching it again.
  EXPECT_EQ(view.status[0], NbtStatusText("127.0.0.1"));
  EXPECT_EQ(view.status.count(1), 0u);
}

TEST_F(ScanRunTest, ColumnSortAndBatchResolution) {
  ScanRun run(view, files.Options());
  view.hosts.Append({"127.0.0.1", "b", "", "x", ""});
  view.hosts.Append({"127.0.0.1", "A", "", "y", ""});
  run.ColumnClick(1);
  EXPECT_EQ(view.hosts.At(0).mac, "A");
  const std::string expected = ReverseLookup("127.0.0.1");
  run.ResolveNamesClick();
  ASSERT_TRUE(PumpUntil([&] { return !run.ResolveRunning(); }));
  ASSERT_TRUE(PumpUntil([&] { return !view.status[1].empty(); }));
  EXPECT_EQ(view.hosts.At(0).name, expected);
  EXPECT_EQ(view.hosts.At(1).name, expected);
  EXPECT_EQ(view.status[1], ResolveDoneText());
  EXPECT_TRUE(view.buttons[ScanButton::kAdd]);
  EXPECT_FALSE(view.buttons[ScanButton::kEdit]);
  EXPECT_TRUE(view.buttons[ScanButton::kInstall]);
}

}  // namespace
}  // namespace lr
