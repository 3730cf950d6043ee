// Our profile reader and writer against the platform's profile functions
// (GetPrivateProfileStringA / WritePrivateProfileStringA). Run with the system code page 936,
// so the A functions see GBK bytes as the target systems do.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "package/client_settings.h"
#include "package/profile.h"
#include "package/unlock_password.h"

namespace lr {
namespace {

struct Write {
  std::string section, key, value;
};

// What the generator writes, plus the awkward cases: GBK values, trailing blanks (NetBIOS
// names are padded to 15 characters), quotes, a replaced key, a second section written to
// after a later one exists, and an over-long value.
std::vector<Write> GeneratorLikeWrites() {
  return {
      {"AutoSet", "Gateway", "192.168.0.1"},
      {"AutoSet", "Mask", "255.255.255.0"},
      {"AutoSet", "UnlockPW", EncodeUnlockPassword("pass")},
      {"AutoSet", "CanReboot", "Yes"},
      {"AutoSet", "CanModifyRA2", "No"},
      {"AutoSet", "ExecutePath", "C:\\Program Files\\\xCD\xF8\xB0\xC9\\client.exe"},
      {"AutoSet", "FormStat", "1"},
      {"InfoList", "00-1A-2B-3C-4D-5E", "192.168.0.21~PC21"},
      {"InfoList", "00.0C.29.AB.01.FF", "192.168.0.22~PC01           "},
      {"InfoList", "\xCD\xF8\xB0\xC9", "192.168.0.23~\xBC\xC6\xCB\xE3\xBB\xFA~x"},
      {"InfoList", "00-1a-2b-3c-4d-5e", "192.168.0.24~later wins"},
      {"InfoList", "quoted", "\"in quotes\""},
      {"InfoList", "quoted-empty", "\"\""},
      {"InfoList", "spaces", "  padded  "},
      {"InfoList", "long", std::string(3000, 'L')},
      {"autoset", "Extra", "after InfoList"},
  };
}

class ProfileCompat : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "run the Windows tests with a zh_CN locale (code page 936)";
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::path(tmp) / (std::string("lr-compat-") + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  static std::string PlatformGet(const std::filesystem::path& file, const std::string& section,
                                 const std::string& key) {
    std::vector<char> buf(2048);
    const std::string path = file.string();
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01missing", buf.data(),
                                       static_cast<DWORD>(buf.size()), path.c_str());
    return std::string(buf.data(), n);
  }

  static std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  std::filesystem::path dir_;
};

TEST_F(ProfileCompat, PlatformReadsWhatOurWriterWrote) {
  const auto file = dir_ / "ours.ini";
  ProfileWriter writer(file, "ours.ini");
  for (const Write& w : GeneratorLikeWrites()) writer.Write(w.section, w.key, w.value);
  Profile ours = ReadProfileFile(file);
  for (const Write& w : GeneratorLikeWrites()) {
    SCOPED_TRACE(w.key);
    EXPECT_EQ(PlatformGet(file, w.section, w.key), ours.Get(w.section, w.key).value());
  }
  EXPECT_EQ(PlatformGet(file, "InfoList", "00-1A-2B-3C-4D-5E"), "192.168.0.24~later wins");
  EXPECT_EQ(PlatformGet(file, "InfoList", "00.0C.29.AB.01.FF"), "192.168.0.22~PC01");
  EXPECT_EQ(PlatformGet(file, "InfoList", "long").size(), kMaxProfileValue);
  EXPECT_EQ(PlatformGet(file, "InfoList", "absent"), "\x01missing");
}

TEST_F(ProfileCompat, OurReaderReadsWhatThePlatformWrote) {
  const auto file = dir_ / "platform.ini";
  const std::string path = file.string();
  for (const Write& w : GeneratorLikeWrites()) {
    ASSERT_TRUE(WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(),
                                           path.c_str()));
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // flush the cache
  Profile ours = ReadProfileFile(file);
  for (const Write& w : GeneratorLikeWrites()) {
    SCOPED_TRACE(w.key);
    EXPECT_EQ(ours.Get(w.section, w.key).value(), PlatformGet(file, w.section, w.key));
  }
  EXPECT_EQ(ours.SectionNames(), (std::vector<std::string>{"AutoSet", "InfoList"}));
  ClientSettings s = ReadClientSettings(ours);
  EXPECT_EQ(DecodeUnlockPassword(s.unlock_pw), "pass");
  EXPECT_TRUE(s.Reboot());
}

// From nothing, and from files someone left without a line end after the last line.
TEST_F(ProfileCompat, OurWriterMakesTheSameBytesAsThePlatform) {
  int n = 0;
  for (const char* start : {"", "[InfoList]\r\nk=0", "[AutoSet]\r\nk=0\r\n[InfoList]\r\nz=9"}) {
    SCOPED_TRACE(start);
    const std::string name = std::to_string(++n);  // a new file each: the platform caches one
    const auto ours = dir_ / ("ours" + name + ".ini");
    const auto theirs = dir_ / ("platform" + name + ".ini");
    for (const auto& f : {ours, theirs}) std::ofstream(f, std::ios::binary) << start;
    ProfileWriter writer(ours, "ours.ini");
    const std::string path = theirs.string();
    for (const Write& w : GeneratorLikeWrites()) {
      writer.Write(w.section, w.key, w.value);
      WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(), path.c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    EXPECT_EQ(Bytes(ours), Bytes(theirs));
  }
}

}  // namespace
}  // namespace lr
