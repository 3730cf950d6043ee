// The comparison that sorts the host list by a clicked column.
#pragma once

#include "hostlist/host_record.h"

namespace lr {

// Compares the field of `column` (0 IP address ... 4 remark) of both records, ignoring the
// case of a-z and comparing every other byte by value (addresses sort as text). Negative
// puts `a` first. A column outside 0..4 compares as equal.
int CompareRecords(const HostRecord& a, const HostRecord& b, int column);

}  // namespace lr
