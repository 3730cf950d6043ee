// Writing InfoList entries one key at a time, each reaching the file before the next, as
// the generator does. The writer should be linear: 10x the entries should cost about 10x.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "base/format.h"
#include "package/client_settings.h"

namespace {

void BM_WriteInfoList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto path = std::filesystem::temp_directory_path() / "lr-bench-myset.ini";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    state.ResumeTiming();
    lr::ProfileWriter writer(path, "Myset.ini");
    writer.Write(lr::kSectionAutoSet, lr::kKeyGateway, "192.168.0.1");
    for (int i = 0; i < n; ++i) {
      writer.Write(
          lr::kSectionInfoList,
          lr::StrFormat("00-0C-29-%02X-%02X-%02X", (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF),
          lr::JoinHostEntry(lr::DottedQuad(static_cast<std::uint32_t>(0x0A000000 + i)),
                            lr::StrFormat("PC%05d", i)));
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteInfoList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
