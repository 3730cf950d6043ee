// The apply sequence over a fake machine: every step, its order and every pause, the
// cases with nothing sound to apply, and the failures that end the program. Also the own
// MAC text from two UUIDs and the random network number.
#include "clientprep/apply_sequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "clientprep/network_number.h"
#include "clientprep/own_mac.h"
#include "clientprep/run_log.h"
#include "clientprep/user_shell.h"
#include "package/assign_wire.h"
#include "package/unlock_password.h"
#include "tests/unit/hostprep_fake_machine.h"

namespace lr::clientprep {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeMachine;
using ::testing::HasSubstr;

const std::string kTcpip1 = "SYSTEM\\ControlSet001\\Services\\Tcpip\\Parameters";
const std::string kNameKey = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
const std::string kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
// netsh by its full path, "interface ip set address " then 本地连接 in GBK.
const std::string kNetsh =
    "C:\\WINDOWS\\system32\\netsh.exe interface ip set address "
    "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3 static ";
const std::string kReboot =
    "hidden C:\\WINDOWS\\system32\\cmd.exe /c C:\\WINDOWS\\system32\\shutdown.exe -r -t 0";
const std::string kAddressInPlace =
    "address? 00-1A-2B-3C-4D-5E 192.168.0.21 255.255.255.0 192.168.0.1";

std::string Settings(const std::string& autoset, const std::string& infolist) {
  return "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=255.255.255.0\r\n" + autoset + "[InfoList]\r\n" +
         infolist;
}

const std::string kEntry = "00-1A-2B-3C-4D-5E=192.168.0.21~PC21\r\n";

// The log lines of writing the computer name `name`, after SetComputerName.
std::vector<std::string> NameSteps(const std::string& name) {
  return {"name " + name,
          "open " + kTcpip1,
          "set NV Hostname=" + name,
          "set Hostname=" + name,
          "close",
          "open " + kNameKey,
          "set ComputerName=" + name,
          "close",
          "open " + kTcpip,
          "set NV Hostname=" + name,
          "set Hostname=" + name,
          "close"};
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(ApplySequenceTest, EveryStepInOrderWithEveryOption) {
  FakeMachine m;
  m.settings = Settings("UnlockPW=" + EncodeUnlockPassword("aB3") +
                            "\r\nCanReboot=Yes\r\nCanModifyRA2=Yes\r\n"
                            "ExecutePath=C:\\Cafe\\client.exe /min\r\nFormStat=1\r\n",
                        kEntry);
  m.values[std::string(kRunKey) + "\\hostprep"] = "C:\\Windows\\Hostprep.exe";
  m.seed = 7;
  EXPECT_EQ(RunApplySequence(m), kDone);
  const std::vector<std::string> expected = Concat({
      {"lock", "read settings", "mac", "rights"},
      NameSteps("PC21"),
      {"open " + std::string(kIpxKey),
       StrFormat("dword VirtualNetworkNumber=%u", DrawNetworkNumber(7)), "close"},
      {"hidden " + kNetsh + "192.168.0.21 255.255.255.0 192.168.0.1 1",
       "pause 1000",
       kAddressInPlace,
       "shown C:\\Cafe\\client.exe /min",
       "pause 15000",
       "D72",
       "U72",
       "pause 2000",
       "D41",
       "U41",
       "D10",
       "D42",
       "U42",
       "U10",
       "D33",
       "U33",
       "pause 1500",
       "D0D",
       "U0D",
       "write settings",
       "open " + std::string(kRunKey),
       "exists hostprep",
       "delete hostprep",
       "pause 2000",
       "close",
       "run log",
       kReboot},
  });
  EXPECT_THAT(m.log, ElementsAreArray(expected));
  EXPECT_EQ(m.values.count(std::string(kRunKey) + "\\hostprep"), 0u);
  EXPECT_EQ(m.values[kNameKey + "\\ComputerName"], "PC21");
  // The password left the file; every other byte stayed.
  EXPECT_EQ(m.settings, Settings("CanReboot=Yes\r\nCanModifyRA2=Yes\r\n"
                                 "ExecutePath=C:\\Cafe\\client.exe /min\r\nFormStat=1\r\n",
                                 kEntry));
}

TEST(ApplySequenceTest, NoOptionsGivesOnlyTheNameTheAddressAndTheRunValue) {
  FakeMachine m;
  m.settings = Settings("UnlockPW=\r\nCanReboot=No\r\nCanModifyRA2=No\r\nExecutePath=\r\n", kEntry);
  m.refused.insert("Myset.ini");  // no password to remove from it: the file is left alone
  m.adapters = {{"00-1A-2B-3C-4D-5E", "", u""}, {"00-1A-2B-3C-4D-62", "", u""}};
  EXPECT_EQ(RunApplySequence(m), kDone);
  // The MACs tried, each once (the UUID node is also an adapter).
  EXPECT_THAT(m.run_log,
              ElementsAre("2026-12-08 09:05:07  MAC: 00-1A-2B-3C-4D-5E, 00-1A-2B-3C-4D-62  "
                          "条目: 00-1A-2B-3C-4D-5E=192.168.0.21~PC21  "
                          "结果: 已完成配置（退出码 0）\r\n"));
  const std::vector<std::string> expected = Concat({
      {"lock", "read settings", "mac", "rights"},
      NameSteps("PC21"),
      {"hidden " + kNetsh + "192.168.0.21 255.255.255.0 192.168.0.1 1", "pause 1000",
       kAddressInPlace, "open " + std::string(kRunKey), "exists hostprep", "delete hostprep",
       "pause 2000", "close", "run log"},
  });
  EXPECT_THAT(m.log, ElementsAreArray(expected));
}

TEST(ApplySequenceTest, FlagsAndWindowModeCompareExactly) {
  struct Case {
    std::string autoset;
    std::vector<std::string> commands;  // after the address command
  };
  const Case cases[] = {
      {"ExecutePath=prog.exe\r\n", {}},  // no FormStat: no program
      {"ExecutePath=prog.exe\r\nFormStat=0\r\n", {"hidden prog.exe"}},
      {"ExecutePath=prog.exe\r\nFormStat=2\r\n", {"hidden prog.exe"}},
      {"ExecutePath=prog.exe\r\nFormStat=1\r\n", {"shown prog.exe"}},
      {"ExecutePath=\r\nFormStat=1\r\n", {}},
      {"CanReboot=yes\r\nCanModifyRA2=YES\r\n", {}},
      {"CanReboot=Yes \r\n", {kReboot}},  // blanks trimmed
  };
  for (const Case& c : cases) {
    FakeMachine m;
    m.settings = Settings(c.autoset, kEntry);
    EXPECT_EQ(RunApplySequence(m), kDone);
    std::vector<std::string> commands;
    for (const std::string& line : m.log) {
      if (line.rfind("dword", 0) == 0) commands.push_back(line);
      if ((line.rfind("hidden ", 0) == 0 || line.rfind("shown ", 0) == 0) &&
          line.find("netsh") == std::string::npos)
        commands.push_back(line);
    }
    EXPECT_EQ(commands, c.commands) << c.autoset;
  }
}

TEST(ApplySequenceTest, NothingIsChangedWithoutASoundEntry) {
  struct Case {
    const char* what;
    std::optional<std::string> settings;
    std::string mac;
    ApplyResult result;
    std::vector<Adapter> adapters = {};
  };
  const std::string all =
      "UnlockPW=0E05\r\nCanReboot=Yes\r\nCanModifyRA2=Yes\r\n"
      "ExecutePath=prog.exe\r\nFormStat=1\r\n";
  const Case cases[] = {
      {"no settings file", std::nullopt, "00-1A-2B-3C-4D-5E", kNoSettingsFile},
      {"no own MAC", Settings(all, kEntry), "", kNoOwnMac},
      {"unknown MAC", Settings(all, kEntry), "00-1A-2B-3C-4D-5F", kNoEntry},
      {"empty file", std::string(), "00-1A-2B-3C-4D-5E", kNoEntry},
      {"dotted key", Settings(all, "00.1A.2B.3C.4D.5E=192.168.0.21~PC21\r\n"), "00-1A-2B-3C-4D-5E",
       kNoEntry},
      {"no tilde", Settings(all, "00-1A-2B-3C-4D-5E=PC21\r\n"), "00-1A-2B-3C-4D-5E",
       kEntryWithoutTilde},
      {"empty entry", Settings(all, "00-1A-2B-3C-4D-5E=\r\n"), "00-1A-2B-3C-4D-5E",
       kEntryWithoutTilde},
      {"no address", Settings(all, "00-1A-2B-3C-4D-5E=~PC21\r\n"), "00-1A-2B-3C-4D-5E",
       kEmptyAddressOrName},
      {"no name", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21~\r\n"), "00-1A-2B-3C-4D-5E",
       kEmptyAddressOrName},
      {"master's node",
       Settings(all + "MasterMAC= 00-1a-2b-3c-4d-99 ,00-1a-2b-3c-4d-5e\r\n", kEntry),
       "00-1A-2B-3C-4D-5E", kMasterMachine},
      {"the master's entry under its second adapter",
       Settings(all + "MasterMAC=00-1A-2B-3C-4D-5E,00-1A-2B-3C-4D-99\r\n",
                "00-1A-2B-3C-4D-99=192.168.0.9~MASTER\r\n"),
       "00-1A-2B-3C-4D-5E",
       kMasterMachine,
       {{"00-1A-2B-3C-4D-99", "Wi-Fi", u"Wi-Fi"}}},
      // Names no PC may take: the list's placeholder for an unknown name, or one Windows
      // refuses or cuts.
      {"placeholder name", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21~---\r\n"),
       "00-1A-2B-3C-4D-5E", kEmptyAddressOrName},
      {"dash name", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21~-\r\n"), "00-1A-2B-3C-4D-5E",
       kEmptyAddressOrName},
      {"digits only", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21~2021\r\n"), "00-1A-2B-3C-4D-5E",
       kEmptyAddressOrName},
      {"16 bytes", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21~PC21-ABCDEFGHIJK\r\n"),
       "00-1A-2B-3C-4D-5E", kEmptyAddressOrName},
      {"forbidden character", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21~PC*21\r\n"),
       "00-1A-2B-3C-4D-5E", kEmptyAddressOrName},
      // Addresses no command can set: the entry's, the mask (dotted, one run of ones) and
      // the gateway, each also when missing.
      {"IP with a comma", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.21,x~PC21\r\n"),
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"IP part over 255", Settings(all, "00-1A-2B-3C-4D-5E=192.168.0.256~PC21\r\n"),
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"no mask", "[AutoSet]\r\nGateway=192.168.0.1\r\n" + all + "[InfoList]\r\n" + kEntry,
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"mask with a gap",
       "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=255.0.255.0\r\n" + all + "[InfoList]\r\n" + kEntry,
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"mask of zeros",
       "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=0.0.0.0\r\n" + all + "[InfoList]\r\n" + kEntry,
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"mask 24",
       "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=24\r\n" + all + "[InfoList]\r\n" + kEntry,
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"no gateway", "[AutoSet]\r\nMask=255.255.255.0\r\n" + all + "[InfoList]\r\n" + kEntry,
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"gateway a name",
       "[AutoSet]\r\nGateway=router\r\nMask=255.255.255.0\r\n" + all + "[InfoList]\r\n" + kEntry,
       "00-1A-2B-3C-4D-5E", kBadAddress},
      {"DNS a name", Settings(all + "DNS1=192.168.0.1\r\nDNS2=dns.cafe\r\n", kEntry),
       "00-1A-2B-3C-4D-5E", kBadAddress},
  };
  for (const Case& c : cases) {
    FakeMachine m;
    m.settings = c.settings;
    m.mac = c.mac;
    m.adapters = c.adapters;
    m.values[std::string(kRunKey) + "\\hostprep"] = "C:\\Windows\\Hostprep.exe";
    EXPECT_EQ(RunApplySequence(m), c.result) << c.what;
    for (const std::string& line : m.log)
      EXPECT_TRUE(line == "lock" || line == "read settings" || line == "mac" || line == "rights" ||
                  line == "run log")
          << c.what << ": " << line;
    EXPECT_EQ(m.values.size(), 1u) << c.what;
    EXPECT_NE(c.result, kDone);
    EXPECT_THAT(m.run_log, ElementsAre(HasSubstr(StrFormat("（退出码 %d）\r\n", c.result))))
        << c.what;
  }
}

TEST(ApplySequenceTest, EntryIsFoundWhateverTheLetterCaseOfItsKey) {
  FakeMachine m;
  m.settings = Settings("", "00-1a-2b-3c-4d-5e=10.0.0.9~\xCD\xF8\xB0\xC9~9\r\n");
  EXPECT_EQ(RunApplySequence(m), kDone);
  // The name is everything after the first "~", GBK bytes and further "~" included.
  EXPECT_EQ(m.log[4], "name \xCD\xF8\xB0\xC9~9");
  EXPECT_THAT(m.log, ::testing::Contains(HasSubstr(" static 10.0.0.9 255.255.255.0")));
}

TEST(ApplySequenceTest, RefusedRegistryWriteStopsTheProgram) {
  for (const char* refused : {"NV Hostname", "Hostname", "ComputerName", "VirtualNetworkNumber"}) {
    FakeMachine m;
    m.settings =
        Settings("CanModifyRA2=Yes\r\nCanReboot=Yes\r\nExecutePath=p\r\nFormStat=1\r\n", kEntry);
    m.values[std::string(kRunKey) + "\\hostprep"] = "x";
    m.refused.insert(refused);
    EXPECT_EQ(RunApplySequence(m), kRegistryWriteFailed) << refused;
    // The key is closed and nothing runs after; the box comes after the log line.
    EXPECT_THAT(
        std::vector<std::string>(m.log.end() - 3, m.log.end()),
        ElementsAre("close", "run log", StrFormat("error Failed to set data for '%s'", refused)));
    EXPECT_EQ(m.open_count, 0);
    EXPECT_EQ(m.values.count(std::string(kRunKey) + "\\hostprep"), 1u);
  }
}

TEST(ApplySequenceTest, RunValueThatCantBeDeletedPreventsTheRestart) {
  for (const char* refused : {kRunValue, kRunKey}) {  // the value, or a guarded key
    FakeMachine m;
    m.settings = Settings("CanReboot=Yes\r\n", kEntry);
    m.values[std::string(kRunKey) + "\\hostprep"] = "x";
    m.refused.insert(refused);
    EXPECT_EQ(RunApplySequence(m), kRunValueKept);
    EXPECT_THAT(m.log, ::testing::Not(::testing::Contains(HasSubstr("shutdown"))));
    EXPECT_THAT(m.log, ::testing::Contains("error Failed to delete value 'hostprep'"));
  }
}

TEST(ApplySequenceTest, WithoutRightsNothingIsChanged) {
  // Also when the settings file, readable by administrators only, can't be read.
  for (const bool readable : {true, false}) {
    FakeMachine m;
    if (readable) m.settings = Settings("CanReboot=Yes\r\n", kEntry);
    m.rights = false;
    EXPECT_EQ(RunApplySequence(m), kNoAdminRights);
    const std::string error = "error " + std::string(kNoRightsMessage);
    if (readable)
      EXPECT_THAT(m.log, ElementsAre("lock", "read settings", "mac", "rights", "run log", error));
    else
      EXPECT_THAT(m.log, ElementsAre("lock", "read settings", "rights", "run log", error));
  }
}

TEST(ApplySequenceTest, TheFirstMacWithAnEntryGivesItsAdaptersConnection) {
  const std::string a = "00-1A-2B-3C-4D-5E", b = "00-1A-2B-3C-4D-5F";
  const std::string tap = "00-1A-2B-3C-4D-99";  // the master's virtual adapter, on every clone
  struct Case {
    std::string node;
    std::vector<Adapter> adapters;
    std::string infolist;
    std::string connection;  // in the address command as shown
    std::u16string wide;     // as the system gets it
  };
  const Case cases[] = {
      {"",
       {{a, "\xD2\xD4\xCC\xAB\xCD\xF8", u"以太网"}, {b, "Wi-Fi", u"Wi-Fi"}},
       b + "=10.0.0.2~B\r\n",
       "Wi-Fi",
       u"Wi-Fi"},
      {a,
       {{b, "LAN 2", u"LAN 2"}, {a, "LAN 1", u"LAN 1"}},
       b + "=10.0.0.2~B\r\n" + a + "=10.0.0.1~A\r\n",
       "\"LAN 1\"",
       u"\"LAN 1\""},
      {a,
       {{a, "x", u"x"}, {b, "LAN 3", u"LAN 3"}},
       b + "=10.0.0.2~B\r\n",
       "\"LAN 3\"",
       u"\"LAN 3\""},
      {a, {}, a + "=10.0.0.1~A\r\n", "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3", u"本地连接"},
      // A name outside code page 936 reaches the command whole; the message shows "?".
      {a,
       {{a, "Po??czenie lokalne", u"Połączenie lokalne"}},
       a + "=10.0.0.1~A\r\n",
       "\"Po??czenie lokalne\"",
       u"\"Połączenie lokalne\""},
      // A clone holding the master's virtual adapter (its UUID node, or listed first) takes
      // its own card's entry, also when the master's adapter has an entry of its own.
      {tap, {{tap, "TAP", u"TAP"}, {b, "LAN", u"LAN"}}, b + "=10.0.0.2~B\r\n", "LAN", u"LAN"},
      {a,
       {{tap, "TAP", u"TAP"}, {a, "LAN", u"LAN"}},
       tap + "=10.0.0.9~M\r\n" + a + "=10.0.0.1~A\r\n",
       "LAN",
       u"LAN"},
  };
  for (const Case& c : cases) {
    FakeMachine m;
    m.settings = Settings("MasterMAC=" + tap + "\r\n", c.infolist);
    m.mac = c.node;
    m.adapters = c.adapters;
    EXPECT_EQ(RunApplySequence(m), kDone) << c.connection;
    EXPECT_THAT(m.log, ::testing::Contains(HasSubstr("address " + c.connection + " static ")));
    EXPECT_EQ(m.address_connection, c.wide) << c.connection;
  }
}

TEST(ApplySequenceTest, TheAddressCountsWhenItIsInPlaceWhateverNetshSays) {
  // The address looked for after the command, however it ended; a command that did not end
  // or did not start fails. A failure keeps the password and the Run value and starts nothing.
  using Outcome = CommandResult::Outcome;
  struct Case {
    Outcome outcome;
    std::uint32_t exit_code;
    bool in_place;
    int looks;           // at the adapter's addresses
    std::string output;  // netsh's
    std::string shown;   // in the message; empty when the address is taken
  };
  const Case cases[] = {
      {Outcome::kExited, 1, true, 1, "The object already exists.", ""},
      {Outcome::kExited, 0, true, 1, "", ""},
      {Outcome::kExited, 1, false, 5, "\xD5\xD2\xB2\xBB\xB5\xBD",
       "netsh \xCD\xCB\xB3\xF6\xC2\xEB 1"},
      {Outcome::kExited, 0, false, 5, "", "netsh \xCD\xCB\xB3\xF6\xC2\xEB 0"},
      {Outcome::kExited, 0xC0000005u, false, 5, "", "3221225477"},
      {Outcome::kTimedOut, 0, true, 0, "", "60 \xC3\xEB"},
      {Outcome::kNotStarted, 0, true, 0, "", "\xCE\xDE\xB7\xA8\xC6\xF4\xB6\xAF"},
  };
  for (const Case& c : cases) {
    FakeMachine m;
    const std::string settings =
        Settings("UnlockPW=" + EncodeUnlockPassword("aB3") +
                     "\r\nCanReboot=Yes\r\nExecutePath=prog.exe\r\nFormStat=1\r\n",
                 kEntry);
    m.settings = settings;
    m.address_result = {c.outcome, c.exit_code, c.output};
    m.address_in_place = c.in_place;
    const ApplyResult result = RunApplySequence(m);
    EXPECT_EQ(std::count(m.log.begin(), m.log.end(), kAddressInPlace), c.looks) << c.shown;
    if (c.shown.empty()) {
      EXPECT_EQ(result, kDone) << c.output;
      EXPECT_EQ(m.log.back(), kReboot);
      continue;
    }
    EXPECT_EQ(result, kAddressFailed) << c.shown;
    ASSERT_THAT(m.log.back(), HasSubstr(c.shown));
    EXPECT_THAT(m.log.back(), HasSubstr(kNetsh + "192.168.0.21 255.255.255.0 192.168.0.1 1"));
    EXPECT_THAT(m.log.back(), HasSubstr(c.output));
    EXPECT_EQ(m.log[m.log.size() - 2], "run log");
    EXPECT_EQ(m.log[m.log.size() - 3 - 2 * c.looks],
              "hidden " + kNetsh + "192.168.0.21 255.255.255.0 192.168.0.1 1");
    EXPECT_EQ(m.settings, settings);
    EXPECT_EQ(m.values.count(std::string(kRunKey) + "\\hostprep"), 1u);
    EXPECT_THAT(m.run_log, ElementsAre(HasSubstr("（退出码 11）")));
  }
}

// After the address, the DNS servers on the same connection: set, then added, and read back.
// netsh's exit code is not trusted either way; a failure names the first failed command and
// keeps all that makes the next boot try again.
TEST(ApplySequenceTest, DnsServersFollowTheAddressOnItsConnection) {
  using Outcome = CommandResult::Outcome;
  const std::string netsh = "hidden C:\\WINDOWS\\system32\\netsh.exe interface ip ";
  const std::string set = netsh + "set dns LAN static 192.168.0.1 primary";
  const std::string add = netsh + "add dns LAN 8.8.8.8 2";
  const std::string both = "DNS1=192.168.0.1\r\nDNS2=8.8.8.8\r\n";
  const struct {
    std::string keys;
    std::vector<CommandResult> results;
    std::vector<std::string> listed, commands;  // the adapter's DNS servers; netsh's lines
    std::string shown;                          // in the message; "" when done
  } cases[] = {
      {both, {{Outcome::kExited, 1, "exists"}}, {"192.168.0.1", "8.8.8.8"}, {set, add}, ""},
      {"DNS1=192.168.0.1\r\nDNS2=192.168.0.1\r\n", {}, {"192.168.0.1"}, {set}, ""},
      {"DNS2=192.168.0.1\r\n", {}, {"192.168.0.1"}, {set}, ""},
      {both, {}, {"8.8.8.8", "192.168.0.1"}, {set, add}, "\xA3\xBA\r\n" + add.substr(7) + "\r\n"},
      {both,
       {{Outcome::kExited, 1, "x"}, {Outcome::kExited, 1, "y"}},
       {},
       {set, add},
       "\xC2\xEB 1\xA3\xA9\xA3\xBA\r\n" + set.substr(7) +
           "\r\n\r\nnetsh \xB5\xC4\xCA\xE4\xB3\xF6\xA3\xBA\r\nx"},
      {both, {{Outcome::kTimedOut, 0, ""}}, {}, {set}, "60 \xC3\xEB"},
  };
  for (const auto& c : cases) {
    FakeMachine m;
    m.settings = Settings("CanReboot=Yes\r\n" + c.keys, kEntry);
    m.adapters = {{"00-1A-2B-3C-4D-5E", "LAN", u"LAN"}};
    m.dns_results = c.results;
    m.dns_servers = c.listed;
    m.service = true;
    const ApplyResult result = RunBootService(m);
    std::vector<std::string> commands;
    for (const std::string& line : m.log)
      if (line.rfind(netsh, 0) == 0 && line.find(" dns ") != std::string::npos)
        commands.push_back(line);
    EXPECT_EQ(commands, c.commands) << c.keys;
    // After the verified address, on its connection; the name is written either way.
    EXPECT_LT(std::find(m.log.begin(), m.log.end(), kAddressInPlace),
              std::find(m.log.begin(), m.log.end(), c.commands[0]));
    EXPECT_EQ(m.dns_connections, std::vector<std::u16string>(c.commands.size(), u"LAN"));
    EXPECT_EQ(m.values[kNameKey + "\\ComputerName"], "PC21");
    EXPECT_EQ(result, c.shown.empty() ? kDone : kDnsFailed) << c.keys;
    if (c.shown.empty()) continue;
    EXPECT_THAT(m.log.back(), HasSubstr(c.shown));
    EXPECT_TRUE(m.service && !m.marked && m.RunValueExists()) << "kept for the next boot";
    EXPECT_THAT(m.log, ::testing::Not(::testing::Contains(kReboot)));
  }
}

// Winlogon's domain values that hold the old computer name get the new one in the name step;
// a domain stays; a refused write stops the run like any name value.
TEST(ApplySequenceTest, AutoLogonDomainFollowsTheRename) {
  const std::string key = "64:SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\";
  const struct {
    const char *domain, *alt, *refused, *want_domain, *want_alt;  // "" absent
    ApplyResult result;
  } cases[] = {
      {"master", "", "", "PC21", "", kDone},
      {"CAFE", "Master", "", "CAFE", "PC21", kDone},
      {"MASTER", "MASTER", "AltDefaultDomainName", "PC21", "MASTER", kRegistryWriteFailed}};
  for (const auto& c : cases) {
    FakeMachine m;
    m.settings = Settings("", kEntry);
    if (*c.domain) m.values[key + "DefaultDomainName"] = c.domain;
    if (*c.alt) m.values[key + "AltDefaultDomainName"] = c.alt;
    m.refused.insert(c.refused);
    EXPECT_EQ(RunApplySequence(m), c.result);
    EXPECT_EQ(m.values[key + "DefaultDomainName"], c.want_domain);
    EXPECT_EQ(m.values[key + "AltDefaultDomainName"], c.want_alt);
    const auto netsh = std::find_if(m.log.begin(), m.log.end(), [](const std::string& l) {
      return l.find("netsh") != std::string::npos;
    });
    EXPECT_EQ(std::find_if(netsh, m.log.end(), [](auto& l) { return l.rfind("set64", 0) == 0; }),
              m.log.end());  // written before the address
  }
}

TEST(ApplySequenceTest, TheServiceAndTheRunValueShareTheWork) {
  // Which start does which steps: the boot steps once, the session steps once, the restart
  // right after the boot steps and never after the session steps, the service and the Run
  // value gone only when all is done.
  enum Start { kRun, kService, kSession };
  const std::string unlock = "UnlockPW=" + EncodeUnlockPassword("aB3") + "\r\n";
  const std::string reboot = "CanReboot=Yes\r\n";
  struct Case {
    const char* what;
    Start start;
    std::string autoset;
    bool marked;
    int session_part;
    ApplyResult result;
    std::vector<std::string> codes;  // of the log lines
    std::vector<std::string> steps;  // of the log, in order (others may come between)
    std::vector<std::string> absent;
    bool traces_kept;  // the Run value, the service, the password
  };
  const std::string name = "name PC21", netsh = "hidden " + kNetsh.substr(0, 20);
  const Case cases[] = {
      {"service, nothing for the session",
       kService,
       reboot,
       false,
       0,
       kDone,
       {"0"},
       {name, kAddressInPlace, "delete hostprep", "remove service", "run log", kReboot},
       {"mark boot steps", "wait for logon"},
       false},
      {"service, keys to type, restart",
       kService,
       unlock + reboot,
       false,
       0,
       kWaitingForLogon,
       {"14"},
       {name, kAddressInPlace, "mark boot steps", "run log", kReboot},
       {"wait for logon", "write settings", "delete hostprep", "remove service"},
       true},
      {"service after the restart",
       kService,
       unlock + reboot,
       true,
       0,
       kDone,
       {"0"},
       {"wait for logon", "session part", "write settings", "delete hostprep", "remove service",
        "run log"},
       {name, netsh, kReboot, "D72"},
       false},
      {"service, keys failed in the session",
       kService,
       unlock,
       true,
       7,
       kKeystrokeFailed,
       {"7"},
       {"session part", "run log"},
       {"write settings", "delete hostprep", "remove service"},
       true},
      {"service, no session part",
       kService,
       unlock,
       true,
       kSessionNotStarted,
       kSessionNotStarted,
       {"15"},
       {"session part", "run log"},
       {"remove service"},
       true},
      {"service without restart",
       kService,
       unlock,
       false,
       0,
       kDone,
       {"14", "0"},
       {name, "mark boot steps", "run log", "wait for logon", "session part", "remove service",
        "run log"},
       {kReboot},
       false},
      {"service on the master",
       kService,
       reboot + "MasterMAC=00-1A-2B-3C-4D-5E\r\n",
       false,
       0,
       kMasterMachine,
       {"9"},
       {"pause 2000", "run log"},
       {name, "remove service"},
       true},
      {"run value after the service's boot steps",
       kRun,
       unlock + reboot,
       true,
       0,
       kDone,
       {"0"},
       {"pause 15000", "D72", "write settings", "delete hostprep", "remove service", "run log"},
       {name, netsh, kReboot, "session part"},
       false},
      {"run value, service not yet started",
       kRun,
       unlock + reboot,
       false,
       0,
       kDone,
       {"0"},
       {name, kAddressInPlace, "D72", "remove service", "run log", kReboot},
       {"session part"},
       false},
      {"session part",
       kSession,
       unlock + reboot,
       true,
       0,
       kDone,
       {},
       {"D72", "D0D"},
       {"write settings", "delete hostprep", "remove service", kReboot},
       true},
  };
  for (const Case& c : cases) {
    FakeMachine m;
    m.settings = Settings(c.autoset, kEntry);
    m.service = true;
    m.marked = c.marked;
    m.session_part = c.session_part;
    const ApplyResult result = c.start == kRun       ? RunApplySequence(m)
                               : c.start == kService ? RunBootService(m)
                                                     : RunSessionPart(m);
    EXPECT_EQ(result, c.result) << c.what;
    std::vector<std::string> codes;
    for (const std::string& line : m.run_log)
      codes.push_back(line.substr(line.rfind(' ') + 1, line.find("）") - line.rfind(' ') - 1));
    EXPECT_EQ(codes, c.codes) << c.what;
    for (const std::string& line : m.run_log) {  // the MACs and the entry, whichever start
      if (c.result != kMasterMachine) {
        EXPECT_THAT(line, HasSubstr("=192.168.0.21~PC21")) << c.what;
      }
    }
    auto at = m.log.begin();
    for (const std::string& step : c.steps) {
      at = std::find(at, m.log.end(), step);
      EXPECT_NE(at, m.log.end()) << c.what << ": " << step;
    }
    for (const std::string& step : c.absent)
      EXPECT_THAT(m.log, ::testing::Not(::testing::Contains(HasSubstr(step)))) << c.what;
    EXPECT_EQ(m.service, c.traces_kept) << c.what;
    EXPECT_EQ(m.RunValueExists(), c.traces_kept) << c.what;
    EXPECT_EQ(m.settings->find("UnlockPW=") != std::string::npos,
              c.traces_kept && c.autoset.find("UnlockPW") != std::string::npos)
        << c.what;
    if (c.start == kService && c.marked) {
      EXPECT_EQ(m.session_settings, Settings(c.autoset, kEntry)) << c.what;
    }
  }

  // A start from the Run value once the work is done changes nothing, without a box; the
  // service waits for an adapter with an entry, a bounded time.
  FakeMachine done;
  done.settings = Settings(unlock, kEntry);
  done.values.clear();
  EXPECT_EQ(RunApplySequence(done), kOtherStart);
  EXPECT_THAT(done.log, ElementsAre("run log"));
  FakeMachine late;
  late.settings = Settings("", kEntry);
  late.mac = "00-1A-2B-3C-4D-5F";
  EXPECT_EQ(RunBootService(late), kNoEntry);
  EXPECT_EQ(std::count(late.log.begin(), late.log.end(), "pause 2000"), 30);
  EXPECT_EQ(std::count(late.log.begin(), late.log.end(), "mac"), 31);
  // A key the layout lacks, typed by the session part: no box from the system account on
  // the user's desktop, no line of its own (the service logs the outcome).
  FakeMachine lacks;
  lacks.settings = Settings("UnlockPW=" + EncodeUnlockPassword("a\xA3") + "\r\n", kEntry);
  lacks.service = lacks.marked = true;
  EXPECT_EQ(RunSessionPart(lacks), kDone);
  EXPECT_TRUE(lacks.run_log.empty());
  EXPECT_EQ(lacks.log.back(), "U0D");
  // A logon without the rights leaves the work to the service, without a box.
  FakeMachine filtered;
  filtered.settings = Settings(unlock, kEntry);
  filtered.service = true;
  filtered.rights = false;
  EXPECT_EQ(RunApplySequence(filtered), kNoAdminRights);
  EXPECT_THAT(filtered.log, ::testing::Not(::testing::Contains(HasSubstr("error"))));
  EXPECT_THAT(filtered.run_log, ElementsAre(HasSubstr("（退出码 10）")));
  // The master's virtual adapter, carried by the clone, is up before the clone's own card.
  FakeMachine carried;
  carried.settings = Settings("MasterMAC=00-1A-2B-3C-4D-99\r\n",
                              "00-1A-2B-3C-4D-99=192.168.0.9~MASTER\r\n" + std::string(kEntry));
  carried.mac = "00-1A-2B-3C-4D-99";
  carried.late_card = {"00-1A-2B-3C-4D-5E", "本地连接", u"本地连接"};
  carried.card_after_pauses = 3;
  EXPECT_EQ(RunBootService(carried), kDone);
  EXPECT_EQ(std::count(carried.log.begin(), carried.log.end(), "mac"), 4);
}

// The codes of the run log's lines, and the log lines holding `part`.
std::vector<int> LogCodes(const FakeMachine& m) {
  std::vector<int> codes;
  for (const std::string& line : m.run_log)
    codes.push_back(std::atoi(&line[line.find("退出码") + std::strlen("退出码")]));
  return codes;
}
long Count(const FakeMachine& m, const std::string& part) {
  return std::count_if(m.log.begin(), m.log.end(),
                       [&](const std::string& l) { return l.find(part) != l.npos; });
}

// Boots the clone with its unlock keys, program and restart until its service is gone (four
// boots at most), the session part run on the same machine; no boot starts stopped.
void BootUntilDone(FakeMachine& m) {
  m.session_part_here = true;
  for (int boot = 0; boot < 4 && m.service; ++boot, m.stopped = false) RunBootService(m);
}
const std::string kSessionWork = "UnlockPW=" + EncodeUnlockPassword("aB3") +
                                 "\r\nExecutePath=prog.exe\r\nFormStat=1\r\nCanReboot=Yes\r\n";

TEST(ApplySequenceTest, AStopEndsTheServicesWaitAndTheNextBootFinishesTheWorkOnce) {
  // The waits of a clone whose card comes up late: the adapter wait (1-3), netsh (4), the
  // address looked for (5); after the restart, the wait for a user (6), the session part (7).
  struct Case {
    int stop_at_wait;
    std::vector<int> codes;
    long netsh;  // a stop in the adapter wait comes before any change
  };
  const Case cases[] = {{0, {14, 0}, 1},     {2, {18, 14, 0}, 1}, {4, {18, 14, 0}, 2},
                        {5, {18, 14, 0}, 2}, {6, {14, 0}, 1},     {7, {14, 18, 0}, 1}};
  for (const Case& c : cases) {
    FakeMachine m;
    m.settings = Settings(kSessionWork, kEntry);
    m.service = true;
    m.mac = "";
    m.late_card = {"00-1A-2B-3C-4D-5E", "", u""};
    m.card_after_pauses = 3;
    m.stop_at_wait = c.stop_at_wait;
    BootUntilDone(m);
    EXPECT_EQ(LogCodes(m), c.codes) << c.stop_at_wait;
    EXPECT_FALSE(m.service || m.RunValueExists()) << c.stop_at_wait;
    EXPECT_EQ(Count(m, "netsh"), c.netsh) << c.stop_at_wait;
    // Done once each, the restart, the program and the keys; and no box.
    for (const std::string& once : {std::string("mark boot steps"), kReboot,
                                    std::string("shown prog.exe"), std::string("D72")})
      EXPECT_EQ(Count(m, once), 1) << c.stop_at_wait << once;
    EXPECT_EQ(Count(m, "error"), 0);
  }
}

TEST(ApplySequenceTest,
     TheSessionStepsComeAsTheUserOnceTheShellIsUpAndTheLockIsNeverFreeByMistake) {
  // The program and the keys come once the user's shell is up, the program as the user or
  // not at all (then everything is kept for the next boot), and no failure of the session
  // part is a box. A start from the Run value without the rights leaves the lock to the
  // service; one with them marks the boot steps it did, so the service does only the rest.
  // A lock held, or not to be had, stops every start with the reason logged.
  struct Case {
    const char* what;
    bool run_first, rights, shell;
    int refused;  // program starts refused
    std::string password, lock_trouble;
    std::vector<int> codes;
    std::vector<std::string> steps;  // in order, others between; the first is the first
  };
  const Case cases[] = {
      {"shell",
       false,
       true,
       true,
       0,
       "aB3",
       "",
       {14, 0},
       {"lock", "wait for logon", "session part", "wait for shell", "shown prog.exe",
        "pause 15000"}},
      {"no shell", false, true, false, 0, "aB3", "", {14, 15, 15, 15}, {"lock", "wait for shell"}},
      {"program refused", false, true, true, 1, "aB3", "", {14, 17, 0}, {"lock", "session part"}},
      {"bad password", false, true, true, 0, "a{F3 x}", "", {14, 7, 7, 7}, {"lock", "D72"}},
      {"run start without rights",
       true,
       false,
       true,
       0,
       "aB3",
       "",
       {10, 14, 0},
       {"rights", "run log", "lock", "name PC21"}},
      {"run start, program refused",
       true,
       true,
       true,
       1,
       "aB3",
       "",
       {17, 0},
       {"rights", "lock", "name PC21", "mark boot steps", "run log", "lock", "session part"}},
      {"lock squatted",
       false,
       true,
       true,
       0,
       "aB3",
       "error 6",
       {13, 13, 13, 13},
       {"lock", "run log"}},
  };
  for (const Case& c : cases) {
    FakeMachine m;
    m.settings = Settings("UnlockPW=" + EncodeUnlockPassword(c.password) +
                              "\r\nExecutePath=prog.exe\r\nFormStat=1\r\nCanReboot=Yes\r\n",
                          kEntry);
    m.service = true;
    m.shell = c.shell;
    m.refused_starts = c.refused;
    m.lock_trouble = c.lock_trouble;
    m.rights = c.rights;
    if (c.run_first) RunApplySequence(m);
    m.rights = true;
    BootUntilDone(m);
    EXPECT_EQ(LogCodes(m), c.codes) << c.what;
    EXPECT_EQ(m.log.front(), c.steps.front()) << c.what;
    auto at = m.log.begin();
    for (const std::string& step : c.steps)
      EXPECT_NE(at = std::find(at, m.log.end(), step), m.log.end()) << c.what << ": " << step;
    EXPECT_EQ(Count(m, "netsh"), c.lock_trouble.empty()) << c.what;
    EXPECT_EQ(Count(m, "D72") > 0, c.codes.back() == kDone || c.password != "aB3") << c.what;
    EXPECT_EQ(Count(m, "error") + Count(m, "box"), 0) << c.what;
    EXPECT_THAT(m.run_log.front(), HasSubstr(c.lock_trouble)) << c.what;
  }
}

TEST(ApplySequenceTest, TheShellIsTheProgramWinlogonStarts) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u"explorer.exe"},
      {u"Explorer.exe", u"Explorer.exe"},
      {u"  C:\\Cafe\\shell.exe /lock", u"shell.exe"},
      {u"\"C:\\Program Files\\网吧\\壳 程序.exe\" -k", u"壳 程序.exe"},
      {u"cafeshell, explorer.exe", u"cafeshell.exe"},
      {u"\"\"", u"explorer.exe"},
  };
  for (const auto& [value, name] : cases) EXPECT_TRUE(ShellProgramName(value) == name);
}

