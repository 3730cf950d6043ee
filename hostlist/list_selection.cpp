#include "hostlist/list_selection.h"

namespace lr {

void SelectionTracker::Select(const HostList& list, size_t pos) {
  selected_ = list.IdAt(pos);
  pos_ = pos;
  count_ = list.Count();
}

std::optional<size_t> SelectionTracker::Follow(const HostList& list) {
  if (!selected_) return std::nullopt;
  const size_t count = list.Count();
  size_t found = count;
  if (pos_ < count && list.IdAt(pos_) == *selected_) {
    found = pos_;  // appended, or edited in place
  } else if (count > count_ && pos_ + (count - count_) < count &&
             list.IdAt(pos_ + (count - count_)) == *selected_) {
    found = pos_ + (count - count_);  // inserted at the top
  } else {
    found = list.PositionOf(*selected_);
  }
  if (found >= count) {
    selected_.reset();
    return std::nullopt;
  }
  pos_ = found;
  count_ = count;
  return found;
}

}  // namespace lr
