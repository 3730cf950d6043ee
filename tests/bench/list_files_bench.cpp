// Export and import of a large host list through real files.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "base/format.h"
#include "hostlist/list_files.h"

namespace {

lr::HostList MakeList(int n) {
  lr::HostList list;
  for (int i = 0; i < n; ++i) {
    list.Append(lr::HostRecord{
        lr::DottedQuad(static_cast<std::uint32_t>(0xC0A80000u + i)),
        lr::StrFormat("00-0C-29-%02X-%02X-%02X", (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF),
        "WORKGROUP      ", lr::StrFormat("PC%05d        ", i), ""});
  }
  return list;
}

std::filesystem::path BenchFile(const char* name) {
  return std::filesystem::temp_directory_path() / name;
}

void BM_Export(benchmark::State& state) {
  const lr::HostList list = MakeList(static_cast<int>(state.range(0)));
  const auto path = BenchFile("lr-bench-export.txt");
  for (auto _ : state) {
    auto r = lr::WriteListFile(path, list, lr::ListLayout::kExport);
    if (!r.status) state.SkipWithError(r.status.reason.c_str());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove(path);
}
BENCHMARK(BM_Export)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Import(benchmark::State& state) {
  const auto path = BenchFile("lr-bench-import.txt");
  lr::WriteListFile(path, MakeList(static_cast<int>(state.range(0))), lr::ListLayout::kExport);
  for (auto _ : state) {
    lr::HostList list;
    auto s = lr::ImportListFile(path, list);
    if (!s || list.Count() != static_cast<size_t>(state.range(0))) state.SkipWithError("import");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove(path);
}
BENCHMARK(BM_Import)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same list written as CSV and read back.
void BM_ReadCsv(benchmark::State& state) {
  const auto path = BenchFile("lr-bench-import.csv");
  lr::WriteListFile(path, MakeList(static_cast<int>(state.range(0))), lr::ListLayout::kCsv);
  for (auto _ : state) {
    lr::ListFileContents contents;
    auto s = lr::ReadListFile(path, lr::ListFileKind::kCsv, contents);
    if (!s || contents.records.size() != static_cast<size_t>(state.range(0)))
      state.SkipWithError("csv");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadCsv)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