// A clone the package does not list asks for its entry: only an answer signed with the
// package's key, for a nonce it sent and one of its own MACs, becomes its entry; the others
// are counted. Without a key nothing is asked; a timeout and a stop change nothing.
TEST(ApplySequenceTest, TheServiceAsksForAMissingEntry) {
  const std::string key(16, '\x5A');
  const std::string with_key =
      "AssignKey=" + AssignKeyText(key) + "\r\nMasterMAC=00-1A-2B-3C-4D-99\r\n";
  // Answers to each request, made from the request itself.
  using Reply = std::function<std::vector<std::string>(AssignCrypto&, const AssignRequest&)>;
  const auto signed_by = [](std::string k, std::string mac, bool stale = false) {
    return [=](AssignCrypto& c, const AssignRequest& r) {
      const std::string nonce = stale ? std::string(16, 'z') : r.nonce;
      return std::vector<std::string>{
          EncodeAssignAnswer(c, k, {r.package_id, nonce, mac, "192.168.0.40", "PC40"})};
    };
  };
  const Reply none = [](AssignCrypto&, const AssignRequest&) { return std::vector<std::string>{}; };
  const Reply forged_then_valid = [&](AssignCrypto& c, const AssignRequest& r) {
    std::vector<std::string> out = signed_by(std::string(16, 'x'), "00-1A-2B-3C-4D-5F")(c, r);
    out.push_back("LRA1junk");
    out.push_back(EncodeAssignRequest(r));  // another clone's request: not counted
    out.push_back(signed_by(key, "00-1A-2B-3C-4D-5F")(c, r)[0]);
    return out;
  };
  const struct {
    const char* what;
    std::string autoset;
    Reply reply;
    bool stop;
    ApplyResult result;
    const char* note;
  } cases[] = {
      {"valid", with_key, signed_by(key, "00-1A-2B-3C-4D-5F"), false, kDone, "申请: 已得到分配  "},
      {"forged first", with_key, forged_then_valid, false, kDone,
       "已得到分配，拒绝的应答 2 个（格式不符 1，签名不符 1）"},
      {"wrong key", with_key, signed_by(std::string(16, 'x'), "00-1A-2B-3C-4D-5F"), false, kNoEntry,
       "等待分配超时，拒绝的应答 600 个（签名不符 600）"},
      {"stale", with_key, signed_by(key, "00-1A-2B-3C-4D-5F", true), false, kNoEntry,
       "随机数不符 600"},
      {"other MAC", with_key, signed_by(key, "00-1A-2B-3C-4D-5E"), false, kNoEntry,
       "非本机 MAC 600"},
      {"master MAC", with_key, signed_by(key, "00-1A-2B-3C-4D-99"), false, kNoEntry,
       "母盘 MAC 600"},
      {"stopped", with_key, none, true, kStopped, "申请: 服务停止，未得到分配  "},
      {"no key", "MasterMAC=00-1A-2B-3C-4D-99\r\n", none, false, kNoEntry, "条目: 无  结果"},
  };
  for (const auto& c : cases) {
    FakeMachine m;
    m.settings = Settings(c.autoset, kEntry);
    m.mac = "00-1A-2B-3C-4D-5F";
    m.adapters = {{"00-1A-2B-3C-4D-99", "", u""}, {"00-1A-2B-3C-4D-5F", "本地连接", u"本地连接"}};
    m.address_result = {CommandResult::Outcome::kExited, 0, ""};
    m.assign_.on_send = [&](testing::FakeAssignNet& net, const std::string& sent) {
      const std::optional<AssignRequest> request = ParseAssignRequest(sent);
      ASSERT_TRUE(request);
      EXPECT_EQ(request->macs, std::vector<std::string>{"00-1A-2B-3C-4D-5F"});
      EXPECT_EQ(request->name, "MASTER");
      for (const std::string& d : c.reply(net.crypto_, *request))
        net.arrivals.push_back({net.now + 100, d});
      if (c.stop && net.sent.size() == 3) net.arrivals.push_back({net.now + 700, "", true});
    };
    EXPECT_EQ(RunBootService(m), c.result) << c.what;
    ASSERT_EQ(m.run_log.size(), 1u) << c.what;
    EXPECT_THAT(m.run_log[0], HasSubstr(c.note)) << c.what;
    const bool asked = c.autoset.find("AssignKey") != std::string::npos;
    EXPECT_EQ(m.assign_.sent.size(), !asked              ? 0u
                                     : c.stop            ? 3u
                                     : c.result == kDone ? 1u
                                                         : 600u)
        << c.what;
    const std::string dhcp =
        "hidden C:\\WINDOWS\\system32\\netsh.exe interface ip set address "
        "name=本地连接 source=dhcp";
    EXPECT_EQ(std::count(m.log.begin(), m.log.end(), dhcp), asked ? 1 : 0) << c.what;
    const bool entry =
        m.settings->find("[InfoList]\r\n" + kEntry + "00-1A-2B-3C-4D-5F=192.168.0.40~PC40\r\n") !=
        std::string::npos;
    EXPECT_EQ(entry, c.result == kDone) << c.what;
    EXPECT_EQ(std::count(m.log.begin(), m.log.end(), "name PC40"), c.result == kDone ? 1 : 0)
        << c.what;
  }
}

