// The generator's writes on a real (Wine) machine: settings file, Run value, the service,
// and the executable written out of the program's own resource; and their removal.
#include "package/win32/package_target.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <aclapi.h>
#include <sddl.h>

#include "package/client_settings.h"
#include "package/win32/client_removal.h"
#include "package/win32/write_faults.h"
#include "ui/message_box.h"

namespace lr {
namespace {

// The source tree as Wine sees it (drive Z: is the Linux root).
std::filesystem::path SourceDir() {
  std::string dir = PROJECT_SOURCE_DIR;
  return dir.front() == '/' ? "Z:" + dir : dir;
}

std::string FileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PackageTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    dir_ = std::filesystem::path(tmp) / "lr-package-target";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    paths_.settings_delete = (dir_ / "MYSET.INI").wstring();
    paths_.settings_write = (dir_ / "Myset.ini").wstring();
    paths_.hostprep = (dir_ / "Hostprep.exe").wstring();
    paths_.run_root = HKEY_CURRENT_USER;
    paths_.run_key = L"Software\\LanrosterTest\\Run";
    paths_.service_name = L"lrtest-hostprep";
    paths_.service_image = paths_.hostprep;
    RegDeleteKeyW(HKEY_CURRENT_USER, paths_.run_key.c_str());
    DeleteTestService();
    old_seam_ = ui::SetMessageBoxSeam([this](const std::string& c, const std::string& t, unsigned) {
      boxes_.push_back(c + ": " + t);
      return IDOK;
    });
  }
  void TearDown() override {
    ui::SetMessageBoxSeam(old_seam_);
    RegDeleteKeyW(HKEY_CURRENT_USER, paths_.run_key.c_str());
    DeleteTestService();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::wstring RunValue() {
    wchar_t buf[512] = {};
    DWORD size = sizeof buf;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, paths_.run_key.c_str(), 0, KEY_READ, &key)) return L"";
    RegQueryValueExW(key, L"hostprep", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return type == REG_SZ ? buf : L"";
  }

  void DeleteTestService() {
    ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle service(OpenServiceW(scm.get(), paths_.service_name.c_str(), DELETE));
    if (service) DeleteService(service.get());
  }

  // The service's entry as the control manager keeps it in the registry, one field a line;
  // "" when there is none.
  std::wstring ServiceEntry() {
    HKEY key;
    const std::wstring path = L"SYSTEM\\CurrentControlSet\\Services\\" + paths_.service_name;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key)) return L"";
    std::wstring out;
    for (const wchar_t* name :
         {L"ImagePath", L"Start", L"Type", L"ObjectName", L"DisplayName", L"Description"}) {
      wchar_t buf[512] = {};
      DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
      RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
      out += std::wstring(name) + L"=" +
             (type == REG_DWORD ? std::to_wstring(MAKELONG(buf[0], buf[1])) : buf) + L"\n";
    }
    RegCloseKey(key);
    return out;
  }
  std::wstring WantedServiceEntry() {
    return L"ImagePath=" + paths_.hostprep + L"\nStart=2\nType=16\nObjectName=LocalSystem\n" +
           L"DisplayName=" + ui::Wide(kServiceDisplayName) + L"\nDescription=" +
           ui::Wide(kServiceDescription) + L"\n";
  }

  static HostList OneHost() {
    HostList hosts;
    hosts.Append(HostRecord{"192.168.0.21", "00-1A-2B-3C-4D-5E", "-", "PC21", ""});
    return hosts;
  }
  static GeneratorInputs GatewayAndMask() {
    GeneratorInputs in;
    in.gateway = "192.168.0.1";
    in.mask = "255.255.255.0";
    return in;
  }

  std::filesystem::path dir_;
  WinPackageTarget::Paths paths_;
  std::vector<std::string> boxes_;
  ui::MessageBoxSeam old_seam_;
};

