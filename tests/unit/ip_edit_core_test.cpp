// The address control's behaviour against a fake of its four edit fields: typing, keys,
// focus moves, the change rule and the address text.
#include "hostlist/ip_edit_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace lr {
namespace {

// Four single-line edits as the core sees them, with just enough of an edit's own typing
// behaviour (insert over the selection, 3-character limit, Backspace) to drive the core.
class FakeFields : public IPFieldsView {
 public:
  FakeFields() { texts.fill("0"); }

  std::string FieldText(int f) const override { return texts[f]; }
  void SetFieldText(int f, const std::string& text) override {
    texts[f] = text;
    sel[f] = {0, 0};
  }
  IPSelection FieldSelection(int f) const override { return sel[f]; }
  void SetFieldSelection(int f, int start, int length) override { sel[f] = {start, length}; }
  int FocusedField() const override { return focused; }
  void FocusField(int f) override { focused = f; }
  void Changed() override { events.push_back("change"); }
  void Rejected(int f) override {
    events.push_back("error" + std::to_string(f));
    error_seen_in_handler = core->Error() && core->FieldError(f);
  }

  // Types one character into the focused field the way a real edit would.
  void Type(unsigned ch) {
    const int f = focused;
    if (core->FieldChar(f, ch) != IPInput::kPass) return;
    std::string& t = texts[f];
    IPSelection& s = sel[f];
    if (ch == 8) {
      if (s.length == 0 && s.start == 0) return;
      const int from = s.length ? s.start : s.start - 1;
      t.erase(from, s.length ? s.length : 1);
      s = {from, 0};
    } else {
      if (static_cast<int>(t.size()) - s.length >= kIPFieldMaxChars) return;
      t.replace(s.start, s.length, 1, static_cast<char>(ch));
      s = {s.start + 1, 0};
    }
    core->FieldTextChanged(f);
  }
  void Type(const std::string& chars) {
    for (char c : chars) Type(static_cast<unsigned char>(c));
  }
  // Replaces the focused field's selection by pasted text (no character filter).
  void Paste(const std::string& text) {
    const int f = focused;
    texts[f].replace(sel[f].start, sel[f].length, text);
    sel[f] = {sel[f].start + static_cast<int>(text.size()), 0};
    core->FieldTextChanged(f);
  }
  void Focus(int f, int start, int length = 0) {
    focused = f;
    sel[f] = {start, length};
  }

  IPEditCore* core = nullptr;
  std::array<std::string, 4> texts;
  std::array<IPSelection, 4> sel{};
  int focused = -1;
  std::vector<std::string> events;
  bool error_seen_in_handler = false;
};

class IPEditCoreTest : public testing::Test {
 protected:
  IPEditCoreTest() : core(view) { view.core = &core; }

  void ExpectFocus(int field, int start, int length) {
    EXPECT_EQ(view.focused, field);
    EXPECT_EQ(view.sel[field].start, start);
    EXPECT_EQ(view.sel[field].length, length);
  }

