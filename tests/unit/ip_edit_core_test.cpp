// The address control's behaviour against a fake of its four edit fields.
#include "hostlist/ip_edit_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace lr {
namespace {

using Strings = std::vector<std::string>;

// Four edits as the core sees them, with just enough of an edit's own typing (insert over
// the selection, three-character limit, Backspace) to drive the core as a window would.
class IPEditCoreTest : public testing::Test, public IPFieldsView {
 protected:
  IPEditCoreTest() { texts.fill("0"); }

  std::string FieldText(int f) const override { return texts[f]; }
  void SetFieldText(int f, const std::string& t) override { texts[f] = t, sel[f] = {0, 0}; }
  IPSelection FieldSelection(int f) const override { return sel[f]; }
  void SetFieldSelection(int f, int start, int n) override { sel[f] = {start, n}; }
  int FocusedField() const override { return focused; }
  void FocusField(int f) override { focused = f; }
  void Changed() override { events.push_back("change"); }
  void Rejected(int f) override {
    events.push_back("error" + std::to_string(f) + (core.Error() ? "" : " without flag"));
  }

  void Type(const std::string& chars) {
    for (unsigned char ch : chars) {
      const int f = focused;
      if (core.FieldChar(f, ch) != IPInput::kPass) continue;
      std::string& t = texts[f];
      IPSelection& s = sel[f];
      if (ch == 8 && (s.length || s.start)) {
        const int from = s.length ? s.start : s.start - 1;
        t.erase(from, s.length ? s.length : 1);
        s = {from, 0};
      } else if (ch != 8 && static_cast<int>(t.size()) - s.length < kIPFieldMaxChars) {
        t.replace(s.start, s.length, 1, static_cast<char>(ch));
        s = {s.start + 1, 0};
      } else {
        continue;
      }
      core.FieldTextChanged(f);
    }
  }
  void At(int f, int start, int length = 0) { focused = f, sel[f] = {start, length}; }
  void ExpectAt(int f, int start, int length = 0) {
    EXPECT_EQ(focused, f);
    EXPECT_EQ(sel[f].start, start);
    EXPECT_EQ(sel[f].length, length);
  }

  IPEditCore core{*this};
  std::array<std::string, 4> texts;
  std::array<IPSelection, 4> sel{};
  int focused = -1;
  Strings events;
};

TEST_F(IPEditCoreTest, TypingDigitsDotsAndOutOfRangeEntries) {
  At(0, 0, 1);
  Type("192");
  ExpectAt(1, 0, 1);  // three digits: on to the next field, its text selected
  EXPECT_EQ(events, (Strings{"change", "change", "change"}));
  Type("25");
  events.clear();
  Type("6");
  EXPECT_EQ(events, (Strings{"error1", "change"}));
  EXPECT_FALSE(core.Error());
  EXPECT_EQ(texts[1], "255");
  ExpectAt(1, 0);  // caret at the start, focus stays
  At(2, 0, 1);
  Type("19.");
  ExpectAt(3, 0, 1);
  Type(".");  // a selection: nothing happens
  ExpectAt(3, 0, 1);
  At(3, 1);
  Type("\r a-");
  EXPECT_EQ(texts[3], "0");
  Type("7");
  ExpectAt(3, 2);  // the last field keeps the focus
  EXPECT_EQ(core.IPString(), "192.255.19.7");
}

TEST_F(IPEditCoreTest, EmptiedFieldsKeepTheirValueAndWritesAreQuiet) {
  At(2, 1);
  EXPECT_TRUE(core.SetIPString("010.168.300.254"));
  EXPECT_EQ(texts, (std::array<std::string, 4>{"10", "168", "255", "254"}));
  EXPECT_FALSE(core.SetIPString("1.2.3"));
  EXPECT_EQ(core.IPString(), "10.168.255.254");
  EXPECT_EQ(focused, 2);  // three-character texts set by the program move nothing
  EXPECT_TRUE(events.empty());
  At(1, 0, 3);
  Type("\b");
  EXPECT_EQ(texts[1], "");
  At(1, 0);
  Type(".");  // empty: nothing happens
  ExpectAt(1, 0);
  EXPECT_EQ(core.IPString(), "10.168.255.254");
  EXPECT_TRUE(events.empty());
  Type("7");
  EXPECT_EQ(core.IPString(), "10.7.255.254");
  EXPECT_EQ(events, (Strings{"change"}));
}

TEST_F(IPEditCoreTest, MovesLandAtTextEndsAndStopAtTheOuterFields) {
  core.SetIPString("192.68.0.1");
  At(2, 0);
  Type("\b");
  ExpectAt(1, 2);  // "end" is the text's length when shorter than 3
  At(0, 0, 3);
  EXPECT_EQ(core.FieldKeyDown(0, IPKey::kLeft), IPInput::kSwallow);
  ExpectAt(0, 0);  // first field: nothing moves, the selection goes
  At(1, 1);
  EXPECT_EQ(core.FieldKeyDown(1, IPKey::kRight), IPInput::kPass);
  core.SetReadOnly(true);
  Type("9\b.");  // read-only: no text changes, but "." still moves
  ExpectAt(2, 0, 1);
  EXPECT_EQ(core.IPString(), "192.68.0.1");
  focused = -1;  // no field focused: moves and a click on a later field go to the first
  core.MoveToNext(IPPlacement::kSelectAll);
  EXPECT_EQ(focused, -1);
  EXPECT_EQ(core.FieldMouseDown(2), IPInput::kSwallow);
  EXPECT_EQ(focused, 0);
}

}  // namespace
}  // namespace lr
