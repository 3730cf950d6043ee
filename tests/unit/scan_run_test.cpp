// The scan run's logic against a recording view: the ICMP target sequence and both ICMP
// sweeps with a scripted platform on a fake clock, the NetBIOS start and end texts, the ARP dump
// reader, the column sort and the batch name resolution with the list changing under it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "scanner/arp_dump.h"
#include "scanner/compare_records.h"
#include "scanner/icmp_fast_sweep.h"
#include "scanner/icmp_sweep.h"
#include "scanner/id_exceptions.h"
#include "scanner/name_resolution.h"
#include "scanner/nbt_events.h"
#include "scanner/query_pacer.h"
#include "scanner/scan_texts.h"
#include "tests/unit/wait_guard.h"

namespace lr {
namespace {

HostRecord R(std::string ip, std::string mac = "", std::string wg = "", std::string name = "") {
  return HostRecord{std::move(ip), std::move(mac), std::move(wg), std::move(name), ""};
}

// Every call of the scan run on its window, in order, as text.
class RecordingView : public ScanView {
 public:
  HostList& Hosts() override { return hosts; }
  void HostsChanged() override { ++changes; }
  void SetStatus(int panel, const std::string& text) override {
    status[panel] = text;
    log.push_back("status" + std::to_string(panel) + ":" + text);
  }
  void SetButtonEnabled(ScanButton b, bool enabled) override {
    buttons[b] = enabled;
    log.push_back(std::string("button") + std::to_string(static_cast<int>(b)) +
                  (enabled ? ":on" : ":off"));
  }
  void ShowProgress(bool shown) override {
    progress_shown = shown;
    log.push_back(shown ? "progress:shown" : "progress:hidden");
  }
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
  std::vector<std::string> log;
};

class FakePlatform : public IcmpFastPlatform {
 public:
  void Echo(const std::string& host) override {
    echoes.push_back(host);
    if (fail_at == static_cast<int>(echoes.size()))
      throw EIdIcmpException("Non-echo type response received");
  }
  void Sleep(unsigned ms) override {
    sleeps.push_back(ms);
    now += ms * 1000ull;
    guard.Wait(ms != 0,
               ms == 0 ? "the fast ICMP sweep's echo pacing loop" : "an ICMP sweep's waits");
  }
  void StartDumpCommand() override {
    command_at = now;
    ++commands;
    if (write_dump) dump_exists = true;
  }
  void DeleteDump() override {
    ++deletes;
    dump_exists = false;
  }
  FileStatus ReadDump(std::string& text) override {
    if (!dump_exists) return FileStatus::Failed(2);
    text = dump;
    return {};
  }
  std::string DumpPathText() override { return "C:\\WINDOWS\\IPMAC.TXT"; }
  void SendEcho(const std::string& host) override {
    Echo(host);
    last_echo_at = now;
    echo_at.push_back(now);
    if (echo_at.size() == stall_at) now += 3000000;  // the sender held up for 3 s
  }
  std::uint64_t NowUs() override { return now; }
  size_t Resolving(const std::set<std::string>& hosts) override {
    return now < settled_at ? hosts.size() : 0;
  }
  bool DumpCommandEnded() override { return now >= command_at + command_us; }

