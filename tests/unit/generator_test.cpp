#include "package/generator.h"

#include <gtest/gtest.h>

#include "package/client_removal.h"
#include <functional>
#include <map>
#include <vector>

#include "package/client_settings.h"
#include "package/unlock_password.h"
#include "tests/unit/test_files.h"

namespace lr {
namespace {

// The master as the generator sees it: the settings file (a real file, written through
// ProfileWriter under a temporary name and moved into place), Hostprep.exe ("old", "new" or
// none), the Run value and the service. Logs every step and refuses the one numbered
// `fail_at` (from 0). `violations` gets each step after which something starts Hostprep
// and finds neither the earlier package (`earlier`) nor the new one (`fresh`) whole.
class FakeTarget : public PackageTarget {
 public:
  explicit FakeTarget(std::filesystem::path file) : file_(std::move(file)) {}

  void StartSettingsFile() override {
    if (!Step("start", [&] { std::filesystem::remove(new_); }))
      throw std::runtime_error("Unable to delete");
  }
  void WriteSetting(const std::string& s, const std::string& k, const std::string& v) override {
    if (!Step(s + "/" + k, [&] { writer_.Write(s, k, v); }))
      throw EIniFileException("C:\\Windows\\Myset.ini");
  }
  void PlaceSettingsFile() override {
    if (!Step("place", [&] { std::filesystem::rename(new_, file_); }))
      throw std::runtime_error("Unable to write to C:\\Windows\\Myset.ini");
  }
  bool WithdrawStarts(std::string& r) override {
    return Step(
        "withdraw", [&] { run = service = false; }, &r);
  }
  bool SetRunValue(const std::string& name, const std::string& command) override {
    return Step("run " + name + "=" + command, [&] { run = true; });
  }
  bool InstallService(std::string& r) override {
    return Step(
        "service", [&] { service = true; }, &r);
  }
  bool SaveHostprep(std::string& r) override {
    return Step(
        "exe", [&] { exe = "new"; }, &r);
  }
  void ShowMessage(const std::string& caption, const std::string& text, MessageKind kind) override {
    log.push_back("box " + caption + ": " + text +
                  (kind == MessageKind::kWarning ? " (warning)" : ""));
  }
  void ShowError(const std::string& text) override { log.push_back("error: " + text); }
  std::vector<std::string> OwnMacs() override { return own_macs; }
  std::string CurrentAssignKey() override {
    return ReadProfileFile(file_).Get(kSectionAutoSet, "AssignKey").value_or("");
  }

  bool SetMachineDword(const std::string& key, const std::string& name, std::uint32_t value,
                       std::string& reason) override {
    log.push_back(key + "\\" + name + "=" + std::to_string(value));
    reason = "拒绝访问。";
    return !refuse_dword;
  }
  ProgramRun RunSystemProgram(const std::string& program, const std::string& args) override {
    log.push_back(program + " " + args);
    ProgramRun run = program_run;
    run.command = "C:\\Windows\\system32\\" + program + " " + args;
    return run;
  }

  std::vector<std::string> log, violations, own_macs;
  int fail_at = -1;
  std::string exe, earlier, fresh;  // earlier and fresh: the two packages' settings files
  bool run = false, service = false;
  bool refuse_dword = false;
  ProgramRun program_run{"", true, true, 0, ""};

 private:
  bool Step(const std::string& name, const std::function<void()>& effect,
            std::string* reason = nullptr) {
    log.push_back(name);
    if (reason) *reason = "拒绝访问。";
    if (fail_at-- == 0) return false;
    effect();
    const std::string file = std::filesystem::exists(file_) ? lr::testing::ReadBytes(file_) : "";
    if ((run || service) && !(file == earlier && exe == "old") && !(file == fresh && exe == "new"))
      violations.push_back(name);
    return true;
  }

