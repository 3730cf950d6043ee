#include "hostlist/record_dialog_rules.h"

namespace lr {

RecordDialogMode ModeFromCaption(std::string_view caption) {
  if (caption == kAddModeCaption) return RecordDialogMode::kAdd;
  if (caption == kEditModeCaption) return RecordDialogMode::kEdit;
  return RecordDialogMode::kOther;
}

RecordInputs EmptyRecordInputs() {
  return RecordInputs{kNoAddress, "", ""};
}

std::optional<HostRecord> RecordToAdd(const RecordInputs& in) {
  if (in.ip == kNoAddress) return std::nullopt;
  if (in.mac.empty() || in.name.empty()) return std::nullopt;
  return HostRecord{in.ip, in.mac, kUnknownField, in.name, ""};
}

void ApplyEdit(HostRecord& record, const RecordInputs& opened, const RecordInputs& in) {
  record.ip = in.ip;
  if (in.mac != opened.mac) record.mac = in.mac;
  if (in.name != opened.name) record.name = in.name;
}

RecordInputs InputsFor(const HostRecord& record) {
  return RecordInputs{record.ip, record.mac, record.name};
}

}  // namespace lr