  FakeFields view;
  IPEditCore core;
};

TEST_F(IPEditCoreTest, WritingTheAddressSetsValuesAndTextsQuietly) {
  EXPECT_EQ(core.IPString(), "0.0.0.0");
  view.Focus(2, 1);
  EXPECT_TRUE(core.SetIPString("010.168.0.254"));
  EXPECT_EQ(core.IPString(), "10.168.0.254");
  EXPECT_EQ(view.texts, (std::array<std::string, 4>{"10", "168", "0", "254"}));
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(view.focused, 2);  // even "168" and "254", three characters each, move nothing
  EXPECT_FALSE(core.Error());

  EXPECT_TRUE(core.SetIPString("300.1.2.3x"));
  EXPECT_EQ(core.IPString(), "255.1.2.255");
  EXPECT_TRUE(view.events.empty());

  EXPECT_FALSE(core.SetIPString("1.2.3"));
  EXPECT_FALSE(core.SetIPString(""));
  EXPECT_EQ(core.IPString(), "255.1.2.255");
  EXPECT_EQ(view.texts[3], "255");
}

TEST_F(IPEditCoreTest, ThreeDigitsMoveOnWithTheNextTextSelected) {
  core.SetIPString("0.12.0.0");
  view.Focus(0, 0, 1);  // the whole "0" selected
  view.Type("192");
  EXPECT_EQ(view.texts[0], "192");
  EXPECT_EQ(core.Value(0), 192);
  ExpectFocus(1, 0, 2);
  // Each accepted new value raised one change: 1, 19, 192.
  EXPECT_EQ(view.events, (std::vector<std::string>{"change", "change", "change"}));

  // A third digit typed with the caret elsewhere than the end stays put.
  view.Focus(2, 0, 1);
  view.Type("12");
  view.sel[2] = {1, 0};
  view.Type("5");
  EXPECT_EQ(view.texts[2], "152");
  ExpectFocus(2, 2, 0);

  // The last field has nowhere to go.
  view.Focus(3, 0, 1);
  view.Type("254");
  ExpectFocus(3, 3, 0);
  EXPECT_EQ(core.IPString(), "192.12.152.254");
}

TEST_F(IPEditCoreTest, DotMovesOnOnlyFromANonEmptyFieldWithoutSelection) {
  view.Focus(0, 0, 1);
  view.Type("19.");
  EXPECT_EQ(view.texts[0], "19");
  ExpectFocus(1, 0, 1);

  view.Type(".");  // "0" selected: nothing happens, nothing inserted
  ExpectFocus(1, 0, 1);
  EXPECT_EQ(view.texts[1], "0");

  view.Type(8);  // Backspace clears the selected text (and focus goes back, caret at 0)
  EXPECT_EQ(view.texts[1], "");
  view.Focus(1, 0);
  view.Type(".");  // empty field: nothing happens
  ExpectFocus(1, 0, 0);
  EXPECT_EQ(core.IPString(), "19.0.0.0");
}

TEST_F(IPEditCoreTest, OutOfRangeEntryIsRejectedAndReplacedBy255) {
  view.Focus(0, 0, 1);
  view.Type("25");
  EXPECT_EQ(core.Value(0), 25);
  view.events.clear();
  view.Type("6");
  EXPECT_EQ(view.events, (std::vector<std::string>{"error0", "change"}));
  EXPECT_TRUE(view.error_seen_in_handler);
  EXPECT_FALSE(core.Error());
  EXPECT_EQ(view.texts[0], "255");
  EXPECT_EQ(core.Value(0), 255);
  ExpectFocus(0, 0, 0);  // caret at the start, focus stays

  // Already 255: the replacement changes no value, so only the error is raised.
  view.events.clear();
  view.Focus(0, 3);
  view.Paste("");  // no-op change keeps 255
  view.texts[0] = "25";
  view.Focus(0, 2);
  view.Type("9");
  EXPECT_EQ(view.events, (std::vector<std::string>{"error0"}));

  // Pasted junk in a later field reports that field's position.
  view.events.clear();
  view.Focus(2, 0, 1);
  view.Paste("1x");
  EXPECT_EQ(view.events, (std::vector<std::string>{"error2", "change"}));
  EXPECT_EQ(view.texts[2], "255");
  ExpectFocus(2, 0, 0);
  view.Focus(1, 0, 1);
  view.Paste("-3");
  EXPECT_EQ(view.texts[1], "255");
  EXPECT_EQ(core.IPString(), "255.255.255.0");
}

TEST_F(IPEditCoreTest, EmptiedFieldKeepsItsLastValue) {
  core.SetIPString("1.2.3.4");
  view.Focus(1, 0, 1);
  view.Type(8);
  EXPECT_EQ(view.texts[1], "");
  EXPECT_EQ(core.IPString(), "1.2.3.4");
  EXPECT_TRUE(view.events.empty());
  view.Focus(1, 0);
  view.Type("7");
  EXPECT_EQ(core.IPString(), "1.7.3.4");
  // Retyping the stored value is no change.
  view.events.clear();
  view.Focus(2, 0, 1);
  view.Type("3");
  EXPECT_TRUE(view.events.empty());
}

TEST_F(IPEditCoreTest, BackspaceAtTheStartGoesBackCaretAtEnd) {
  core.SetIPString("192.168.0.1");
  view.Focus(1, 0);
  view.Type(8);
  ExpectFocus(0, 3, 0);
  EXPECT_EQ(view.texts[1], "168");  // nothing before the caret to delete
  view.Focus(0, 0);
  view.Type(8);
  ExpectFocus(0, 0, 0);
  // Backspace in the middle deletes normally and stays.
  view.Focus(1, 2);
  view.Type(8);
  EXPECT_EQ(view.texts[1], "18");
  ExpectFocus(1, 1, 0);
  // "end" is the text's length when shorter than 3.
  view.Focus(3, 0);
  view.Type(8);
  ExpectFocus(2, 1, 0);
}

TEST_F(IPEditCoreTest, ArrowsCrossFieldEndsAndAreSwallowedThere) {
  core.SetIPString("192.168.0.1");
  view.Focus(0, 3);
  EXPECT_EQ(core.FieldKeyDown(0, IPKey::kRight), IPInput::kSwallow);
  ExpectFocus(1, 0, 0);
  EXPECT_EQ(core.FieldKeyDown(1, IPKey::kRight), IPInput::kPass);  // inside the text
  EXPECT_EQ(core.FieldKeyDown(1, IPKey::kLeft), IPInput::kSwallow);
  ExpectFocus(0, 3, 0);
  view.sel[0] = {1, 0};
  EXPECT_EQ(core.FieldKeyDown(0, IPKey::kLeft), IPInput::kPass);
  EXPECT_EQ(core.FieldKeyDown(0, IPKey::kOther), IPInput::kPass);

  // A selection starting at 0 is cleared before the move; at the first field the arrow
  // is still swallowed and only the selection goes.
  view.Focus(0, 0, 3);
  EXPECT_EQ(core.FieldKeyDown(0, IPKey::kLeft), IPInput::kSwallow);
  ExpectFocus(0, 0, 0);
  view.Focus(3, 1);
  EXPECT_EQ(core.FieldKeyDown(3, IPKey::kRight), IPInput::kSwallow);
  ExpectFocus(3, 1, 0);
  // An empty field: the caret is at both ends.
  view.texts[2] = "";
  view.Focus(2, 0);
  EXPECT_EQ(core.FieldKeyDown(2, IPKey::kRight), IPInput::kSwallow);
  ExpectFocus(3, 0, 0);
}

TEST_F(IPEditCoreTest, OtherCharactersAreDiscarded) {
  view.Focus(0, 1);
  for (unsigned ch : {unsigned{'\r'}, unsigned{'a'}, unsigned{' '}, unsigned{'-'}, 0x16u, 0x03u,
                      0x4E2Du, 0x1Bu, unsigned{'\t'}}) {
    EXPECT_EQ(core.FieldChar(0, ch), IPInput::kSwallow) << ch;
  }
  EXPECT_EQ(core.FieldChar(0, '0'), IPInput::kPass);
  EXPECT_EQ(core.FieldChar(0, '9'), IPInput::kPass);
  ExpectFocus(0, 1, 0);
}

TEST_F(IPEditCoreTest, ReadOnlyFieldsStillMoveFocus) {
  core.SetIPString("1.2.3.4");
  core.SetReadOnly(true);
  view.Focus(0, 1);
  view.Type("9");
  EXPECT_EQ(view.texts[0], "1");
  view.Type(".");
  ExpectFocus(1, 0, 1);
  view.Focus(1, 0);
  view.Type(8);
  ExpectFocus(0, 1, 0);
  EXPECT_EQ(view.texts[1], "2");
  EXPECT_EQ(core.FieldKeyDown(0, IPKey::kRight), IPInput::kSwallow);
  ExpectFocus(1, 0, 0);
  EXPECT_EQ(core.IPString(), "1.2.3.4");
}

TEST_F(IPEditCoreTest, FocusComingFromOutsideLandsOnTheFirstField) {
  EXPECT_EQ(core.FocusTargetOnEntry(3, false), 0);
  EXPECT_EQ(core.FocusTargetOnEntry(3, true), 3);
  EXPECT_EQ(core.FocusTargetOnEntry(0, false), 0);

  view.focused = -1;
  EXPECT_EQ(core.FieldMouseDown(2), IPInput::kSwallow);
  EXPECT_EQ(view.focused, 0);
  EXPECT_EQ(core.FieldMouseDown(2), IPInput::kPass);  // inside now: clicks go where they land
  view.focused = -1;
  EXPECT_EQ(core.FieldMouseDown(0), IPInput::kPass);

  view.focused = -1;
  core.SurfaceMouseDown();
  EXPECT_EQ(view.focused, 0);
  view.focused = 2;
  core.SurfaceMouseDown();
  EXPECT_EQ(view.focused, 2);

  // No field focused: moves do nothing.
  view.focused = -1;
  core.MoveToNext(IPPlacement::kSelectAll);
  core.MoveToPrevious(IPPlacement::kCaretAtEnd);
  EXPECT_EQ(view.focused, -1);
}

}  // namespace
}  // namespace lr
