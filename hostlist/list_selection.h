// Keeps the list's one selected row on the same record while the list changes under it.
//
// The list control of the main window is virtual: it knows rows only by position, so a
// record inserted at the top would otherwise move the selection onto its neighbour. The
// tracker remembers the selected record's id and finds its new position after a change;
// the usual changes (rows inserted at the top or appended) cost O(1), anything else one
// search of the list.
#pragma once

#include <cstddef>
#include <optional>

#include "hostlist/host_list.h"

namespace lr {

class SelectionTracker {
 public:
  // The row at `pos` (< list.Count()) is now the selected one.
  void Select(const HostList& list, size_t pos);
  void Clear() { selected_.reset(); }

  // The selected record's position after the list changed, or nothing when no record is
  // selected or the selected record is gone (which clears the selection).
  std::optional<size_t> Follow(const HostList& list);

  std::optional<size_t> Position() const {
    return selected_ ? std::optional<size_t>(pos_) : std::nullopt;
  }

 private:
  std::optional<HostList::Id> selected_;
  size_t pos_ = 0;
  size_t count_ = 0;
};

}  // namespace lr
