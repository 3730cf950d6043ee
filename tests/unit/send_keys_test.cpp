// The keystroke sender over a fake keyboard: the exact key events of each piece of syntax,
// held modifiers, Num Lock, the messages and the conversion failure.
#include "clientprep/send_keys.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/unit/send_keys_fake.h"

namespace lr::clientprep {
namespace {

using ::testing::ElementsAre;
using testing::FakeKeyboard;
using ::testing::IsEmpty;

struct Sent {
  bool result;
  std::vector<std::string> events;
  std::vector<std::string> messages;
};

Sent Send(std::string_view text, bool wait = false) {
  FakeKeyboard kb;
  const bool result = SendKeys(text, wait, kb);
  EXPECT_EQ(kb.bad_scans, 0) << "a scan code that is not MapVirtualKey's low byte";
  std::vector<std::string> events;
  for (const std::string& line : kb.own_log)
    if (line.rfind("box ", 0) != 0) events.push_back(line);
  return {result, events, kb.messages};
}

TEST(SendKeysTest, EmptyTextSendsNothingAndFails) {
  const Sent s = Send("");
  EXPECT_FALSE(s.result);
  EXPECT_THAT(s.events, IsEmpty());
  // The text ends at its first NUL byte.
  EXPECT_FALSE(Send(std::string_view("\0ab", 3)).result);
  EXPECT_THAT(Send(std::string_view("a\0b", 3)).events, ElementsAre("D41", "U41"));
}

TEST(SendKeysTest, PlainCharactersUseTheLayoutsShiftState) {
  const Sent s = Send("aB3!");
  EXPECT_TRUE(s.result);
  EXPECT_THAT(s.events, ElementsAre("D41", "U41", "D10", "D42", "U42", "U10", "D33", "U33", "D10",
                                    "D31", "U31", "U10"));
  // A layout answer asking for Ctrl and Alt presses both around the key, in order.
  EXPECT_THAT(Send("\x01").events, ElementsAre("D11", "D12", "D41", "U41", "U11", "U12"));
}

TEST(SendKeysTest, HeldModifiersApplyToTheNextKeyOrTheWholeGroup) {
  EXPECT_THAT(Send("+abc").events,
              ElementsAre("D10", "D41", "U41", "U10", "D42", "U42", "D43", "U43"));
  EXPECT_THAT(Send("+(abc)d").events,
              ElementsAre("D10", "D41", "U41", "D42", "U42", "D43", "U43", "U10", "D44", "U44"));
  EXPECT_THAT(Send("^c").events, ElementsAre("D11", "D43", "U43", "U11"));
  // Released in the order Shift, Ctrl, Alt whatever order they were pressed in.
  EXPECT_THAT(Send("%^+x").events,
              ElementsAre("D12", "D11", "D10", "D58", "U58", "U10", "U11", "U12"));
  // The password a+b: a lower-case a, then Shift held around a capital B.
  EXPECT_THAT(Send("a+b").events, ElementsAre("D41", "U41", "D10", "D42", "U42", "U10"));
  // "~" is Enter and releases what was held.
  EXPECT_THAT(Send("^~").events, ElementsAre("D11", "D0D", "U0D", "U11"));
}

TEST(SendKeysTest, NamedKeysInBraces) {
  EXPECT_THAT(Send("{F3}").events, ElementsAre("D72", "U72"));
  EXPECT_THAT(Send("{f3}{Enter}{enter}").events,
              ElementsAre("D72", "U72", "D0D", "U0D", "D0D", "U0D"));
  EXPECT_THAT(Send("{BKSP}{BS}{BACKSPACE}").events,
              ElementsAre("D08", "U08", "D08", "U08", "D08", "U08"));
  EXPECT_THAT(Send("{F13}{F16}{SCROLLLOCK}{BREAK}").events,
              ElementsAre("D7C", "U7C", "D7F", "U7F", "D91", "U91", "D03", "U03"));
  // The keys of the extended-key set carry its flag on both events.
  EXPECT_THAT(Send("{HOME}{left}{DEL}{INS}{PGUP}{PGDN}{END}{UP}{DOWN}{RIGHT}{TAB}").events,
              ElementsAre("D24*", "U24*", "D25*", "U25*", "D2E*", "U2E*", "D2D*", "U2D*", "D21*",
                          "U21*", "D22*", "U22*", "D23*", "U23*", "D26*", "U26*", "D28*", "U28*",
                          "D27*", "U27*", "D09", "U09"));
  EXPECT_THAT(Send("+{F3}").events, ElementsAre("D10", "D72", "U72", "U10"));
  EXPECT_EQ(LookupKeyName("ESCAPE"), 0x1B);
  EXPECT_EQ(LookupKeyName("PRTSC"), 0x2A);
  EXPECT_EQ(LookupKeyName("F17"), 0);
}

TEST(SendKeysTest, RepeatCounts) {
  EXPECT_THAT(Send("{F3 3}").events, ElementsAre("D72", "U72", "D72", "U72", "D72", "U72"));
  EXPECT_THAT(Send("{F3 0}").events, IsEmpty());
  // A count of 0 sends no modifier either, and still releases the held ones.
  EXPECT_THAT(Send("+{a 0}b").events, ElementsAre("D10", "U10", "D42", "U42"));
  // A single character in braces is upper-cased first: {a} types a capital A.
  EXPECT_THAT(Send("{a 2}").events, ElementsAre("D10", "D41", "U41", "D41", "U41", "U10"));
  // Counts are reduced to 16 bits.
  EXPECT_THAT(Send("{TAB 65537}").events, ElementsAre("D09", "U09"));
  FakeKeyboard kb;
  SendKeys("{TAB -1}", false, kb);
  EXPECT_EQ(kb.events, 2 * 65535);
  // Only the first 20 characters of a name count: the final 2 is dropped, leaving 0.
  EXPECT_THAT(Send("{TAB 00000000000000002}").events, IsEmpty());
}

TEST(SendKeysTest, BracesTypeThemselves) {
  EXPECT_THAT(Send("{{}").events, ElementsAre("D10", "DDB", "UDB", "U10"));
  EXPECT_THAT(Send("{}}").events, ElementsAre("D10", "DDD", "UDD", "U10"));
  // A named group directly followed by "}" types the brace and not its key.
  EXPECT_THAT(Send("{ENTER}}a").events, ElementsAre("D10", "DDD", "UDD", "U10", "D41", "U41"));
  // "{{" at the very end types the brace and stops at the end of the text.
  EXPECT_THAT(Send("a{{").events, ElementsAre("D41", "U41", "D10", "DDB", "UDB", "U10"));
}

TEST(SendKeysTest, InvalidKeysAreReportedAndSkipped) {
  Sent s = Send(
      "a\xA3"
      "b");
  EXPECT_TRUE(s.result);
  EXPECT_THAT(s.messages, ElementsAre("Invalid KeyName"));
  EXPECT_THAT(s.events, ElementsAre("D41", "U41", "D42", "U42"));

  s = Send("{NOPE}a{}b");
  EXPECT_TRUE(s.result);
  EXPECT_THAT(s.messages, ElementsAre("Invalid Key Name", "Invalid Key Name"));
  EXPECT_THAT(s.events, ElementsAre("D41", "U41", "D42", "U42"));

  // A single character in braces that the layout lacks is skipped without a message.
  s = Send("{\xA3}a");
  EXPECT_THAT(s.messages, IsEmpty());
  EXPECT_THAT(s.events, ElementsAre("D41", "U41"));
}

TEST(SendKeysTest, UnclosedBraceStopsWithNoCloseAndReleasesModifiers) {
  Sent s = Send("x{ENTER");
  EXPECT_FALSE(s.result);
  EXPECT_THAT(s.messages, ElementsAre("No Close"));
  EXPECT_THAT(s.events, ElementsAre("D58", "U58"));
  // A held Shift is not left down on the machine.
  s = Send("+{ENTER");
  EXPECT_FALSE(s.result);
  EXPECT_THAT(s.events, ElementsAre("D10", "U10"));
  EXPECT_FALSE(Send("{").result);
}

TEST(SendKeysTest, GroupOpenAtTheEndStillReleasesModifiers) {
  EXPECT_THAT(Send("(+ab").events, ElementsAre("D10", "D41", "U41", "D42", "U42", "U10"));
}

TEST(SendKeysTest, BadRepeatCountIsAConversionFailure) {
  for (const char* text : {"{F3 x}", "{F3 }", "{F3 1 2}", "{F3 99999999999}", "{F3 +-1}"}) {
    FakeKeyboard kb;
    EXPECT_THROW(SendKeys(text, false, kb), EConvertError) << text;
  }
  FakeKeyboard kb;
  try {
    SendKeys("^a{f3 2x}b", false, kb);
    FAIL() << "no conversion failure";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'2X' is not a valid integer value");
  }
  // What was typed stays typed; the held Ctrl is released; nothing after the group.
  EXPECT_THAT(kb.own_log, ElementsAre("D11", "D41", "U41", "U11"));
  FakeKeyboard kb2;
  EXPECT_THROW(SendKeys("+({F1 z}", false, kb2), EConvertError);
  EXPECT_THAT(kb2.own_log, ElementsAre("D10", "U10"));
}

TEST(SendKeysTest, NumLockFlipsTheKeyStateWithoutEvents) {
  FakeKeyboard kb;
  kb.state[0x41] = 0x80;
  EXPECT_TRUE(SendKeys("{NUMLOCK}", false, kb));
  EXPECT_THAT(kb.own_log, ElementsAre("state"));
  EXPECT_EQ(kb.state[0x90] & 1, 1);
  EXPECT_EQ(kb.state[0x41], 0x80);  // the rest of the state is written back unchanged
  EXPECT_TRUE(SendKeys("{numlock 5}", false, kb));
  EXPECT_EQ(kb.state[0x90] & 1, 0);
  EXPECT_EQ(kb.events, 0);
}

TEST(SendKeysTest, WaitPumpsAfterEveryEventOnlyWhenAsked) {
  FakeKeyboard kb;
  SendKeys("+a{F3 2}", true, kb);
  EXPECT_EQ(kb.events, 8);
  EXPECT_EQ(kb.pumps, 8);
  FakeKeyboard quiet;
  SendKeys("+a{F3 2}", false, quiet);
  EXPECT_EQ(quiet.pumps, 0);
}

}  // namespace
}  // namespace lr::clientprep