  std::vector<std::string> echoes;
  std::vector<unsigned> sleeps;
  std::vector<std::uint64_t> echo_at;
  size_t stall_at = 0;
  WaitGuard guard;
  int commands = 0;
  int deletes = 0;
  int fail_at = 0;
  bool write_dump = true;
  bool dump_exists = true;
  std::string dump;
  // The fast sweep's clock (microseconds), when the table settles and how long the dump
  // command runs.
  std::uint64_t now = 0, last_echo_at = 0, settled_at = 0, command_at = 0, command_us = 0;
};

const char kDump[] =
    "\r\nInterface: 10.9.0.1 --- 0x2\r\n"
    "  Internet Address      Physical Address      Type\r\n"
    "  10.9.0.7              00-14-78-aa-bb-cc     dynamic   \r\n"
    "  10.9.0.8              0a-0b-0c-0d-0e-0f     dynamic   \r\n";

std::vector<std::string> Targets(const std::string& start, const std::string& end) {
  IcmpTargets t(start, end);
  std::vector<std::string> out;
  std::string host;
  bool carry = false;
  while (t.Next(host, carry)) out.push_back(host);
  return out;
}

TEST(IcmpTargets, TableOfRanges) {
  auto t = Targets("192.168.0.1", "192.168.0.254");
  ASSERT_EQ(t.size(), 253u);
  EXPECT_EQ(t.front(), "192.168.0.2");
  EXPECT_EQ(t.back(), "192.168.0.254");
  EXPECT_EQ(
      Targets("192.168.0.250", "192.168.1.5"),
      (std::vector<std::string>{"192.168.0.251", "192.168.0.252", "192.168.0.253", "192.168.0.254",
                                "192.168.0.255", "192.168.1.1", "192.168.1.2", "192.168.1.3",
                                "192.168.1.4", "192.168.1.5", "192.168.1.6"}));
  EXPECT_TRUE(Targets("192.168.0.7", "192.168.0.7").empty());
  EXPECT_TRUE(Targets("192.168.0.10", "192.168.0.5").empty());
  EXPECT_EQ(IcmpTargets("192.168.0.10", "192.168.0.5").Count(), -5);
}

TEST(IcmpTargets, ThirdNumberNeverPasses255) {
  const auto t = Targets("10.0.255.250", "10.1.0.20");
  EXPECT_EQ(t, (std::vector<std::string>{"10.0.255.251", "10.0.255.252", "10.0.255.253",
                                         "10.0.255.254", "10.0.255.255"}));
  EXPECT_TRUE(Targets("10.0.300.1", "10.0.300.9").empty());
  // A range of millions of addresses ends after the last third octet.
  EXPECT_EQ(Targets("10.0.0.1", "10.255.255.255").size(), 255u * 255u - 1 + 255u);
}

TEST(IcmpSweep, WholeRunWithHarvest) {
  RecordingView view;
  view.hosts.Append({"1.1.1.1", "x", "y", "z", ""});  // emptied by the run
  FakePlatform platform;
  platform.dump = kDump;
  bool cancel = true;  // left over from an earlier stop
  RunIcmpSweep(view, platform, {}, "10.9.0.1", "10.9.0.3", cancel);
  EXPECT_EQ(platform.echoes, (std::vector<std::string>{"10.9.0.2", "10.9.0.3"}));
  EXPECT_EQ(platform.deletes, 1);
  EXPECT_EQ(platform.sleeps, (std::vector<unsigned>{4000, 2500}));
  ASSERT_EQ(view.hosts.Count(), 2u);
  EXPECT_EQ(view.hosts.At(0), (HostRecord{"10.9.0.7", "00-14-78-AA-BB-CC", "-", "-", ""}));
  EXPECT_EQ(view.hosts.At(1).mac, "0A-0B-0C-0D-0E-0F");
  EXPECT_EQ(view.status[0], IcmpDoneText(2));
  EXPECT_EQ(
      view.status[0],
      "\xC9\xA8\xC3\xE8\xD2\xD1\xB3\xC9\xB9\xA6\xCD\xEA\xB3\xC9,\xB1\xBE\xB4\xCE\xC9\xA8\xC3\xE8"
      "\xB9\xB2\xB7\xA2\xCF\xD6\xD4\xDA\xCF\xDF\xD6\xF7\xBB\xFA 2 \xCC\xA8");
  EXPECT_EQ(view.status[1], "");
  EXPECT_FALSE(view.progress_shown);
  EXPECT_TRUE(view.buttons[ScanButton::kInstall]);
  EXPECT_TRUE(view.buttons[ScanButton::kStop]);
  EXPECT_EQ(view.pumps, 3);  // two echoes and the harvest's first step
}

TEST(IcmpSweep, EchoTextsAndCarry) {
  RecordingView view;
  FakePlatform platform;
  platform.dump = kDump;
  std::vector<std::string> captions;
  view.on_pump = [&] { captions.push_back(view.caption); };
  bool cancel = false;
  RunIcmpSweep(view, platform, {}, "192.168.0.254", "192.168.1.2", cancel);
  EXPECT_EQ(platform.echoes, (std::vector<std::string>{"192.168.0.255", "192.168.1.1",
                                                       "192.168.1.2", "192.168.1.3"}));
  // The carry step neither pumps nor sets the caption.
  EXPECT_EQ(captions, (std::vector<std::string>{
                          IcmpProgressText("192.168.0.255"), IcmpProgressText("192.168.1.2"),
                          IcmpProgressText("192.168.1.3"), IcmpHarvestText()}));
  const std::vector<std::string> status0 = [&] {
    std::vector<std::string> s;
    for (const auto& l : view.log)
      if (l.rfind("status0:", 0) == 0) s.push_back(l.substr(8));
    return s;
  }();
  ASSERT_EQ(status0.size(), 6u);
  EXPECT_EQ(status0[1], IcmpEchoText("192.168.1.1", 4, true));
  EXPECT_EQ(status0[0],
            "\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8 192.168.0.255 \xB9\xB2\xBC\xC6\xD2\xAA"
            "\xC9\xA8\xC3\xE8IP\xB5\xD8\xD6\xB7 4 \xB8\xF6");
  EXPECT_EQ(status0[1],
            "\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8 192.168.1.1 \xB9\xB2\xBC\xC6\xD2\xAA"
            "\xC9\xA8\xC3\xE8IP\xB5\xD8\xD6\xB7"
            "4 \xB8\xF6");
  EXPECT_EQ(status0[4], IcmpHarvestText());
}

TEST(IcmpSweep, StopBetweenEchoesEndsWithoutHarvest) {
  RecordingView view;
  FakePlatform platform;
  bool cancel = false;
  view.on_pump = [&] {
    if (platform.echoes.size() == 2 && !cancel) IcmpStopClick(view, cancel);
  };
  RunIcmpSweep(view, platform, {}, "10.9.0.1", "10.9.0.200", cancel);
  EXPECT_EQ(platform.echoes.size(), 2u);
  EXPECT_EQ(platform.commands, 0);
  EXPECT_TRUE(view.hosts.Empty());
  EXPECT_EQ(view.status[0], IcmpCancelText());
  EXPECT_FALSE(view.progress_shown);
  EXPECT_FALSE(view.buttons[ScanButton::kStop]);
  EXPECT_EQ(view.buttons.count(ScanButton::kInstall), 0u);
}

TEST(IcmpSweep, StopDuringTheLastEchoStillHarvests) {
  RecordingView view;
  FakePlatform platform;
  platform.dump = kDump;
  bool cancel = false;
  view.on_pump = [&] {
    if (platform.echoes.size() == 3 && !cancel) IcmpStopClick(view, cancel);
  };
  RunIcmpSweep(view, platform, {}, "10.9.0.1", "10.9.0.4", cancel);
  EXPECT_EQ(platform.commands, 1);
  EXPECT_EQ(view.hosts.Count(), 2u);
  EXPECT_EQ(view.status[0], IcmpDoneText(2));
  EXPECT_FALSE(view.buttons[ScanButton::kStop]);
  EXPECT_TRUE(view.buttons[ScanButton::kInstall]);
}

TEST(IcmpSweep, EndBeforeStartShowsProgressAndStops) {
  RecordingView view;
  FakePlatform platform;
  bool cancel = false;
  RunIcmpSweep(view, platform, {}, "192.168.0.10", "192.168.0.5", cancel);
  EXPECT_TRUE(platform.echoes.empty());
  EXPECT_EQ(platform.commands, 0);
  EXPECT_TRUE(view.progress_shown);
  IcmpStopClick(view, cancel);
  EXPECT_FALSE(view.progress_shown);
}

TEST(IcmpSweep, FailuresShowTheirMessageAndEndTheRun) {
  {
    RecordingView view;
    FakePlatform platform;
    bool cancel = false;
    RunIcmpSweep(view, platform, {}, "10.9.0.1", "10.9.0", cancel);
    EXPECT_EQ(view.errors, (std::vector<std::string>{"'' is not a valid integer value"}));
    EXPECT_FALSE(view.progress_shown);
    EXPECT_TRUE(view.buttons[ScanButton::kStop]);
    EXPECT_EQ(platform.deletes, 0);
  }
  {
    RecordingView view;
    FakePlatform platform;
    platform.fail_at = 2;
    bool cancel = false;
    RunIcmpSweep(view, platform, {}, "10.9.0.1", "10.9.0.9", cancel);
    EXPECT_EQ(view.errors, (std::vector<std::string>{"Non-echo type response received"}));
    EXPECT_EQ(platform.echoes.size(), 2u);
    EXPECT_TRUE(view.progress_shown);
  }
  {
    RecordingView view;
    FakePlatform platform;
    platform.write_dump = false;
    bool cancel = false;
    RunIcmpSweep(view, platform, {}, "10.9.0.1", "10.9.0.1", cancel);
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0].rfind("Cannot open file \"C:\\WINDOWS\\IPMAC.TXT\". ", 0), 0u);
    EXPECT_TRUE(view.hosts.Empty());
    EXPECT_TRUE(view.progress_shown);
  }
}

