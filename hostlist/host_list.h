// The host list: the ordered sequence of host records that the main window shows as a
// virtual list.
//
// Records live in a deque of stable heap cells, so inserting at the top, appending and
// reading by position are O(1), and a sort moves pointers, not strings. Every record also
// carries an id that stays with it through inserts, removals and sorts; a worker that read
// a record can write its result back into that same record (or learn that it is gone)
// without trusting a position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>

#include "hostlist/host_record.h"

namespace lr {

class HostList {
 public:
  using Id = std::uint64_t;
  // Strict weak order, or a three-way comparison returning <0, 0, >0.
  using Compare = std::function<int(const HostRecord&, const HostRecord&)>;

  size_t Count() const { return cells_.size(); }
  bool Empty() const { return cells_.empty(); }

  Id Append(HostRecord record);
  Id InsertTop(HostRecord record);

  // Reading and writing by position; `pos` must be < Count().
  const HostRecord& At(size_t pos) const { return cells_[pos]->record; }
  Id IdAt(size_t pos) const { return cells_[pos]->id; }
  void Replace(size_t pos, HostRecord record);
  void SetField(size_t pos, int field, std::string text);
  void RemoveAt(size_t pos);
  void Clear();

  // Ascending sort of the whole list with a three-way comparison; records that compare
  // equal keep their relative order.
  void Sort(const Compare& compare);

  // By id: nullptr when the record has been removed since.
  const HostRecord* Find(Id id) const;
  bool SetFieldById(Id id, int field, std::string text);
  // Position of the record with this id, or Count() when it is gone. O(n).
  size_t PositionOf(Id id) const;

 private:
  struct Cell {
    Id id;
    HostRecord record;
  };
  std::unique_ptr<Cell> MakeCell(HostRecord record);

  std::deque<std::unique_ptr<Cell>> cells_;
  std::unordered_map<Id, Cell*> by_id_;
  Id next_id_ = 1;
};

}  // namespace lr
