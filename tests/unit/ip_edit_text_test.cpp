// Reading field texts and dotted address texts, and the control's geometry.
#include "hostlist/ip_edit_layout.h"
#include "hostlist/ip_edit_text.h"

#include <gtest/gtest.h>

namespace lr {
namespace {

std::string Parsed(std::string_view text) {
  const std::optional<IPOctets> octets = ParseIPString(text);
  return octets ? FormatIPString(*octets) : "dropped";
}

TEST(IPEditText, IntegersAreSignedDecimalDigitsOnly) {
  EXPECT_EQ(ReadInteger("0"), 0);
  EXPECT_EQ(ReadInteger("007"), 7);
  EXPECT_EQ(ReadInteger("-5"), -5);
  EXPECT_EQ(ReadInteger("+12"), 12);
  for (std::string_view bad : {"", "-", "+", " 1", "1 ", "1x", "0x1", "$FF", "1.0", "--1"}) {
    EXPECT_EQ(ReadInteger(bad), std::nullopt) << bad;
  }
  // Long digit strings neither overflow nor wrap into range.
  EXPECT_GT(*ReadInteger("99999999999999999999999999"), 255);
  EXPECT_LT(*ReadInteger("-4294967296"), 0);
  EXPECT_EQ(OctetFromText("4294967296"), std::nullopt);
  EXPECT_EQ(OctetFromText("255"), 255);
  EXPECT_EQ(OctetFromText("256"), std::nullopt);
  EXPECT_EQ(OctetFromText("-0"), 0);
}

TEST(IPEditText, WellFormedAddressesReadBackWithoutLeadingZeros) {
  EXPECT_EQ(Parsed("192.168.0.1"), "192.168.0.1");
  EXPECT_EQ(Parsed("010.1.1.1"), "10.1.1.1");
  EXPECT_EQ(Parsed("0.0.0.0"), "0.0.0.0");
  EXPECT_EQ(Parsed("255.255.255.255"), "255.255.255.255");
}

TEST(IPEditText, BadPartsBecome255AndExtraTextIsIgnored) {
  EXPECT_EQ(Parsed("300.1.2.3"), "255.1.2.3");
  EXPECT_EQ(Parsed("1..2.3"), "1.255.2.3");
  EXPECT_EQ(Parsed("-1.2.3.4"), "255.2.3.4");
  EXPECT_EQ(Parsed("1.2.3.4x"), "1.2.3.255");
  EXPECT_EQ(Parsed("1.2.3."), "1.2.3.255");
  EXPECT_EQ(Parsed("1.2.3.4.5"), "1.2.3.4");
  EXPECT_EQ(Parsed("..."), "255.255.255.255");
  EXPECT_EQ(Parsed("\xC4\xE3.2.3.4"), "255.2.3.4");  // GBK text in a part
}

TEST(IPEditText, FewerThanFourPartsDropTheWrite) {
  for (std::string_view bad : std::initializer_list<std::string_view>{
           "", "1", "1.2", "1.2.3", "1.2.3x4", "abc", std::string_view("1\0.2.3", 6)}) {
    EXPECT_EQ(Parsed(bad), "dropped") << bad;
  }
}

TEST(IPEditLayout, SystemInstancePlacesFieldsAndDots) {
  const IPEditLayout l = LayoutIPEdit(125, 21, 9, 12);
  EXPECT_EQ(l.field_width, 27);
  EXPECT_EQ(l.gap, 4);
  EXPECT_EQ(l.left_margin, 0);
  EXPECT_EQ(l.field_top, 2);
  EXPECT_EQ(l.fields[0], (IPRect{0, 2, 27, 19}));
  EXPECT_EQ(l.fields[1], (IPRect{31, 2, 27, 19}));
  EXPECT_EQ(l.fields[2], (IPRect{62, 2, 27, 19}));
  EXPECT_EQ(l.fields[3], (IPRect{93, 2, 27, 19}));

  const IPEditPaintPlan p = PlanIPEditPaint(IPRect{0, 0, 121, 17}, 0, l);
  EXPECT_EQ(p.frame_width, 0);
  EXPECT_EQ(p.fill, (IPRect{0, 0, 121, 17}));
  EXPECT_EQ(p.dots[0], (IPPoint{27, -7}));
  EXPECT_EQ(p.dots[1], (IPPoint{58, -7}));
  EXPECT_EQ(p.dots[2], (IPPoint{89, -7}));
}

TEST(IPEditLayout, OtherSizesFontsAndBorders) {
  // A wider, taller control with a 12-point font: centred, divisions truncate.
  const IPEditLayout l = LayoutIPEdit(200, 30, 12, 16);
  EXPECT_EQ(l.field_width, 36);
  EXPECT_EQ(l.gap, 5);
  EXPECT_EQ(l.left_margin, (200 - 144 - 15 - 4) / 2);
  EXPECT_EQ(l.field_top, (30 - 16 - 6) / 2 + 1);
  EXPECT_EQ(l.fields[3].left, l.left_margin + 3 * 41);
  EXPECT_EQ(l.fields[3].height, 28);
  // Too narrow: the margin goes negative (truncated toward zero), nothing fails.
  EXPECT_EQ(LayoutIPEdit(100, 21, 9, 12).left_margin, -12);
  EXPECT_EQ(LayoutIPEdit(99, 21, 9, 12).left_margin, -12);  // -12.5, not -13
  // Negative font sizes are taken as absolute values.
  EXPECT_EQ(LayoutIPEdit(125, 21, -9, -12).fields, LayoutIPEdit(125, 21, 9, 12).fields);

  const IPEditPaintPlan p = PlanIPEditPaint(IPRect{0, 0, 125, 21}, 2, LayoutIPEdit(125, 21, 9, 12));
  EXPECT_EQ(p.frame_width, 2);
  EXPECT_EQ(p.fill, (IPRect{2, 2, 121, 17}));
  EXPECT_EQ(p.dots[0], (IPPoint{29, -7}));
}

TEST(IPEditLayout, FontSizesConvertLikeMulDiv) {
  EXPECT_EQ(FontPixelsFromPoints(9, 96), 12);
  EXPECT_EQ(FontPointsFromPixels(-12, 96), 9);
  EXPECT_EQ(FontPixelsFromPoints(18, 96), 24);
  EXPECT_EQ(FontPointsFromPixels(13, 96), 10);  // 9.75 rounds up
  EXPECT_EQ(FontPixelsFromPoints(9, 120), 15);
  EXPECT_EQ(FontPointsFromPixels(12, 0), 0);
}

}  // namespace
}  // namespace lr
