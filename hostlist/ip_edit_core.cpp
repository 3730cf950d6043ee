// The address control's behaviour: change rule, typed characters, keys, focus moves.
#include "hostlist/ip_edit_core.h"

#include <algorithm>

namespace lr {

namespace {
constexpr unsigned kBackspace = 8;
}  // namespace

bool IPEditCore::Error() const {
  return std::any_of(errors_.begin(), errors_.end(), [](bool e) { return e; });
}

std::string IPEditCore::IPString() const {
  return FormatIPString(values_);
}

bool IPEditCore::SetIPString(std::string_view text) {
  const std::optional<IPOctets> octets = ParseIPString(text);
  if (!octets) return false;
  for (int k = 0; k < kIPFieldCount; ++k) {
    // The value goes in before the text, so the change rule finds nothing new.
    values_[k] = (*octets)[k];
    view_.SetFieldText(k, std::to_string((*octets)[k]));
    FieldTextChanged(k);
  }
  return true;
}

void IPEditCore::FieldTextChanged(int field) {
  const std::string text = view_.FieldText(field);
  if (!text.empty()) {
    const std::optional<std::uint8_t> octet = OctetFromText(text);
    if (!octet) {
      errors_[field] = true;
      view_.Rejected(field);
      view_.SetFieldText(field, "255");
      // The replacement is a change like any other: it clears the flag, stores 255 and may
      // raise OnChange. Its caret stands at the start, so nothing further moves.
      FieldTextChanged(field);
      return;
    }
    errors_[field] = false;
    if (*octet != values_[field]) {
      values_[field] = *octet;
      view_.Changed();
    }
  }
  if (!errors_[field] && static_cast<int>(text.size()) == kIPFieldMaxChars &&
      view_.FieldSelection(field).start == kIPFieldMaxChars) {
    MoveToNext(IPPlacement::kSelectAll);
  }
}

IPInput IPEditCore::FieldChar(int field, unsigned ch) {
  if (ch >= '0' && ch <= '9') return read_only_ ? IPInput::kSwallow : IPInput::kPass;
  if (ch == '.') {
    if (view_.FieldSelection(field).length == 0 && !view_.FieldText(field).empty()) {
      MoveToNext(IPPlacement::kSelectAll);
    }
    return IPInput::kSwallow;
  }
  if (ch == kBackspace) {
    if (view_.FieldSelection(field).start == 0) MoveToPrevious(IPPlacement::kCaretAtEnd);
    return read_only_ ? IPInput::kSwallow : IPInput::kPass;
  }
  return IPInput::kSwallow;
}

IPInput IPEditCore::FieldKeyDown(int field, IPKey key) {
  const IPSelection sel = view_.FieldSelection(field);
  if (key == IPKey::kRight && sel.start >= static_cast<int>(view_.FieldText(field).size())) {
    view_.SetFieldSelection(field, sel.start, 0);
    MoveToNext(IPPlacement::kCaretAtStart);
    return IPInput::kSwallow;
  }
  if (key == IPKey::kLeft && sel.start == 0) {
    view_.SetFieldSelection(field, 0, 0);
    MoveToPrevious(IPPlacement::kCaretAtEnd);
    return IPInput::kSwallow;
  }
  return IPInput::kPass;
}

IPInput IPEditCore::FieldMouseDown(int field) {
  if (view_.FocusedField() >= 0 || field == 0) return IPInput::kPass;
  view_.FocusField(0);
  return IPInput::kSwallow;
}

void IPEditCore::SurfaceMouseDown() {
  if (view_.FocusedField() < 0) view_.FocusField(0);
}

int IPEditCore::FocusTargetOnEntry(int field, bool from_own_field) const {
  return from_own_field ? field : 0;
}

void IPEditCore::MoveToNext(IPPlacement placement) {
  const int focused = view_.FocusedField();
  if (focused < 0 || focused + 1 >= kIPFieldCount) return;
  MoveTo(focused + 1, placement);
}

void IPEditCore::MoveToPrevious(IPPlacement placement) {
  const int focused = view_.FocusedField();
  if (focused <= 0) return;
  MoveTo(focused - 1, placement);
}

void IPEditCore::MoveTo(int target, IPPlacement placement) {
  view_.FocusField(target);
  const int length = static_cast<int>(view_.FieldText(target).size());
  switch (placement) {
    case IPPlacement::kSelectAll:
      view_.SetFieldSelection(target, 0, length);
      break;
    case IPPlacement::kCaretAtStart:
      view_.SetFieldSelection(target, 0, 0);
      break;
    case IPPlacement::kCaretAtEnd:
      view_.SetFieldSelection(target, std::min(kIPFieldMaxChars, length), 0);
      break;
  }
}

}  // namespace lr
