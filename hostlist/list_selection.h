// Keeps the list's selected row on the same record while the list changes under it. The
// administrator selects one row at a time; the program may select several at once (the rows
// the check before generating sent the administrator back to), the first of them leading.
//
// The list control of the main window is virtual: it knows rows only by position, so a
// record inserted at the top would otherwise move the selection onto its neighbour. The
// tracker remembers the selected record's id and finds its new position after a change;
// the usual changes (rows inserted at the top or appended) cost O(1), anything else one
// search of the list.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "hostlist/host_list.h"

namespace lr {

class SelectionTracker {
 public:
  // The row at `pos` (< list.Count()) is now the selected one.
  void Select(const HostList& list, size_t pos);
  void Clear() {
    selected_.reset();
    others_.clear();
  }
  // The records of `ids` still in the list are now the selected ones; the first leads.
  void SelectSeveral(const HostList& list, const std::vector<HostList::Id>& ids);

  // The selected record's position after the list changed, or nothing when no record is
  // selected or the selected record is gone (which clears the selection).
  std::optional<size_t> Follow(const HostList& list);
  // Every selected record's position after the list changed, the leading one first; the
  // records that are gone drop out.
  std::vector<size_t> FollowAll(const HostList& list);

  std::optional<size_t> Position() const {
    return selected_ ? std::optional<size_t>(pos_) : std::nullopt;
  }

 private:
  std::optional<HostList::Id> selected_;
  std::vector<HostList::Id> others_;
  size_t pos_ = 0;
  size_t count_ = 0;
};

}  // namespace lr