TEST_F(PackageTargetTest, GeneratesTheWholePackage) {
  std::ofstream(dir_ / "Myset.ini") << "[Old]\r\nstale=1\r\n";
  WinPackageTarget target(paths_);
  HostList hosts;
  hosts.Append(HostRecord{"192.168.0.21", "00-1A-2B-3C-4D-5E", "-",
                          "\xCD\xF8\xB0\xC9"
                          "21",
                          ""});
  GeneratorInputs in;
  in.gateway = "192.168.0.1";
  in.mask = "255.255.255.0";
  ASSERT_EQ(GeneratePackage(in, hosts, target), GenerateOutcome::kGenerated);

  const Profile p = ReadProfileFile(dir_ / "Myset.ini");
  EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"AutoSet", "InfoList"}));
  EXPECT_EQ(LookupHostEntry(p, "00-1A-2B-3C-4D-5E").name,
            "\xCD\xF8\xB0\xC9"
            "21");
  EXPECT_EQ(RunValue(), L"C:\\Windows\\Hostprep.exe");
  EXPECT_EQ(ServiceEntry(), WantedServiceEntry());
  EXPECT_EQ(FileBytes(dir_ / "Hostprep.exe"), FileBytes(SourceDir() / "tests/win/data/myexe.bin"));
  ASSERT_EQ(boxes_.size(), 1u);

  // A second generation over a service changed since brings it back to its configuration,
  // without the boot steps' mark of a clone the master was made from.
  const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + paths_.service_name;
  const DWORD one = 1;
  {
    ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle service(OpenServiceW(scm.get(), paths_.service_name.c_str(), SERVICE_CHANGE_CONFIG));
    ASSERT_TRUE(ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START,
                                     SERVICE_NO_CHANGE, L"C:\\other.exe", nullptr, nullptr, nullptr,
                                     nullptr, nullptr, L"other"));
  }
  HKEY service_key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                          &service_key),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(service_key, L"BootStepsDone", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&one), sizeof one),
            ERROR_SUCCESS);
  ASSERT_NE(ServiceEntry(), WantedServiceEntry());
  WinPackageTarget again(paths_);
  ASSERT_EQ(GeneratePackage(in, hosts, again), GenerateOutcome::kGenerated);
  EXPECT_EQ(ServiceEntry(), WantedServiceEntry());
  EXPECT_EQ(RegQueryValueExW(service_key, L"BootStepsDone", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(service_key);

  // Only Administrators and SYSTEM may open the settings file, as created and as rewritten.
  // Wine keeps Unix permission bits only, shown as entries for SYSTEM and the owner (here the
  // administrator who generated); an entry for anyone else is a fault.
  PSECURITY_DESCRIPTOR sd = nullptr;
  wchar_t* sddl = nullptr;
  const SECURITY_INFORMATION info = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  GetNamedSecurityInfoW((dir_ / "Myset.ini").c_str(), SE_FILE_OBJECT, info, 0, 0, 0, 0, &sd);
  ASSERT_TRUE(sd && ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, info,
                                                                         &sddl, nullptr));
  std::wstring entries = sddl;
  const std::wstring owner = entries.substr(2, entries.find(L"D:") - 2);
  for (const std::wstring& who : {std::wstring(L"BA"), std::wstring(L"SY"), owner}) {
    for (size_t at; (at = entries.find(L"(A;;FA;;;" + who + L")")) != std::wstring::npos;)
      entries.erase(at, who.size() + 10);
  }
  EXPECT_TRUE(entries == L"O:" + owner + L"D:P" || entries == L"O:" + owner + L"D:") << sddl;
  LocalFree(sddl);
  LocalFree(sd);
}

// A program of the system folder, waited for: its exit code and output, or why it did not start.
TEST_F(PackageTargetTest, SystemProgramIsWaitedFor) {
  WinPackageTarget target(paths_);
  const ProgramRun ran = target.RunSystemProgram("cmd.exe", "/c echo ab& exit 3");
  EXPECT_TRUE(ran.started && ran.ended && ran.exit_code == 3 && ran.output == "ab") << ran.output;
  const ProgramRun missing = target.RunSystemProgram("lr-none.exe", "/x");
  EXPECT_FALSE(missing.started || missing.output.empty());
  EXPECT_NE(missing.command.find("\\lr-none.exe /x"), std::string::npos);
}

TEST_F(PackageTargetTest, ResourceAndFileFailuresGiveFalse) {
  EXPECT_FALSE(SaveResourceToFile(L"exefile", L"NoSuchName", (dir_ / "x.exe").wstring()));
  EXPECT_FALSE(SaveResourceToFile(L"exefile", L"Myexe", (dir_ / "no" / "x.exe").wstring()));
  EXPECT_TRUE(SaveResourceToFile(L"EXEFILE", L"MYEXE", (dir_ / "x.exe").wstring()));
}

TEST_F(PackageTargetTest, RefusedSettingsWriteIsReportedWithThePath) {
  paths_.settings_write = (dir_ / "missing" / "Myset.ini").wstring();
  WinPackageTarget target(paths_);
  HostList hosts;
  hosts.Append(HostRecord{"1.2.3.4", "m", "-", "n", ""});
  GeneratorInputs in;
  in.gateway = in.mask = "1.1.1.1";
  EXPECT_EQ(GeneratePackage(in, hosts, target), GenerateOutcome::kFailed);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("Unable to write to C:\\Windows\\Myset.ini"), std::string::npos);
  EXPECT_EQ(RunValue(), L"");
}

