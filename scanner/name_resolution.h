// The batch name resolution: the computer name of every record replaced by the reverse
// lookup of its address. The lookups run on a worker thread; every read and write of the
// list and the view is handed to the window thread through `on_window`, which runs the
// step there and returns when it is done.
//
// Each result goes into the record whose address was looked up (found again by its id), so
// records deleted, inserted or sorted meanwhile are safe; a result for a record that is
// gone is dropped. The end test compares the number of records handled with the list's
// count at the end, as before.
#pragma once

#include <functional>
#include <string>

#include "scanner/scan_view.h"

namespace lr {

using OnWindowThread = std::function<void(const std::function<void()>& step)>;
using ReverseLookupFn = std::function<std::string(const std::string& ip)>;

void ResolveAllNames(ScanView& view, const OnWindowThread& on_window,
                     const ReverseLookupFn& lookup);

}  // namespace lr