  std::filesystem::path file_;
  std::filesystem::path new_ = file_.string() + ".gen~";
  ProfileWriter writer_{new_, "C:\\Windows\\Myset.ini"};
};

GeneratorInputs GoodInputs() {
  GeneratorInputs in;
  in.gateway = "192.168.0.1";
  in.mask = "255.255.255.0";
  in.password1 = in.password2 = "abcd";
  return in;
}

HostList TwoHostsSameMac() {
  HostList hosts;
  hosts.Append(HostRecord{"192.168.0.21", "00-1A-2B-3C-4D-5E", "-", "PC21", ""});
  hosts.Append(HostRecord{"192.168.0.22", "00.0C.29.AB.01.FF", "WORKGROUP      ", "-", ""});
  hosts.Append(HostRecord{"192.168.0.23", "00-1A-2B-3C-4D-5E", "-", "PC23", ""});
  return hosts;
}

const char kSuccess[] =
    "box 提示: 所需文件已自动生成，并存入指定目录下！\r\n"
    "现在请立即重新启动计算机为系统制作Ghost镜像!否则所有设置无效！\r\n\r\n"
    "克隆机开机时（无需登录），服务 hostprep 设置计算机名和 IP 地址，并重启一次；\r\n"
    "首次登录时启动指定程序、输入解锁密码；\r\n"
    "然后 Hostprep 自行删除。本机（母盘）不做任何修改。"
    "\r\n\r\n制作镜像前请注意：\r\n"
    "只在“重新启动”后制作镜像，不要在“关机”后制作（快速启动会把母盘的会话留在镜像里）。\r\n"
    "Windows 11 24H2 及以后：与母盘共用计算机 SID 的克隆机之间不能用 NTLM/Kerberos"
    "（共享文件、远程桌面），解决办法是先用 Sysprep 封装。\r\n"
    "开着 BitLocker 或设备加密的母盘做出的克隆机会要求恢复密钥：制作镜像前先解密。";

TEST(Generator, WritesThePackageInOrderAndReportsSuccessLast) {
  lr::testing::ScratchDir dir;
  FakeTarget t(dir / "Myset.ini");
  GeneratorInputs in = GoodInputs();
  in.reboot = true;
  in.execute_path = "C:\\Program Files\\x.exe";
  in.window_mode = GeneratorInputs::WindowMode::kHidden;
  t.own_macs = {"00:0c:29:00:00:99", "00-00-00-00-00-00", "00-0c-29-00-00-98"};
  ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
  EXPECT_EQ(t.log,
            (std::vector<std::string>{
                "start", "AutoSet/Gateway", "AutoSet/Mask", "InfoList/00-1A-2B-3C-4D-5E",
                "InfoList/00-0C-29-AB-01-FF", "InfoList/00-1A-2B-3C-4D-5E", "AutoSet/UnlockPW",
                "AutoSet/CanReboot", "AutoSet/CanModifyRA2", "AutoSet/ExecutePath",
                "AutoSet/FormStat", "AutoSet/MasterMAC", "withdraw", "place", "exe",
                "run hostprep=C:\\Windows\\Hostprep.exe", "service", kSuccess}));
  EXPECT_EQ(lr::testing::ReadBytes(dir / "Myset.ini"),
            "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=255.255.255.0\r\nUnlockPW=64786D61\r\n"
            "CanReboot=Yes\r\nCanModifyRA2=No\r\nExecutePath=C:\\Program Files\\x.exe\r\n"
            "FormStat=0\r\nMasterMAC=00-0C-29-00-00-99,00-0C-29-00-00-98\r\n"
            "[InfoList]\r\n00-1A-2B-3C-4D-5E=192.168.0.23~PC23\r\n"
            "00-0C-29-AB-01-FF=192.168.0.22~-\r\n");
}

TEST(Generator, TheAssignKeyOnlyWhenAsked) {
  lr::testing::ScratchDir dir;
  FakeTarget t(dir / "Myset.ini");
  GeneratorInputs in = GoodInputs();
  in.assign_key = "00112233445566778899AABBCCDDEEFF";
  ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
  EXPECT_EQ(ReadProfileFile(dir / "Myset.ini").KeyNames(kSectionAutoSet).back(), "AssignKey");
  EXPECT_EQ(ReadProfileFile(dir / "Myset.ini").Get(kSectionAutoSet, "AssignKey"), in.assign_key);
  // A later package keeps a sound key, so clones of an earlier image are still answered; an
  // unsound one is replaced.
  const std::string first = in.assign_key;
  in.assign_key = "FFEEDDCCBBAA99887766554433221100";
  ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
  EXPECT_EQ(ReadProfileFile(dir / "Myset.ini").Get(kSectionAutoSet, "AssignKey"), first);
  lr::testing::WriteBytes(dir / "Myset.ini", "[AutoSet]\r\nAssignKey=00112233\r\n");
  ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
  EXPECT_EQ(ReadProfileFile(dir / "Myset.ini").Get(kSectionAutoSet, "AssignKey"), in.assign_key);
}

TEST(Generator, FormStatNeedsBothAPathAndAWindowMode) {
  for (auto [path, mode, expect] :
       std::vector<std::tuple<std::string, GeneratorInputs::WindowMode, bool>>{
           {"x.exe", GeneratorInputs::WindowMode::kNone, false},
           {"", GeneratorInputs::WindowMode::kNormal, false},
           {"x.exe", GeneratorInputs::WindowMode::kNormal, true}}) {
    lr::testing::ScratchDir dir;
    FakeTarget t(dir / "Myset.ini");
    GeneratorInputs in = GoodInputs();
    in.execute_path = path;
    in.window_mode = mode;
    ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
    const ClientSettings s = ReadClientSettings(ReadProfileFile(dir / "Myset.ini"));
    EXPECT_EQ(s.execute_path, path);
    EXPECT_EQ(s.form_stat, expect ? "1" : "");
    // The success box promises the program only when the clones will start it.
    EXPECT_EQ(t.log.back().find("首次登录时启动指定程序、输入解锁密码；\r\n") != std::string::npos,
              expect);
    EXPECT_NE(t.log.back().find("IP 地址；\r\n"), std::string::npos);  // no restart asked
  }
}

TEST(Generator, RefusedInputsTouchNothing) {
  lr::testing::ScratchDir dir;
  lr::testing::WriteBytes(dir / "Myset.ini", "previous package");
  for (int which = 0; which < 3; ++which) {
    FakeTarget t(dir / "Myset.ini");
    GeneratorInputs in = GoodInputs();
    if (which == 0) in.gateway = "0.0.0.0";
    if (which == 1) in.mask = "0.0.0.0";
    if (which == 2) in.password2 = "abce";
    EXPECT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kRefused);
    ASSERT_EQ(t.log.size(), 1u);
    EXPECT_EQ(t.log[0], which == 2 ? "box 提示: 前后两次输入的密码不一致！ (warning)"
                                   : "box 警告: 内网网关IP及子网掩码不能为空！ (warning)");
  }
  EXPECT_EQ(lr::testing::ReadBytes(dir / "Myset.ini"), "previous package");
}

TEST(Generator, EmptyPasswordsMatchAndWriteAnEmptyUnlockKey) {
  lr::testing::ScratchDir dir;
  FakeTarget t(dir / "Myset.ini");
  GeneratorInputs in = GoodInputs();
  in.password1 = in.password2 = "";
  ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
  auto p = ReadProfileFile(dir / "Myset.ini");
  EXPECT_EQ(p.Get(kSectionAutoSet, kKeyUnlockPW), "");
  EXPECT_FALSE(ReadClientSettings(p).Unlocks());
  EXPECT_EQ(t.log.back().find("首次登录时"), std::string::npos);  // nothing to do at the logon
}

// A generation refused at each of its steps in turn, on a master with an earlier package
// and on one without: after every step whatever starts Hostprep finds one whole package (the
// earlier one, or the new one with MasterMAC); a failure is reported once, never as success,
// and leaves the earlier package whole or nothing that starts Hostprep.
TEST(Generator, AFailureAtAnyStepNeverLeavesHostprepStartingBesideAPartialPackage) {
  const std::string none_starts =
      "\r\n本机现在没有启动 Hostprep 的开机运行项和服务；排除原因后请重新生成。";
  const std::map<std::string, std::string> errors = {
      {"InfoList/00-0C-29-AB-01-FF", "Unable to write to C:\\Windows\\Myset.ini"},
      {"exe", "Unable to write to C:\\Windows\\Hostprep.exe：拒绝访问。" + none_starts},
      {"service", "无法注册服务 hostprep：拒绝访问。" + none_starts}};
  lr::testing::ScratchDir dir;
  FakeTarget whole(dir / "whole.ini");
  whole.own_macs = {"00-0C-29-00-00-99"};
  ASSERT_EQ(GeneratePackage(GoodInputs(), TwoHostsSameMac(), whole), GenerateOutcome::kGenerated);
  for (const bool earlier : {true, false}) {
    for (int n = 0;; ++n) {
      FakeTarget t(dir / "Myset.ini");
      t.own_macs = whole.own_macs;
      t.fresh = lr::testing::ReadBytes(dir / "whole.ini");
      t.earlier = earlier ? "[AutoSet]\r\nMasterMAC=00-0C-29-00-00-99\r\n" : "";
      lr::testing::WriteBytes(dir / "Myset.ini", t.earlier);
      t.exe = earlier ? "old" : "";
      t.run = t.service = earlier;
      t.fail_at = n;
      const GenerateOutcome outcome = GeneratePackage(GoodInputs(), TwoHostsSameMac(), t);
      SCOPED_TRACE(std::to_string(earlier) + " " + t.log[std::min<size_t>(n, t.log.size() - 1)]);
      EXPECT_EQ(t.violations, std::vector<std::string>{});
      if (outcome == GenerateOutcome::kGenerated) {
        EXPECT_TRUE(t.exe == "new" && t.run && t.service && n == 16);
        break;
      }
      ASSERT_EQ(outcome, GenerateOutcome::kFailed);
      EXPECT_EQ(t.log.back().rfind("error: ", 0), 0u);
      EXPECT_TRUE(!errors.count(t.log[n]) || t.log.back() == "error: " + errors.at(t.log[n]));
      EXPECT_TRUE((!t.run && !t.service) ||
                  (lr::testing::ReadBytes(dir / "Myset.ini") == t.earlier && t.exe == "old"));
    }
  }
}

// The DNS fields reach the file only when filled, after the mask: without them it is byte for
// byte what it was before they existed.
TEST(Generator, DnsServersAreWrittenOnlyWhenFilled) {
  const std::string head = "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=255.255.255.0\r\n";
  const struct {
    const char *dns1, *dns2, *lines;
  } cases[] = {{"", "", ""},
               {"0.0.0.0", "8.8.8.8", "DNS2=8.8.8.8\r\n"},
               {"192.168.0.1", "8.8.8.8", "DNS1=192.168.0.1\r\nDNS2=8.8.8.8\r\n"}};
  for (const auto& c : cases) {
    lr::testing::ScratchDir dir;
    FakeTarget t(dir / "Myset.ini");
    GeneratorInputs in = GoodInputs();
    in.dns1 = c.dns1;
    in.dns2 = c.dns2;
    ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
    EXPECT_EQ(lr::testing::ReadBytes(dir / "Myset.ini").rfind(head + c.lines + "UnlockPW=", 0), 0u);
  }
}

// Ticked, Fast Startup and hibernation are switched off after the package; a failure is a
// warning line in the success box with its reason, and the package stays whole.
TEST(Generator, FastStartupOffOnlyWhenTickedAndItsFailuresAreWarnings) {
  const std::string powercfg = "（C:\\Windows\\system32\\powercfg.exe /hibernate off ";
  const struct {
    bool ticked, refuse_dword;
    ProgramRun run;
    std::string lines;  // of the box, between its heading and the restart line
  } cases[] = {
      {false, false, {}, ""},
      {true, false, {"", true, true, 0, ""}, "已关闭快速启动和休眠（克隆机也一样）。\r\n"},
      {true,
       false,
       {"", true, true, 1, "不支持"},
       "警告：未能关闭休眠" + powercfg + "退出码 1：不支持）\r\n"},
      {true,
       true,
       {"", false, false, 0, "找不到文件"},
       "警告：未能关闭快速启动（写 HiberbootEnabled 失败：拒绝访问。）\r\n"
       "警告：未能关闭休眠" +
           powercfg + "无法启动：找不到文件）\r\n"},
  };
  for (const auto& c : cases) {
    lr::testing::ScratchDir dir;
    FakeTarget t(dir / "Myset.ini");
    t.refuse_dword = c.refuse_dword;
    t.program_run = c.run;
    GeneratorInputs in = GoodInputs();
    in.fast_startup_off = c.ticked;
    ASSERT_EQ(GeneratePackage(in, TwoHostsSameMac(), t), GenerateOutcome::kGenerated);
    const std::vector<std::string> touched = {
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power\\HiberbootEnabled=0",
        "powercfg.exe /hibernate off"};
    EXPECT_EQ(std::vector<std::string>(t.log.end() - 3, t.log.end() - 1) == touched, c.ticked);
    EXPECT_EQ(t.log[t.log.size() - 2 - (c.ticked ? 2 : 0)], "service");  // the package whole first
    EXPECT_NE(t.log.back().find("请注意：\r\n" + c.lines + "只在“重新启动”后"), std::string::npos)
        << t.log.back();
  }
}

// Removal: asked first; every part tried; the box names what was removed, what was not
// there and what failed, and a failure is never shown as success.
class FakeRemoval : public ClientRemovalTarget {
 public:
  bool Confirm(const std::string& caption, const std::string& text) override {
    log.push_back("ask " + caption + ": " + text);
    return agree;
  }
  RemovalStep RemoveService() override { return Next("service"); }
  RemovalStep RemoveRunValue(const std::string& name) override { return Next("run " + name); }
  RemovalStep RemoveHostprep() override { return Next("exe"); }
  RemovalStep RemoveSettingsFile() override { return Next("ini"); }
  void ShowMessage(const std::string& caption, const std::string& text, MessageKind) override {
    log.push_back("box " + caption + ": " + text);
  }
  void ShowError(const std::string& text) override { log.push_back("error: " + text); }