TEST(RunLogTest, LineOfARunAndTheLogKeptToItsLimit) {
  const LocalTime t{2026, 12, 8, 9, 5, 7};
  EXPECT_EQ(
      RunLogLine(
          t, {{"00-1A-2B-3C-4D-5E", "00-1A-2B-3C-4D-99"}, "00-1A-2B-3C-4D-5E=10.0.0.1~PC1", "", ""},
          kDone),
      "2026-12-08 09:05:07  MAC: 00-1A-2B-3C-4D-5E, 00-1A-2B-3C-4D-99  "
      "条目: 00-1A-2B-3C-4D-5E=10.0.0.1~PC1  结果: 已完成配置（退出码 0）\r\n");
  EXPECT_EQ(
      RunLogLine(t, {}, kNoSettingsFile),
      "2026-12-08 09:05:07  MAC: 无  条目: 无  结果: 找不到 Myset.ini，未做修改（退出码 2）\r\n");
  const std::string noted = RunLogLine(t, {{}, "", "y", "x"}, kOtherStart);
  EXPECT_EQ(noted.substr(noted.find("申请")),
            "申请: y  结果: 另一次启动正在配置或已配置完本机，未做修改（退出码 13）  说明: x\r\n");
  for (int code = kDone; code <= kStopped; ++code)
    EXPECT_NE(OutcomeText(static_cast<ApplyResult>(code)), OutcomeText(ApplyResult(99))) << code;

  struct Case {
    std::string log, line;
    size_t limit;
    std::string kept;
  };
  const Case cases[] = {
      {"", "c\r\n", 10, "c\r\n"},
      {"a\r\nb\r\n", "c\r\n", 9, "a\r\nb\r\nc\r\n"},          // exactly the limit
      {"a\r\nb\r\n", "c\r\n", 8, "b\r\nc\r\n"},               // the oldest line goes
      {"aaaa\r\nb\r\n", "c\r\n", 7, "b\r\nc\r\n"},            // whole lines only
      {"a\r\nb", "c\r\n", 20, "a\r\nb\r\nc\r\n"},             // a cut last line ends
      {"a\r\nb", "c\r\n", 9, "a\r\nb\r\nc\r\n"},              // ... within the limit
      {"a\r\nb", "c\r\n", 8, "b\r\nc\r\n"},                   // ... its end counted
      {"a\r\nb\r\n", "cccccccccc\r\n", 5, "cccccccccc\r\n"},  // a line over the limit
  };
  for (const Case& c : cases) EXPECT_EQ(WithRunLogLine(c.log, c.line, c.limit), c.kept) << c.limit;
  // The log's own limit, 64 KB: an old log that fits with the new line exactly keeps its
  // oldest line, one byte more drops it.
  for (const size_t more : {0, 1}) {
    const std::string log = "a\r\n" + std::string(65536 - 8 + more, 'b') + "\r\n";
    const std::string kept = WithRunLogLine(log, "c\r\n");
    EXPECT_EQ(kept.rfind("a\r\n", 0) == 0, more == 0) << more;
    EXPECT_LE(kept.size(), 65536u);
  }
}