// One generation per write point with that point failing, from the first to the last, over
// an earlier package (settings file, Hostprep.exe, Run value, service). Each must show one
// message that is not the success and leave no temporary file; whatever still starts
// Hostprep then (the Run value, the service) finds the earlier settings file and Hostprep.exe.
TEST_F(PackageTargetTest, EveryFailedWritePointIsReportedAndLeavesAKnownState) {
  const HostList hosts = OneHost();
  GeneratorInputs in = GatewayAndMask();
  in.execute_path = "x.exe";
  in.window_mode = GeneratorInputs::WindowMode::kNormal;
  const std::string old_ini = "[InfoList]\r\nold=1\r\n";
  {
    WinPackageTarget whole(paths_);
    ASSERT_EQ(GeneratePackage(in, hosts, whole), GenerateOutcome::kGenerated);
  }
  const std::string new_ini = FileBytes(dir_ / "Myset.ini");
  const std::string new_exe = FileBytes(dir_ / "Hostprep.exe");
  auto starts = [&] {
    return !RunValue().empty() || ServiceEntry().find(L"\nStart=2\n") != std::wstring::npos;
  };
  int covered = 0;
  for (int n = 1;; ++n) {
    write_faults::Arm(0);
    std::ofstream(dir_ / "Myset.ini", std::ios::binary) << old_ini;
    std::ofstream(dir_ / "Hostprep.exe", std::ios::binary) << "old";
    std::string reason;
    ASSERT_TRUE(WinPackageTarget(paths_).SetRunValue("hostprep", "C:\\Windows\\Hostprep.exe"));
    ASSERT_TRUE(WinPackageTarget(paths_).InstallService(reason)) << reason;
    boxes_.clear();
    write_faults::Arm(n);
    GenerateOutcome outcome;
    {
      WinPackageTarget target(paths_);
      outcome = GeneratePackage(in, hosts, target);
    }
    if (write_faults::Count() < n) break;
    covered = n;
    SCOPED_TRACE(std::to_string(n) + " " + write_faults::Failed());
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      EXPECT_EQ(entry.path().filename().string().find('~'), std::string::npos) << entry.path();
    const std::string ini = FileBytes(dir_ / "Myset.ini");
    const std::string exe = FileBytes(dir_ / "Hostprep.exe");
    const bool earlier = ini == old_ini && exe == "old";
    EXPECT_TRUE(earlier || (ini == new_ini && (exe == "old" || exe == new_exe)));
    // A replace that failed half way and put the new file in place lets the generation go on.
    if (outcome == GenerateOutcome::kGenerated) {
      EXPECT_EQ(std::string(write_faults::Failed()).rfind("file replace, ", 0), 0u);
      EXPECT_TRUE(ini == new_ini && exe == new_exe && !RunValue().empty());
      EXPECT_EQ(ServiceEntry(), WantedServiceEntry());
      continue;
    }
    EXPECT_EQ(outcome, GenerateOutcome::kFailed);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].find("所需文件已自动生成"), std::string::npos);
    EXPECT_TRUE(!starts() || earlier) << boxes_[0];
  }
  write_faults::Arm(0);
  std::printf("write points covered: %d\n", covered);
  EXPECT_GT(covered, 30);
}

// The removal on the machine: all four parts go, a second removal finds none, and with each
// of its write points failing the box says that part could not be removed, the others go.
TEST_F(PackageTargetTest, RemovalTakesEveryPartOffAndSaysWhatCouldNot) {
  const HostList hosts = OneHost();
  const GeneratorInputs in = GatewayAndMask();
  auto parts_left = [&] {
    return std::to_string(!ServiceEntry().empty()) + std::to_string(!RunValue().empty()) +
           std::to_string(std::filesystem::exists(dir_ / "Hostprep.exe")) +
           std::to_string(std::filesystem::exists(dir_ / "Myset.ini"));
  };
  for (int n = 0;; ++n) {
    WinPackageTarget generator(paths_);
    ASSERT_EQ(GeneratePackage(in, hosts, generator), GenerateOutcome::kGenerated);
    ASSERT_EQ(parts_left(), "1111");
    boxes_.clear();
    write_faults::Arm(n);
    WinClientRemovalTarget machine(paths_);
    const RemovalOutcome outcome = RemoveClientPackage(machine);
    if (n > 0 && write_faults::Count() < n) break;
    SCOPED_TRACE(n);
    ASSERT_EQ(boxes_.size(), 2u);  // the question, the closing box
    EXPECT_EQ(boxes_[0].rfind("询问: 确实要从本机移除客户端吗？", 0), 0u);
    if (n == 0) {
      EXPECT_EQ(outcome, RemovalOutcome::kDone);
      EXPECT_EQ(boxes_[1].rfind("提示: 已移除：服务 hostprep、开机运行项 hostprep、", 0), 0u);
      EXPECT_EQ(parts_left(), "0000");
      continue;
    }
    EXPECT_EQ(outcome, RemovalOutcome::kIncomplete);
    EXPECT_NE(boxes_[1].find("无法移除："), std::string::npos) << boxes_[1];
    const std::string left = parts_left();
    EXPECT_EQ(std::count(left.begin(), left.end(), '1'), 1) << left;
  }
  write_faults::Arm(0);
  boxes_.clear();
  WinClientRemovalTarget machine(paths_);
  EXPECT_EQ(RemoveClientPackage(machine), RemovalOutcome::kDone);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].rfind("提示: 本机原本没有：服务 hostprep、开机运行项 hostprep、", 0), 0u);
}

}  // namespace
}  // namespace lr
