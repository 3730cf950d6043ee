// The generator's writes on a real (Wine) machine: settings file, Run value, and the
// executable written out of the program's own resource.
#include "package/win32/package_target.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "package/client_settings.h"
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
    RegDeleteKeyW(HKEY_CURRENT_USER, paths_.run_key.c_str());
    old_seam_ = ui::SetMessageBoxSeam([this](const std::string& c, const std::string& t, unsigned) {
      boxes_.push_back(c + ": " + t);
      return IDOK;
    });
  }
  void TearDown() override {
    ui::SetMessageBoxSeam(old_seam_);
    RegDeleteKeyW(HKEY_CURRENT_USER, paths_.run_key.c_str());
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
  EXPECT_EQ(FileBytes(dir_ / "Hostprep.exe"), FileBytes(SourceDir() / "tests/win/data/myexe.bin"));
  ASSERT_EQ(boxes_.size(), 1u);
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

}  // namespace
}  // namespace lr
