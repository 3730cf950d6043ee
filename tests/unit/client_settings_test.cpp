#include "package/client_settings.h"

#include <gtest/gtest.h>

#include "package/unlock_password.h"
#include "tests/unit/test_files.h"

namespace lr {
namespace {

TEST(ClientSettings, AbsentKeysAndAbsentFileReadEmpty) {
  EXPECT_EQ(ReadClientSettings(Profile::Parse("")), ClientSettings{});
  lr::testing::ScratchDir dir;
  EXPECT_EQ(ReadClientSettings(ReadProfileFile(dir / "none.ini")), ClientSettings{});
}

TEST(ClientSettings, FlagsCountOnlyTheExactTexts) {
  ClientSettings s = ReadClientSettings(Profile::Parse(
      "[AutoSet]\r\nCanReboot=yes\r\nCanModifyRA2=Yes\r\nExecutePath=C:\\x.exe\r\n"));
  EXPECT_FALSE(s.Reboot());
  EXPECT_TRUE(s.ModifyRa2());
  EXPECT_FALSE(s.StartsProgram());  // FormStat absent
  s.form_stat = "0";
  EXPECT_TRUE(s.StartsProgram());
  EXPECT_FALSE(s.ProgramShown());
  s.form_stat = "2";
  EXPECT_FALSE(s.ProgramShown());
  s.form_stat = "1";
  EXPECT_TRUE(s.ProgramShown());
  EXPECT_FALSE(s.Unlocks());
}

TEST(HostEntry, SplitsAtTheFirstTilde) {
  EXPECT_EQ(SplitHostEntry("m", "192.168.0.21~PC~21"),
            (HostEntry{"m", "192.168.0.21", "PC~21", false}));
  EXPECT_EQ(SplitHostEntry("m", "PC21"), (HostEntry{"m", "", "PC21", false}));
  EXPECT_EQ(SplitHostEntry("m", "~"), (HostEntry{"m", "", "", false}));
}

TEST(HostEntry, LookupMatchesOnlyTheDashFormUpToCase) {
  Profile p = Profile::Parse(
      "[InfoList]\r\n00-1a-2b-3c-4d-5e=10.0.0.5~PC5\r\n00.1A.2B.3C.4D.5F=10.0.0.6~PC6\r\n"
      "001A2B3C4D60=10.0.0.7~PC7\r\n");
  const unsigned char mac5[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
  const unsigned char mac6[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F};
  EXPECT_EQ(ClientMacText(mac5), "00-1A-2B-3C-4D-5E");
  HostEntry e = LookupHostEntry(p, ClientMacText(mac5));
  EXPECT_TRUE(e.found);
  EXPECT_EQ(e.ip, "10.0.0.5");
  EXPECT_EQ(e.name, "PC5");
  HostEntry none = LookupHostEntry(p, ClientMacText(mac6));
  EXPECT_FALSE(none.found);
  EXPECT_EQ(none.ip, "");
  EXPECT_EQ(none.name, "");
}

TEST(HostEntry, GeneratorValuesRoundTripThroughTheFile) {
  lr::testing::ScratchDir dir;
  ProfileWriter w(dir / "Myset.ini", "Myset.ini");
  w.Write(kSectionInfoList, "00-1A-2B-3C-4D-5E",
          JoinHostEntry("10.0.0.1",
                        "\xCD\xF8\xB0\xC9"
                        "01"));
  w.Write(kSectionInfoList, "00-1A-2B-3C-4D-5E", JoinHostEntry("10.0.0.2", "later"));
  Profile p = ReadProfileFile(dir / "Myset.ini");
  EXPECT_EQ(p.KeyNames(kSectionInfoList).size(), 1u);
  EXPECT_EQ(LookupHostEntry(p, "00-1A-2B-3C-4D-5E").ip, "10.0.0.2");
}

TEST(UnlockPassword, EncodesWithTheKeyStartingAtItsSecondByte) {
  // 'a'^0x05 = 0x64, 'b'^0x1A = 0x78, 'c'^0x0E = 0x6D, 'd'^0x05 = 0x61
  EXPECT_EQ(EncodeUnlockPassword("abcd"), "64786D61");
  EXPECT_EQ(EncodeUnlockPassword(""), "");
  EXPECT_EQ(EncodeUnlockPassword("\x05"), "00");
}

TEST(UnlockPassword, DecodeToleratesSeparatorsCaseAndOddDigits) {
  EXPECT_EQ(DecodeUnlockPassword("64786D61"), "abcd");
  EXPECT_EQ(DecodeUnlockPassword("64 78 6d 61"), "abcd");
  EXPECT_EQ(DecodeUnlockPassword("-64-78-6D-61-"), "abcd");
  // A lone last digit is a byte of its own value: 0x6 ^ 0x05 = 0x03.
  EXPECT_EQ(DecodeUnlockPassword("647"), std::string("a\x1d", 2));
  // A digit followed by a non-digit: a byte of its own, and the walk moves on by two.
  EXPECT_EQ(DecodeUnlockPassword("6x4"), std::string("\x03\x1e", 2));
  EXPECT_EQ(DecodeUnlockPassword(""), "");
  EXPECT_EQ(DecodeUnlockPassword("zz"), "");
}

TEST(UnlockPassword, EveryEncodedTextDecodesBack) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(DecodeUnlockPassword(EncodeUnlockPassword(all)), all);
  EXPECT_EQ(DecodeUnlockPassword(EncodeUnlockPassword("\xC3\xDC\xC2\xEB")), "\xC3\xDC\xC2\xEB");
}

}  // namespace
}  // namespace lr
