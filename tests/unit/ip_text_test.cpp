// The dotted-address parse, the octet split, the address number and the time-out text.
#include "scanner/ip_text.h"

#include <gtest/gtest.h>

#include "scanner/id_exceptions.h"

namespace lr {
namespace {

TEST(InetAddr, ClassicFormsAndBases) {
  EXPECT_EQ(InetAddr("192.168.0.1"), 0xC0A80001u);
  EXPECT_EQ(InetAddr("0.0.0.0"), 0u);
  EXPECT_EQ(InetAddr("10.1"), 0x0A000001u);
  EXPECT_EQ(InetAddr("10.1.258"), 0x0A010102u);
  EXPECT_EQ(InetAddr("3232235521"), 0xC0A80001u);
  EXPECT_EQ(InetAddr("0xC0.0250.0.01"), 0xC0A80001u);
  EXPECT_EQ(InetAddr("0X7f.1"), 0x7F000001u);
  EXPECT_EQ(InetAddr("010.0.0.1"), 0x08000001u);  // octal
  EXPECT_EQ(InetAddr("1.2.3.4 trailing"), 0x01020304u);
}

TEST(InetAddr, Rejections) {
  for (const char* bad : {"", " 1.2.3.4", "1.2.3.4.5", "1.2.3.256", "256.1.1.1", "1..2.3", "1.2.3.",
                          ".1.2.3", "1.2.3.4x", "08.1.1.1", "1.2.3.0x1g", "abc", "1.2.65536",
                          "1.16777216", "4294967296", "99999999999999999999", "1.2.3.-4"}) {
    EXPECT_EQ(InetAddr(bad), kInAddrNone) << bad;
  }
  EXPECT_FALSE(IsValidIP("255.255.255.255"));  // the error value itself
  EXPECT_TRUE(IsValidIP("255.255.255.254"));
  EXPECT_TRUE(IsValidIP("127.0.0.1"));
}

TEST(SplitOctets, DecimalPartsIntoFourBytes) {
  std::uint8_t o[4] = {9, 9, 9, 9};
  SplitOctets("192.168.0.254", o);
  EXPECT_EQ((std::vector<int>{o[0], o[1], o[2], o[3]}), (std::vector<int>{192, 168, 0, 254}));
  SplitOctets("10.1", o);  // missing octets are 0, not left over from before
  EXPECT_EQ((std::vector<int>{o[0], o[1], o[2], o[3]}), (std::vector<int>{10, 1, 0, 0}));
  SplitOctets("1.2.3.4.5.6", o);  // never more than four
  EXPECT_EQ((std::vector<int>{o[0], o[1], o[2], o[3]}), (std::vector<int>{1, 2, 3, 4}));
  SplitOctets("0x10.x.300.010", o);
  EXPECT_EQ((std::vector<int>{o[0], o[1], o[2], o[3]}), (std::vector<int>{0, 0, 44, 10}));
}

TEST(IpToNumber, WrapsAndDiffers) {
  EXPECT_EQ(IpToNumber("192.168.0.254") - IpToNumber("192.168.0.1"), 253);
  EXPECT_EQ(IpToNumber("192.168.1.5") - IpToNumber("192.168.0.250"), 11);
  EXPECT_EQ(IpToNumber("192.168.0.5") - IpToNumber("192.168.0.10"), -5);
  EXPECT_EQ(IpToNumber("255.255.255.255"), -1);
  EXPECT_EQ(IpToNumber("1-2-3-4"), 0x01020304);  // any one character ends a run
}

TEST(IpToNumber, UnconvertibleRunNamesItself) {
  try {
    IpToNumber("1.2.3");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  try {
    IpToNumber("1.2.99999999999.4");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'99999999999' is not a valid integer value");
  }
}

TEST(TimeoutFromText, NumbersLettersAndNegatives) {
  EXPECT_EQ(TimeoutFromText("100"), 100u);
  EXPECT_EQ(TimeoutFromText("0"), 0u);
  EXPECT_EQ(TimeoutFromText("abc"), 0u);
  EXPECT_EQ(TimeoutFromText(""), 0u);
  EXPECT_EQ(TimeoutFromText("12a"), 0u);
  EXPECT_EQ(TimeoutFromText("-5"), 0u);
  EXPECT_EQ(TimeoutFromText("2147483647"), 2147483647u);
  EXPECT_EQ(TimeoutFromText("2147483648"), 0u);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

}  // namespace
}  // namespace lr
