#include "hostlist/host_list.h"

#include <algorithm>

namespace lr {

std::unique_ptr<HostList::Cell> HostList::MakeCell(HostRecord record) {
  auto cell = std::make_unique<Cell>(Cell{next_id_++, std::move(record)});
  by_id_.emplace(cell->id, cell.get());
  return cell;
}

HostList::Id HostList::Append(HostRecord record) {
  cells_.push_back(MakeCell(std::move(record)));
  return cells_.back()->id;
}

HostList::Id HostList::InsertTop(HostRecord record) {
  cells_.push_front(MakeCell(std::move(record)));
  return cells_.front()->id;
}

void HostList::Replace(size_t pos, HostRecord record) {
  cells_[pos]->record = std::move(record);
}

void HostList::SetField(size_t pos, int field, std::string text) {
  cells_[pos]->record.Field(field) = std::move(text);
}

void HostList::RemoveAt(size_t pos) {
  by_id_.erase(cells_[pos]->id);
  cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(pos));
}

void HostList::Clear() {
  cells_.clear();
  by_id_.clear();
}

void HostList::Sort(const Compare& compare) {
  std::stable_sort(cells_.begin(), cells_.end(),
                   [&](const std::unique_ptr<Cell>& a, const std::unique_ptr<Cell>& b) {
                     return compare(a->record, b->record) < 0;
                   });
}

const HostRecord* HostList::Find(Id id) const {
  auto it = by_id_.find(id);
  return it == by_id_.end() ? nullptr : &it->second->record;
}

bool HostList::SetFieldById(Id id, int field, std::string text) {
  auto it = by_id_.find(id);
  if (it == by_id_.end()) return false;
  it->second->record.Field(field) = std::move(text);
  return true;
}

size_t HostList::PositionOf(Id id) const {
  for (size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i]->id == id) return i;
  return cells_.size();
}

}  // namespace lr