TEST(ApplySequenceTest, KeystrokeFailures) {
  // A bad repeat count or a brace left open: the password was not typed, so it stays in the
  // file with the Run value, and the messages come after the log line. A key the layout
  // lacks is reported and the sequence goes on; the syntax characters act as syntax.
  struct Case {
    std::string password;
    ApplyResult result;
    std::vector<std::string> after_f3;  // up to the end of the run
  };
  const Case cases[] = {
      {"a{F3 x}",
       kKeystrokeFailed,
       {"D41", "U41", "run log", "error 'X' is not a valid integer value"}},
      {"ab{c", kKeystrokeFailed, {"D41", "U41", "D42", "U42", "run log", "box No Close"}},
      {"a+b\xA3",
       kDone,
       {"D41", "U41", "D10", "D42", "U42", "U10", "pause 1500", "D0D", "U0D", "write settings",
        "open " + std::string(kRunKey), "exists hostprep", "delete hostprep", "pause 2000", "close",
        "run log", "box Invalid KeyName"}},
  };
  for (const Case& c : cases) {
    FakeMachine m;
    const std::string settings =
        Settings("UnlockPW=" + EncodeUnlockPassword(c.password) + "\r\nCanReboot=Yes\r\n", kEntry);
    m.settings = settings;
    m.values[std::string(kRunKey) + "\\hostprep"] = "x";
    EXPECT_EQ(RunApplySequence(m), c.result) << c.password;
    const auto f3 = std::find(m.log.begin(), m.log.end(), "pause 2000");
    ASSERT_NE(f3, m.log.end());
    std::vector<std::string> after(f3 + 1, m.log.end());
    if (c.result == kDone) after.pop_back();  // the restart
    EXPECT_EQ(after, c.after_f3) << c.password;
    EXPECT_EQ(m.values.count(std::string(kRunKey) + "\\hostprep"), c.result == kDone ? 0u : 1u);
    if (c.result != kDone) {
      EXPECT_EQ(m.settings, settings) << c.password;
    }
  }
}

