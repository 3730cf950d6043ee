// The behaviour of the four-field address control, apart from any window: each field's stored
// value and error flag, the change rule that runs after every text change, what typed
// characters and pressed keys do, where focus goes and where the caret or selection lands,
// and reading and writing the whole address.
//
// The texts, selections and focus live in the four edit fields on screen; the core reaches
// them through IPFieldsView, which the window code implements and tests fake. The window
// code asks the core about every character, key and click and does what it answers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "hostlist/ip_edit_text.h"

namespace lr {

inline constexpr int kIPFieldCount = 4;
inline constexpr int kIPFieldMaxChars = 3;

// A field's selection: its lower end and its length in characters; length 0 is a caret.
struct IPSelection {
  int start = 0;
  int length = 0;
};

// What the core needs of the fields on screen. Field positions are 0 (first octet) to 3.
class IPFieldsView {
 public:
  virtual ~IPFieldsView() = default;

  virtual std::string FieldText(int field) const = 0;
  // Replaces the text; afterwards the caret stands at the field's start. It must not run
  // the change rule by itself: the core runs it.
  virtual void SetFieldText(int field, const std::string& text) = 0;
  virtual IPSelection FieldSelection(int field) const = 0;
  virtual void SetFieldSelection(int field, int start, int length) = 0;

  // The field that holds the keyboard focus, or -1 when focus is outside the fields.
  virtual int FocusedField() const = 0;
  virtual void FocusField(int field) = 0;

  // A field accepted a new value (OnChange) / rejected an entry (OnError).
  virtual void Changed() = 0;
  virtual void Rejected(int field) = 0;
};

// Whether the edit field gets to handle a character, key or click itself.
enum class IPInput { kPass, kSwallow };

enum class IPKey { kLeft, kRight, kOther };

// Where a focus move leaves its target field.
enum class IPPlacement { kSelectAll, kCaretAtStart, kCaretAtEnd };

class IPEditCore {
 public:
  explicit IPEditCore(IPFieldsView& view) : view_(view) {}
  IPEditCore(const IPEditCore&) = delete;
  IPEditCore& operator=(const IPEditCore&) = delete;

  std::uint8_t Value(int field) const { return values_[field]; }
  bool FieldError(int field) const { return errors_[field]; }
  // True while any field is rejecting an entry.
  bool Error() const;

  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }

  // The four stored values as dotted text (an emptied field gives its last value).
  std::string IPString() const;
  // Sets every field from `text`, or none when the text has fewer than four parts (returns
  // false then). Raises no event and moves no focus.
  bool SetIPString(std::string_view text);

  // The change rule; the window code calls it after every change of a field's text that
  // the core did not make itself (typing, paste, cut, undo, a text set from outside).
  void FieldTextChanged(int field);

  // A character typed in `field` (a UTF-16 code unit): kPass lets the edit insert it.
  IPInput FieldChar(int field, unsigned ch);
  // A key pressed in `field`: kSwallow means the key goes no further.
  IPInput FieldKeyDown(int field, IPKey key);
  // A left click on `field`. Focus coming in from outside by a click always lands on the
  // first field; a click on another field then goes no further.
  IPInput FieldMouseDown(int field);
  // A left click on the control's surface between or around the fields.
  void SurfaceMouseDown();
  // Which field should keep the focus that `field` just received: itself when the focus came
  // from another field of this control, the first field when it came from outside.
  int FocusTargetOnEntry(int field, bool from_own_field) const;

  // Focus moves relative to the focused field; nothing moves past either end or when no
  // field has focus.
  void MoveToNext(IPPlacement placement);
  void MoveToPrevious(IPPlacement placement);

 private:
  void MoveTo(int target, IPPlacement placement);

  IPFieldsView& view_;
  IPOctets values_{};
  std::array<bool, kIPFieldCount> errors_{};
  bool read_only_ = false;
};

}  // namespace lr
