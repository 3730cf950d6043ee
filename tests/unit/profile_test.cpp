#include "package/profile.h"

#include <gtest/gtest.h>

#include "tests/unit/test_files.h"

namespace lr {
namespace {

using lr::testing::ReadBytes;
using lr::testing::ScratchDir;
using lr::testing::WriteBytes;

TEST(Profile, ReadsSectionsAndKeysWithoutRegardToCase) {
  Profile p = Profile::Parse(
      "[AutoSet]\r\nGateway=192.168.0.1\r\n[InfoList]\r\n00-1a-2b-3c-4d-5e=10.0.0.5~PC5\r\n");
  EXPECT_EQ(p.Get("autoset", "GATEWAY"), "192.168.0.1");
  EXPECT_EQ(p.Get("INFOLIST", "00-1A-2B-3C-4D-5E"), "10.0.0.5~PC5");
  EXPECT_EQ(p.Get("AutoSet", "Mask"), std::nullopt);
  EXPECT_EQ(p.Get("Nope", "Gateway"), std::nullopt);
}

TEST(Profile, TrimsBlanksStripsQuotesAndTakesTheFirstMatch) {
  Profile p = Profile::Parse(
      "  [ S ]  \nk1 =  spaced value  \nk2=\"quoted\"\nk3='x\"\nk1=second\n"
      "noequals\nk5=\"\"\n\n[s]\nk4=in duplicate section\n");
  EXPECT_EQ(p.Get("S", "k1"), "spaced value");
  EXPECT_EQ(p.Get("S", "k2"), "quoted");
  EXPECT_EQ(p.Get("S", "k3"), "'x\"");
  EXPECT_EQ(p.Get("S", "noequals"), "");
  EXPECT_EQ(p.Get("S", "k5"), "");
  EXPECT_EQ(p.Get("S", "k4"), std::nullopt);
  EXPECT_EQ(p.KeyNames("s"), (std::vector<std::string>{"k1", "k2", "k3", "k1", "noequals", "k5"}));
}

TEST(Profile, ValuesAreCutAt2047BytesAndGbkNamesFoldOnlyAscii) {
  const std::string longv(5000, 'v');
  // 0xC3 0x41 is one GBK character whose trail byte is 'A'; it must not match 0xC3 'a'.
  Profile p = Profile::Parse("[S]\r\nlong=" + longv + "\r\n\xC3\x41=gbk\r\n");
  EXPECT_EQ(p.Get("s", "LONG")->size(), kMaxProfileValue);
  EXPECT_EQ(p.Get("S", "\xC3\x41"), "gbk");
  EXPECT_EQ(p.Get("S", "\xC3\x61"), std::nullopt);
}

TEST(Profile, KeysBeforeAnySectionAndMissingLineEndAreRead) {
  Profile p = Profile::Parse("orphan=1\r\n[A]\rx=1\r[B]\ny=2");
  EXPECT_EQ(p.Get("", "orphan"), "1");
  EXPECT_EQ(p.Get("A", "x"), "1");
  EXPECT_EQ(p.Get("B", "y"), "2");
  EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"", "A", "B"}));
}

// A key added in memory goes where the writer would add it, every other byte kept.
TEST(Profile, WithNewKeyAddsAtTheEndOfItsSection) {
  const struct {
    const char* bytes;
    const char* with;
  } cases[] = {
      {"[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\ny=2\r\n"},
      {"[B]\r\ny=2", "[B]\r\ny=2\r\n[A]\r\nk=v\r\n"},
      {"[a]\r\nx=1", "[a]\r\nx=1\r\nk=v\r\n"},
      {"", "[A]\r\nk=v\r\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Profile::Parse(c.bytes).WithNewKey("A", "k", "v"), c.with) << c.bytes;
}

TEST(ProfileWriter, AddsSectionsAndKeysInOrderWithCrLf) {
  ScratchDir dir;
  ProfileWriter w(dir / "my.ini", "my.ini");
  w.Write("AutoSet", "Gateway", "192.168.0.1");
  w.Write("AutoSet", "Mask", "255.255.255.0");
  w.Write("InfoList", "00-11", "10.0.0.1~A");
  w.Write("autoset", "UnlockPW", "");  // earlier section: goes after its last key
  w.Write("INFOLIST", "00-22", "10.0.0.2~B");
  EXPECT_EQ(ReadBytes(dir / "my.ini"),
            "[AutoSet]\r\nGateway=192.168.0.1\r\nMask=255.255.255.0\r\nUnlockPW=\r\n"
            "[InfoList]\r\n00-11=10.0.0.1~A\r\n00-22=10.0.0.2~B\r\n");
}

TEST(ProfileWriter, ReplacesAnExistingKeyInPlaceKeepingItsName) {
  ScratchDir dir;
  ProfileWriter w(dir / "my.ini", "my.ini");
  w.Write("InfoList", "00-1A-2B-3C-4D-5E", "10.0.0.1~first");
  w.Write("InfoList", "00-99", "10.0.0.9~other");
  w.Write("infolist", "00-1a-2b-3c-4d-5e", "10.0.0.2~later");
  EXPECT_EQ(ReadBytes(dir / "my.ini"),
            "[InfoList]\r\n00-1A-2B-3C-4D-5E=10.0.0.2~later\r\n00-99=10.0.0.9~other\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "my.ini.new~"));
}

TEST(ProfileWriter, FollowsChangesMadeBehindItsBack) {
  ScratchDir dir;
  ProfileWriter w(dir / "my.ini", "my.ini");
  w.Write("A", "k", "1");
  WriteBytes(dir / "my.ini", "; by hand\r\n[A]\r\nk=0\r\n\r\n[B]\r\nz=9");
  w.Write("A", "j", "2");
  w.Write("B", "y", "3");
  EXPECT_EQ(ReadBytes(dir / "my.ini"),
            "; by hand\r\n[A]\r\nk=0\r\nj=2\r\n\r\n[B]\r\nz=9\r\ny=3\r\n");
  std::filesystem::remove(dir / "my.ini");
  w.Write("C", "x", "4");
  EXPECT_EQ(ReadBytes(dir / "my.ini"), "[C]\r\nx=4\r\n");
  // Rewritten at the same size by another program, which leaves its own time on the file.
  const auto time = std::filesystem::last_write_time(dir / "my.ini");
  WriteBytes(dir / "my.ini", "[E]\r\nx=4\r\n");
  std::filesystem::last_write_time(dir / "my.ini", time + std::chrono::seconds(2));
  w.Write("C", "x", "6");
  EXPECT_EQ(ReadBytes(dir / "my.ini"), "[E]\r\nx=4\r\n[C]\r\nx=6\r\n");
}

TEST(ProfileWriter, RefusedWriteThrowsWithThePathAndChangesNothing) {
  ScratchDir dir;
  ProfileWriter w(dir / "missing-dir" / "my.ini", "C:\\Windows\\Myset.ini");
  try {
    w.Write("AutoSet", "Gateway", "1.2.3.4");
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_STREQ(e.what(), "Unable to write to C:\\Windows\\Myset.ini");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing-dir"));
}

}  // namespace
}  // namespace lr
