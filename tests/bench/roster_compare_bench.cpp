// A scan of 10,000 PCs held against a roster of 10,000: the comparison, a sort of its rows
// by address, and the merge.
#include <benchmark/benchmark.h>

#include <numeric>

#include "base/format.h"
#include "hostlist/roster_compare.h"

namespace {

struct Lists {
  std::vector<lr::HostRecord> roster, scan;
};

// The scan as NetBIOS writes it (dotted MACs, padded names); one PC in ten differs from the
// roster in its address, its name or its adapter, or is missing from one side.
Lists MakeLists(int n) {
  Lists lists;
  for (int i = 0; i < n; ++i) {
    const auto mac = [&](int b) {
      return lr::StrFormat("00%c0C%c29%c%02X%c%02X%c%02X", b, b, b, (i >> 16) & 0xFF, b,
                           (i >> 8) & 0xFF, b, i & 0xFF);
    };
    const std::string ip = lr::DottedQuad(static_cast<std::uint32_t>(0x0A000000u + i));
    lists.roster.push_back({ip, mac('-'), "-", lr::StrFormat("PC%05d", i), ""});
    lr::HostRecord got{ip, mac('.'), "WORKGROUP      ", lr::StrFormat("PC%05d          ", i), ""};
    switch (i % 50) {
      case 1:
        got.ip = "10.255.255.1";  // still the master's address
        break;
      case 2:
        got.mac[1] = 'F';  // a new adapter
        break;
      case 3:
        continue;  // switched off
      case 4:
        lists.roster.pop_back();  // not in the roster
        break;
    }
    lists.scan.push_back(got);
  }
  return lists;
}

void BM_CompareWithRoster(benchmark::State& state) {
  const Lists lists = MakeLists(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const lr::RosterComparison c = lr::CompareWithRoster(lists.roster, lists.scan);
    benchmark::DoNotOptimize(c.rows.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompareWithRoster)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SortRosterRowsByAddress(benchmark::State& state) {
  const Lists lists = MakeLists(static_cast<int>(state.range(0)));
  const lr::RosterComparison c = lr::CompareWithRoster(lists.roster, lists.scan);
  for (auto _ : state) {
    std::vector<size_t> order(c.rows.size());
    std::iota(order.rbegin(), order.rend(), size_t{0});
    lr::SortRosterRows(order, lr::kRosterColScanIp, true, c, lists.roster, lists.scan);
    benchmark::DoNotOptimize(order.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortRosterRowsByAddress)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_MergeRoster(benchmark::State& state) {
  const Lists lists = MakeLists(static_cast<int>(state.range(0)));
  const lr::RosterComparison c = lr::CompareWithRoster(lists.roster, lists.scan);
  for (auto _ : state) benchmark::DoNotOptimize(lr::MergeRoster(c, lists.roster, lists.scan));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MergeRoster)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