// The fast sweep harvests as soon as the table has settled, or a second after the last echo,
// and reads the dump when the command has ended (or has run too long), with the records and
// texts of the designed harvest; a stop as it begins or while it waits ends it without records.
TEST(IcmpFastSweep, HarvestWhenTheTableSettlesOrAStopEndsIt) {
  constexpr std::uint64_t kNever = UINT64_MAX / 2;
  const struct {
    const char* name;
    std::uint64_t settled_at, command_us;
    int stop_at_pump;
    std::uint64_t command_after_last_echo;  // when harvested
    const char* end = "10.9.0.3";
    size_t stall_at = 0;
  } cases[] = {
      {"settles", 30000, 5000, 0, 30000},
      {"never settles", kNever, 5000, 0, 1000000},
      {"command hangs", 0, kNever, 0, 0},
      {"stop while settling", kNever, 0, 5, 0},
      {"stop while the command runs", 0, kNever, 5, 0},
      {"stop as the harvest begins", 0, 0, 3, 0},
      {"one address", 0, 0, 0, 0, "10.9.0.1"},
      {"a large range, held up once", 0, 0, 0, 0, "10.9.3.254", 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingView designed;
    FakePlatform designed_platform;
    designed_platform.dump = kDump;
    bool designed_cancel = false;
    RunIcmpSweep(designed, designed_platform, {}, "10.9.0.1", c.end, designed_cancel);
    RecordingView view;
    FakePlatform platform;
    platform.dump = kDump;
    platform.settled_at = c.settled_at;
    platform.command_us = c.command_us;
    platform.stall_at = c.stall_at;
    bool cancel = false;
    view.on_pump = [&] {
      if (view.pumps == c.stop_at_pump) IcmpStopClick(view, cancel);
    };
    RunIcmpFastSweep(view, platform, "10.9.0.1", c.end, cancel);
    EXPECT_EQ(platform.echoes, designed_platform.echoes);
    for (unsigned ms : platform.sleeps) EXPECT_LE(ms, kIcmpPollMs);
    // Paced: echo i no sooner than i intervals after the first, and no more than a burst
    // window's worth (33) at once after a hold-up.
    constexpr std::uint64_t kIntervalUs = 1000000 / kFastQueriesPerSecond;
    for (size_t i = 0; i < platform.echo_at.size(); ++i) {
      ASSERT_GE(platform.echo_at[i], i * kIntervalUs) << i;
      if (i >= 40) {
        ASSERT_GE(platform.echo_at[i] - platform.echo_at[i - 40], kIntervalUs * 6) << i;
      }
    }
    if (c.stop_at_pump) {
      EXPECT_TRUE(view.hosts.Empty());
      EXPECT_EQ(view.status[0], IcmpCancelText());
      continue;
    }
    const std::uint64_t waited = platform.command_at - platform.last_echo_at;
    EXPECT_GE(waited, c.command_after_last_echo);
    EXPECT_LE(waited, c.command_after_last_echo + kIcmpPollMs * 1000);
    EXPECT_GE(platform.now - platform.command_at,
              std::min<std::uint64_t>(c.command_us, kIcmpDumpLimitMs * 1000));
    ASSERT_EQ(view.hosts.Count(), designed.hosts.Count());
    for (size_t i = 0; i < view.hosts.Count(); ++i)
      EXPECT_EQ(view.hosts.At(i), designed.hosts.At(i));
    EXPECT_EQ(view.status, designed.status);
    EXPECT_EQ(view.buttons, designed.buttons);
    EXPECT_FALSE(view.progress_shown);
  }
}

TEST(ArpDump, EveryLineAfterTheHeadingIsARecord) {
  const std::string two_blocks = std::string(kDump) +
                                 "\r\nInterface: 10.8.0.1 --- 0x3\r\n"
                                 "  Internet Address      Physical Address      Type\r\n"
                                 "  10.8.0.9              02-00-00-00-00-09     dynamic\r\n";
  const auto r = ReadArpDump(two_blocks);
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[2], (HostRecord{"", "", "-", "-", ""}));
  EXPECT_EQ(r[3].ip, "Interface: 10.8.0.");
  EXPECT_EQ(r[3].mac, ".1 --- 0X3");
  EXPECT_EQ(r[4].ip, "Internet Address");
  EXPECT_EQ(r[4].mac, "S      PHYSICAL ADDRESS");
  EXPECT_EQ(r[5].mac, "02-00-00-00-00-09");
}

