// The batch name resolution.
#include "scanner/name_resolution.h"

#include <utility>
#include <vector>

#include "scanner/scan_texts.h"

namespace lr {

void ResolveAllNames(ScanView& view, const OnWindowThread& on_window,
                     const ReverseLookupFn& lookup) {
  std::vector<std::pair<HostList::Id, std::string>> targets;
  on_window([&] {
    const HostList& hosts = view.Hosts();
    targets.reserve(hosts.Count());
    for (size_t i = 0; i < hosts.Count(); ++i) targets.emplace_back(hosts.IdAt(i), hosts.At(i).ip);
  });
  for (const auto& [id, ip] : targets) {
    const std::string name = lookup(ip);
    on_window([&, id = id] {
      if (view.Hosts().SetFieldById(id, kFieldName, name)) view.HostsChanged();
    });
  }
  on_window([&] {
    if (targets.size() != view.Hosts().Count()) return;
    view.SetStatus(1, ResolveDoneText());
    view.SetButtonEnabled(ScanButton::kAdd, true);
    view.SetButtonEnabled(ScanButton::kEdit, false);
    view.SetButtonEnabled(ScanButton::kInstall, true);
  });
}

}  // namespace lr
