#include "hostlist/record_dialog_rules.h"

#include <gtest/gtest.h>

namespace lr {
namespace {

TEST(RecordDialogRules, ModeIsTheExactCaption) {
  // GBK bytes of the two captions: a build that lost the narrow-literal charset fails here.
  EXPECT_EQ(std::string(kAddModeCaption), "\xCA\xD6\xB6\xAF\xCC\xED\xBC\xD3\xBC\xC7\xC2\xBC");
  EXPECT_EQ(std::string(kEditModeCaption), "\xD0\xDE\xB8\xC4\xBC\xC7\xC2\xBC");
  EXPECT_EQ(ModeFromCaption(kAddModeCaption), RecordDialogMode::kAdd);
  EXPECT_EQ(ModeFromCaption(kEditModeCaption), RecordDialogMode::kEdit);
  // The group box caption of edit mode, a caption with a trailing space, and a prefix are
  // neither mode.
  EXPECT_EQ(ModeFromCaption(kEditModeGroupCaption), RecordDialogMode::kOther);
  EXPECT_EQ(ModeFromCaption(std::string(kEditModeCaption) + " "), RecordDialogMode::kOther);
  EXPECT_EQ(ModeFromCaption(std::string(kAddModeCaption).substr(0, 4)), RecordDialogMode::kOther);
  EXPECT_EQ(ModeFromCaption(""), RecordDialogMode::kOther);
}

TEST(RecordDialogRules, AddRefusesNoAddressOrAnEmptyField) {
  EXPECT_FALSE(RecordToAdd({"0.0.0.0", "00-11-22-33-44-55", "PC1"}));
  EXPECT_FALSE(RecordToAdd({"10.0.0.1", "", "PC1"}));
  EXPECT_FALSE(RecordToAdd({"10.0.0.1", "00-11", ""}));
  EXPECT_FALSE(RecordToAdd(EmptyRecordInputs()));
  // Only the exact text "0.0.0.0" means no address.
  EXPECT_TRUE(RecordToAdd({"0.0.0.00", "m", "n"}));
}

TEST(RecordDialogRules, AddTakesTheInputsAsTyped) {
  auto r = RecordToAdd({"192.168.0.5", " aa-bb cc ", "pc 5 "});
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, (HostRecord{"192.168.0.5", " aa-bb cc ", "-", "pc 5 ", ""}));
  auto gbk = RecordToAdd({"1.2.3.4", "m", "计算机"});
  ASSERT_TRUE(gbk);
  EXPECT_EQ(gbk->name, "计算机");
}

TEST(RecordDialogRules, EditWritesWithoutCheckAndKeepsWorkgroupAndRemark) {
  HostRecord r{"10.0.0.1", "00.11.22.33.44.55", "WORKGROUP      ", "PC1", "note"};
  EXPECT_EQ(InputsFor(r), (RecordInputs{"10.0.0.1", "00.11.22.33.44.55", "PC1"}));
  const RecordInputs opened = InputsFor(r);
  ApplyEdit(r, opened, {"0.0.0.0", "", ""});
  EXPECT_EQ(r, (HostRecord{"0.0.0.0", "", "WORKGROUP      ", "", "note"}));
  // What the edits could not show (here as "?") and the user left stays as it was.
  HostRecord cut{"10.0.0.2", "\xFF\xFE", "-", "PC\xB5", ""};
  ApplyEdit(cut, {"10.0.0.2", "?", "PC?"}, {"10.0.0.3", "?", "PC1"});
  EXPECT_EQ(cut, (HostRecord{"10.0.0.3", "\xFF\xFE", "-", "PC1", ""}));
}

TEST(RecordDialogRules, AClosedDialogHoldsNoAddressAndEmptyEdits) {
  EXPECT_EQ(EmptyRecordInputs(), (RecordInputs{"0.0.0.0", "", ""}));
}

}  // namespace
}  // namespace lr