TEST(ArpDump, LineEndsAndShortLines) {
  EXPECT_TRUE(ReadArpDump("\r\nInterface: 1.2.3.4 --- 0x2\r\n  Internet Address\r\n").empty());
  const auto r = ReadArpDump("a\nb\rc\r\n  1.2.3.4\n  5.6.7.8          x\x01y\r");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], (HostRecord{"1.2.3.4", "", "-", "-", ""}));
  EXPECT_EQ(r[1].ip, "5.6.7.8");
  EXPECT_EQ(r[1].mac, "X\x01Y");
  EXPECT_EQ(SplitLines("a\r\n\r\nb\n").size(), 3u);
}

TEST(CompareRecords, ColumnsCaseAndText) {
  HostList list;
  list.Append({"192.168.0.2", "b", "", "pc-b", ""});
  list.Append({"192.168.0.10", "A", "", "PC-A", ""});
  list.Append({"192.168.0.1", "a", "", "pc-c", ""});
  const auto sort_by = [&](int c) {
    list.Sort([c](const HostRecord& x, const HostRecord& y) { return CompareRecords(x, y, c); });
    std::vector<std::string> ips;
    for (size_t i = 0; i < list.Count(); ++i) ips.push_back(list.At(i).ip);
    return ips;
  };
  EXPECT_EQ(sort_by(0), (std::vector<std::string>{"192.168.0.1", "192.168.0.10", "192.168.0.2"}));
  EXPECT_EQ(sort_by(0), (std::vector<std::string>{"192.168.0.1", "192.168.0.10", "192.168.0.2"}));
  EXPECT_EQ(sort_by(3), (std::vector<std::string>{"192.168.0.10", "192.168.0.2", "192.168.0.1"}));
  // Equal ignoring case keeps the order (stable): "a" and "A" tie.
  EXPECT_EQ(CompareRecords(R("", "a"), R("", "A"), 1), 0);
  EXPECT_LT(CompareRecords(R("", "Z"), R("", "\xB0\xA1"), 1), 0);  // bytes above 0x7F by value
  EXPECT_LT(CompareRecords(R("", "ab"), R("", "ABC"), 1), 0);
  EXPECT_EQ(CompareRecords(R("1"), R("2"), 7), 0);
}

