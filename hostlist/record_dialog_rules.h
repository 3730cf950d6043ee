// The rules of the record dialog, apart from its window: which mode a caption names, when
// OK in add mode appends a record and what that record holds, and what OK in edit mode
// writes into the selected record.
//
// The dialog decides its mode by comparing its caption byte for byte, so the captions
// here are the exact GBK texts the dialog shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hostlist/host_record.h"

namespace lr {

inline constexpr const char* kAddModeCaption = "手动添加记录";
inline constexpr const char* kAddModeGroupCaption = "手动添加记录";
inline constexpr const char* kEditModeCaption = "修改记录";
inline constexpr const char* kEditModeGroupCaption = "修改记录信息";
// What the address control holds when no address was entered.
inline constexpr const char* kNoAddress = "0.0.0.0";

enum class RecordDialogMode { kAdd, kEdit, kOther };

// Exact byte comparison, first with the add caption, then with the edit caption.
RecordDialogMode ModeFromCaption(std::string_view caption);

// The three inputs as the dialog reads them: the address control's dotted text and the
// two edits' texts, unchanged.
struct RecordInputs {
  std::string ip;
  std::string mac;
  std::string name;
  friend bool operator==(const RecordInputs&, const RecordInputs&) = default;
};

// The inputs of a dialog that is not showing: add mode, empty edits, no address.
RecordInputs EmptyRecordInputs();

// Add mode: the record to append, or nothing when the address is "0.0.0.0" or the MAC or
// the name is empty. The record carries the inputs as typed, workgroup "-", empty remark.
std::optional<HostRecord> RecordToAdd(const RecordInputs& in);

// Edit mode: the IP takes its input without any check, and so do the MAC and the computer
// name when the user changed them (`in` differs from `opened`, the inputs the dialog showed
// at first). A MAC or name left as it was keeps the record's bytes, also those the edits
// could not show (text that is not GBK, a name cut within a character). The workgroup and
// the remark stay.
void ApplyEdit(HostRecord& record, const RecordInputs& opened, const RecordInputs& in);

// The inputs that edit mode opens with for a record.
RecordInputs InputsFor(const HostRecord& record);

}  // namespace lr
