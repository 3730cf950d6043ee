// Reading field texts and dotted address texts, and the control's geometry.
#include "hostlist/ip_edit_layout.h"
#include "hostlist/ip_edit_text.h"

#include <gtest/gtest.h>

namespace lr {
namespace {

TEST(IPEditText, IntegersAreSignedDecimalDigitsWithoutOverflow) {
  EXPECT_EQ(ReadInteger("007"), 7);
  EXPECT_EQ(ReadInteger("-5"), -5);
  EXPECT_EQ(ReadInteger("+12"), 12);
  for (std::string_view bad : {"", "-", "+", " 1", "1 ", "1x", "0x1", "$FF", "1.0", "--1"}) {
    EXPECT_EQ(ReadInteger(bad), std::nullopt) << bad;
  }
  // Long digit strings neither overflow nor wrap into range.
  EXPECT_EQ(OctetFromText("99999999999999999999999"), std::nullopt);
  EXPECT_EQ(OctetFromText("4294967296"), std::nullopt);
  EXPECT_LT(*ReadInteger("-4294967296"), 0);
  EXPECT_EQ(OctetFromText("255"), 255);
  EXPECT_EQ(OctetFromText("256"), std::nullopt);
}

TEST(IPEditText, AddressTextsReadPartByPart) {
  const std::pair<std::string_view, const char*> cases[] = {
      {"192.168.0.1", "192.168.0.1"},
      {"010.1.1.1", "10.1.1.1"},
      {"300.1.2.3", "255.1.2.3"},
      {"1..2.3", "1.255.2.3"},
      {"-1.2.3.4", "255.2.3.4"},
      {"1.2.3.4x", "1.2.3.255"},
      {"1.2.3.", "1.2.3.255"},
      {"1.2.3.4.5", "1.2.3.4"},
      {"\xC4\xE3.2.3.4", "255.2.3.4"},  // GBK text in a part
      {"", nullptr},
      {"1.2.3", nullptr},
      {"1.2.3x4", nullptr},
      {std::string_view("1\0.2.3", 6), nullptr}};
  for (const auto& [text, expected] : cases) {
    const std::optional<IPOctets> octets = ParseIPString(text);
    EXPECT_EQ(octets ? FormatIPString(*octets) : "dropped", expected ? expected : "dropped")
        << text;
  }
}

TEST(IPEditLayout, FieldsAndDotsOfTheSystemsInstanceAndOthers) {
  const IPEditLayout l = LayoutIPEdit(125, 21, 9, 12);
  EXPECT_EQ(l.fields, (std::array<IPRect, 4>{IPRect{0, 2, 27, 19}, IPRect{31, 2, 27, 19},
                                             IPRect{62, 2, 27, 19}, IPRect{93, 2, 27, 19}}));
  const IPEditPaintPlan p = PlanIPEditPaint(IPRect{0, 0, 121, 17}, 0, l);
  EXPECT_EQ(p.frame_width, 0);
  EXPECT_EQ(p.fill, (IPRect{0, 0, 121, 17}));
  EXPECT_EQ(p.dots, (std::array<IPPoint, 3>{IPPoint{27, -7}, IPPoint{58, -7}, IPPoint{89, -7}}));
  // An inner border shrinks the fill and shifts the dots.
  const IPEditPaintPlan b = PlanIPEditPaint(IPRect{0, 0, 125, 21}, 2, l);
  EXPECT_EQ(b.fill, (IPRect{2, 2, 121, 17}));
  EXPECT_EQ(b.dots[0], (IPPoint{29, -7}));
  // 12 points: w 36, g 5; divisions truncate toward zero, negative margins included.
  const IPEditLayout big = LayoutIPEdit(200, 30, 12, 16);
  EXPECT_EQ(big.fields[3], (IPRect{18 + 3 * 41, 5, 36, 28}));
  EXPECT_EQ(LayoutIPEdit(99, 21, 9, 12).left_margin, -12);  // -12.5
  EXPECT_EQ(LayoutIPEdit(125, 21, -9, -12).fields, l.fields);
  EXPECT_EQ(FontPixelsFromPoints(9, 96), 12);
  EXPECT_EQ(FontPointsFromPixels(-13, 96), 10);  // 9.75 rounds like MulDiv
  EXPECT_EQ(FontPixelsFromPoints(9, 120), 15);
  EXPECT_EQ(FontPointsFromPixels(12, 0), 0);
}

}  // namespace
}  // namespace lr