TEST(NbtEvents, StartQueryAndEndTexts) {
  RecordingView view;
  view.hosts.Append({"1.1.1.1", "", "", "", ""});
  NbtScanStarting(view);
  EXPECT_TRUE(view.hosts.Empty());
  EXPECT_TRUE(view.buttons[ScanButton::kEdit]);
  EXPECT_TRUE(view.buttons[ScanButton::kStop]);
  NbtSendEvent(view, NbtStatusText("192.168.0.1"));
  EXPECT_EQ(view.status[0],
            "\xD5\xFD\xD4\xDA\xC9\xA8\xC3\xE8\xA3\xBA"
            "192.168.0.1");
  view.hosts.InsertTop(R("10.9.0.7"));
  view.hosts.InsertTop(R("10.9.0.7"));
  NbtEndEvent(view);
  EXPECT_EQ(view.status[0], "\xC9\xA8\xC3\xE8\xB3\xC9\xB9\xA6\xCD\xEA\xB3\xC9\xA3\xA1");
  EXPECT_EQ(view.status[1], NbtEndText() +
                                "\xB9\xB2\xB7\xA2\xCF\xD6\xD6\xF7\xBB\xFA\xCA\xFD\xA3\xBA"
                                "2 \xCC\xA8!");
  NbtEndEvent(view, 3);
  EXPECT_EQ(view.status[0],
            NbtEndText() + " 3 \xB8\xF6\xB5\xD8\xD6\xB7\xCE\xB4\xC4\xDC\xB7\xA2\xCB\xCD");
  // PCs that answered only when asked again are counted last ("，重试后补充 2 台").
  const std::string retry = "\xA3\xAC\xD6\xD8\xCA\xD4\xBA\xF3\xB2\xB9\xB3\xE4 2 \xCC\xA8";
  NbtEndEvent(view, 0, 2);
  EXPECT_EQ(view.status[0], NbtEndText() + retry);
  NbtEndEvent(view, 3, 2);
  EXPECT_EQ(view.status[0], NbtEndText() + " " + NbtDroppedText(3) + retry);
}