TEST(OwnMacTest, NodeFieldOfTwoEqualUuids) {
  int calls = 0;
  auto create = [&](unsigned char u[16]) {
    ++calls;
    for (int i = 0; i < 16; ++i) u[i] = static_cast<unsigned char>(calls * 16 + i);
    const unsigned char node[6] = {0x00, 0x1a, 0x2b, 0xc3, 0xd4, 0xff};
    std::memcpy(u + 10, node, 6);
    return 0L;
  };
  EXPECT_EQ(MacTextFromUuids(create), "00-1A-2B-C3-D4-FF");
  EXPECT_EQ(calls, 2);
}

TEST(OwnMacTest, EmptyOnAnyFailureOrDifferentNodes) {
  // 1824 marks a UUID unique only to this computer (no adapter).
  for (long first : {0L, 1824L}) {
    for (long second : {0L, 1824L, -1L}) {
      if (first == 0 && second == 0) continue;
      int calls = 0;
      auto create = [&](unsigned char u[16]) {
        std::memset(u, 0x11, 16);
        return calls++ == 0 ? first : second;
      };
      EXPECT_EQ(MacTextFromUuids(create), "") << first << " " << second;
    }
  }
  int calls = 0;
  auto random_nodes = [&](unsigned char u[16]) {
    std::memset(u, 0x22, 16);
    u[15] = static_cast<unsigned char>(calls++);
    return 0L;
  };
  EXPECT_EQ(MacTextFromUuids(random_nodes), "");
}

TEST(NetworkNumberTest, StaysInRangeAndVaries) {
  std::set<std::uint32_t> seen;
  for (std::uint64_t seed = 0; seed < 20000; ++seed) {
    const std::uint32_t n = DrawNetworkNumber(seed * 0x1234567ull);
    ASSERT_GE(n, 5u);
    ASSERT_LE(n, 100003u);
    seen.insert(n);
  }
  EXPECT_GT(seen.size(), 15000u);
  EXPECT_EQ(DrawNetworkNumber(99), DrawNetworkNumber(99));
}

}  // namespace
}  // namespace lr::clientprep
