#include "hostlist/list_selection.h"

namespace lr {

void SelectionTracker::Select(const HostList& list, size_t pos) {
  others_.clear();
  selected_ = list.IdAt(pos);
  pos_ = pos;
  count_ = list.Count();
}

void SelectionTracker::SelectSeveral(const HostList& list, const std::vector<HostList::Id>& ids) {
  Clear();
  for (HostList::Id id : ids) {
    const size_t pos = list.PositionOf(id);
    if (pos >= list.Count()) continue;
    if (!selected_)
      Select(list, pos);
    else
      others_.push_back(id);
  }
}

std::vector<size_t> SelectionTracker::FollowAll(const HostList& list) {
  std::vector<size_t> out;
  std::optional<size_t> lead = Follow(list);
  while (!lead && !others_.empty()) {  // the leader is gone: the next one leads
    const HostList::Id id = others_.front();
    others_.erase(others_.begin());
    const size_t pos = list.PositionOf(id);
    if (pos < list.Count()) {
      selected_ = id;
      pos_ = pos;
      count_ = list.Count();
      lead = pos;
    }
  }
  if (!lead) return out;
  out.push_back(*lead);
  std::erase_if(others_, [&](HostList::Id id) {
    const size_t pos = list.PositionOf(id);
    if (pos >= list.Count()) return true;
    out.push_back(pos);
    return false;
  });
  return out;
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