TEST(ResolveAllNames, EachNameGoesToTheRecordItWasLookedUpFor) {
  RecordingView view;
  view.hosts.Append({"10.9.0.1", "", "", "old1", ""});
  view.hosts.Append({"10.9.0.2", "", "", "old2", ""});
  view.hosts.Append({"10.9.0.3", "", "", "old3", ""});
  int steps = 0;
  const auto on_window = [&](const std::function<void()>& step) {
    ++steps;
    step();
  };
  // While the lookups run, the window deletes the second record, inserts one at the top
  // and sorts the list backwards.
  const auto lookup = [&](const std::string& ip) -> std::string {
    if (ip == "10.9.0.1") {
      view.hosts.RemoveAt(1);
      view.hosts.InsertTop({"10.9.0.99", "", "", "typed", ""});
      view.hosts.Sort(
          [](const HostRecord& a, const HostRecord& b) { return -CompareRecords(a, b, 0); });
    }
    if (ip == "10.9.0.3") return "---";
    return "name-" + ip;
  };
  ResolveAllNames(view, on_window, lookup);
  std::map<std::string, std::string> names;
  for (size_t i = 0; i < view.hosts.Count(); ++i)
    names[view.hosts.At(i).ip] = view.hosts.At(i).name;
  EXPECT_EQ(names,
            (std::map<std::string, std::string>{
                {"10.9.0.1", "name-10.9.0.1"}, {"10.9.0.3", "---"}, {"10.9.0.99", "typed"}}));
  EXPECT_EQ(steps, 1 + 3 + 1);
  // Three handled, three in the list now: the end texts appear.
  EXPECT_EQ(view.status[1], ResolveDoneText());
  EXPECT_TRUE(view.buttons[ScanButton::kAdd]);
  EXPECT_FALSE(view.buttons[ScanButton::kEdit]);
  EXPECT_TRUE(view.buttons[ScanButton::kInstall]);
}

TEST(ResolveAllNames, CountChangedMeansNoEndTexts) {
  RecordingView view;
  view.hosts.Append(R("10.9.0.1"));
  const auto on_window = [](const std::function<void()>& step) { step(); };
  ResolveAllNames(view, on_window, [&](const std::string&) {
    view.hosts.Append(R("10.9.0.2"));
    return std::string("n");
  });
  EXPECT_EQ(view.status.count(1), 0u);
  EXPECT_TRUE(view.buttons.empty());

  RecordingView empty;
  ResolveAllNames(empty, on_window, [](const std::string&) { return std::string("n"); });
  EXPECT_EQ(empty.status[1],
            "\xD6\xF7\xBB\xFA\xC3\xFB\xBD\xE2\xCE\xF6\xB3\xC9\xB9\xA6\xCD\xEA\xB3\xC9\xA3\xA1");
}

}  // namespace
}  // namespace lr