  bool agree = true;
  std::string states;  // one letter a part: r removed, a absent, f failed, w removed, still running
  std::vector<std::string> log;

 private:
  RemovalStep Next(const std::string& part) {
    log.push_back(part);
    const char c = states[log.size() - 2];
    if (c == 'f') return {RemovalStep::State::kFailed, "拒绝访问。"};
    return {c == 'a' ? RemovalStep::State::kAbsent : RemovalStep::State::kRemoved, {}, c == 'w'};
  }
};

TEST(ClientRemoval, AsksTriesEveryPartAndSaysWhatBecameOfEach) {
  const char* const ask =
      "ask 询问: 确实要从本机移除客户端吗？\r\n将删除：服务 hostprep、开机运行项 hostprep、"
      "C:\\Windows\\Hostprep.exe、C:\\Windows\\Myset.ini";
  const struct {
    bool agree;
    const char* states;
    RemovalOutcome outcome;
    const char* box;  // the closing box, "" when there is none
  } cases[] = {
      {false, "rrrr", RemovalOutcome::kCancelled, ""},
      {true, "rrrr", RemovalOutcome::kDone,
       "box 提示: 已移除：服务 hostprep、开机运行项 hostprep、C:\\Windows\\Hostprep.exe、"
       "C:\\Windows\\Myset.ini"},
      {true, "rafr", RemovalOutcome::kIncomplete,
       "error: 已移除：服务 hostprep、C:\\Windows\\Myset.ini\r\n本机原本没有：开机运行项 hostprep"
       "\r\n无法移除：C:\\Windows\\Hostprep.exe（拒绝访问。）"},
      {true, "ffff", RemovalOutcome::kIncomplete,
       "error: 无法移除：服务 hostprep（拒绝访问。）\r\n无法移除：开机运行项 hostprep（拒绝访问。）"
       "\r\n无法移除：C:\\Windows\\Hostprep.exe（拒绝访问。）\r\n"
       "无法移除：C:\\Windows\\Myset.ini（拒绝访问。）"},
      // A service that did not stop holds its program: the cause named, not "access denied".
      {true, "wrfr", RemovalOutcome::kIncomplete,
       "error: 已移除：服务 hostprep（已标记删除，停止后消失）、开机运行项 hostprep、"
       "C:\\Windows\\Myset.ini\r\n无法移除：C:\\Windows\\Hostprep.exe（服务 hostprep "
       "未能及时停止，它的程序仍在运行）"},
      {true, "wrrr", RemovalOutcome::kDone,
       "box 提示: 已移除：服务 hostprep（已标记删除，停止后消失）、开机运行项 hostprep、"
       "C:\\Windows\\Hostprep.exe、C:\\Windows\\Myset.ini"},
  };
  for (const auto& c : cases) {
    FakeRemoval t;
    t.agree = c.agree;
    t.states = c.states;
    EXPECT_EQ(RemoveClientPackage(t), c.outcome) << c.states;
    std::vector<std::string> want = {ask};
    if (c.agree) want.insert(want.end(), {"service", "run hostprep", "exe", "ini", c.box});
    EXPECT_EQ(t.log, want);
  }
}

// The conversions reach the rows whatever the answer; the answer decides the fixes, and
// rows that change while the dialog is up (a sweep's insert, a resolved name) are checked and
// asked about again before anything is written.
TEST(Generator, TheCheckAsksOnlyAboutProblemsAndItsAnswerHolds) {
  const struct {
    PreflightChoice choice;
    bool change_once;  // the list changes during the first answer
    const char* name;  // row 1's name in the file, "" when nothing is written
    const char* password;
  } cases[] = {
      {PreflightChoice::kBack, false, "", ""},
      {PreflightChoice::kAsIs, false, "PC21.cafe", "a+b"},
      {PreflightChoice::kFixThenGenerate, false, "PC21", "a{+}b"},
      {PreflightChoice::kFixThenGenerate, true, "PC31", "a{+}b"},
  };
  for (const auto& c : cases) {
    lr::testing::ScratchDir dir;
    lr::testing::WriteBytes(dir / "Myset.ini", "previous package");
    FakeTarget t(dir / "Myset.ini");
    HostList hosts;
    hosts.Append(HostRecord{"192.168.0.21", "00-1A-2B-3C-4D-5E", "-", "PC21.cafe", ""});
    hosts.Append(HostRecord{"192.168.0.22", "00.0C.29.AB.01.FF", "-", "PC22       ", ""});
    GeneratorInputs in = GoodInputs();
    in.password1 = in.password2 = "a+b";
    std::vector<size_t> asked;
    const GenerateOutcome outcome =
        GeneratePackage(in, hosts, t, [&](const std::vector<PreflightProblem>& p, size_t conv) {
          asked.push_back(p.size() * 10 + conv);
          if (c.change_once && asked.size() == 1) {
            hosts.InsertTop(HostRecord{"192.168.0.23", "00.0C.29.AB.01.23", "-", "PC23   ", ""});
            hosts.SetField(1, kFieldName, "PC31.cafe");
          }
          return c.choice;
        });
    // Two problems (row 1's name, the password) and the two fields of row 2 converted; a
    // change is asked about again with the new row's two fields.
    EXPECT_EQ(asked, std::vector<size_t>(c.change_once ? 2 : 1, 22));
    EXPECT_EQ(hosts.At(hosts.Count() - 1).mac, "00-0C-29-AB-01-FF");
    EXPECT_EQ(hosts.At(hosts.Count() - 1).name, "PC22");
    if (c.choice == PreflightChoice::kBack) {
      EXPECT_EQ(outcome, GenerateOutcome::kBack);
      EXPECT_TRUE(t.log.empty());
      EXPECT_EQ(lr::testing::ReadBytes(dir / "Myset.ini"), "previous package");
      continue;
    }
    EXPECT_EQ(outcome, GenerateOutcome::kGenerated);
    const Profile file = ReadProfileFile(dir / "Myset.ini");
    EXPECT_EQ(file.KeyNames(kSectionInfoList).size(), hosts.Count());
    EXPECT_EQ(file.Get(kSectionInfoList, "00-1A-2B-3C-4D-5E"),
              JoinHostEntry("192.168.0.21", c.name));
    EXPECT_EQ(file.Get(kSectionAutoSet, kKeyUnlockPW), EncodeUnlockPassword(c.password));
  }
  lr::testing::ScratchDir dir;
  FakeTarget t(dir / "Myset.ini");
  HostList sound;
  sound.Append(HostRecord{"192.168.0.21", "00.1A.2B.3C.4D.5E", "-", "PC21    ", ""});
  EXPECT_EQ(GeneratePackage(GoodInputs(), sound, t,
                            [](const std::vector<PreflightProblem>&, size_t) {
                              ADD_FAILURE() << "asked about a list with nothing to decide";
                              return PreflightChoice::kBack;
                            }),
            GenerateOutcome::kGenerated);
  EXPECT_EQ(sound.At(0).mac + "=" + sound.At(0).name, "00-1A-2B-3C-4D-5E=PC21");
}

}  // namespace
}  // namespace lr
