// Benchmarks of the reply path: reading node-status answers, and a burst of 65,536 replies
// each read and inserted at the top of the host list as the window thread does it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hostlist/host_list.h"
#include "scanner/nbt_query.h"

namespace {

std::vector<std::uint8_t> StandardAnswer() {
  std::string d(
      "\x00\x00\x84\x00\x00\x00\x00\x01\x00\x00\x00\x00\x20"
      "CK",
      15);
  d.append(30, 'A');
  d.append("\x00\x00\x21\x00\x01\x00\x00\x00\x00\x00\x77\x06", 12);
  const char* names[] = {"PC01", "WORKGROUP", "PC01", "WORKGROUP", "PC01", "__MSBROWSE__"};
  const char suffix[] = {0x00, 0x00, 0x20, 0x1E, 0x03, 0x01};
  const char flags[] = {0x04, static_cast<char>(0x84), 0x04, static_cast<char>(0x84),
                        0x04, static_cast<char>(0x84)};
  for (int k = 0; k < 6; ++k) {
    std::string n = names[k];
    n.resize(15, ' ');
    d += n;
    d += suffix[k];
    d += flags[k];
    d += '\0';
  }
  d.append("\x00\x0C\x29\xAB\x01\xFF", 6);
  return std::vector<std::uint8_t>(d.begin(), d.end());
}

void BM_ParseReply(benchmark::State& state) {
  const auto d = StandardAnswer();
  for (auto _ : state) {
    lr::HostRecord r = lr::ParseReply(d.data(), d.size(), "192.168.0.17");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(d.size()));
}
BENCHMARK(BM_ParseReply);

void BM_ReplyBurstIntoHostList(benchmark::State& state) {
  const auto d = StandardAnswer();
  constexpr int kBurst = 65536;
  for (auto _ : state) {
    lr::HostList list;
    for (int i = 0; i < kBurst; ++i) {
      list.InsertTop(lr::ParseReply(
          d.data(), d.size(), "10.9." + std::to_string(i >> 8) + "." + std::to_string(i & 0xFF)));
    }
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetItemsProcessed(state.iterations() * kBurst);
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBurst,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplyBurstIntoHostList)->Unit(benchmark::kMillisecond);

}  // namespace
