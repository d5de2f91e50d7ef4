#include <benchmark/benchmark.h>

#include <string>

#include "updater/records/update_rule.h"

namespace veyra {
namespace {

// An update list and a record of `size` entries each: of the list, a third is unchanged, a third
// newer than recorded (written in another letter case) and a third not recorded at all; the
// record's remaining lines name files the list no longer carries.
void MakeLists(int size, LineList& list, LineList& record) {
  list = {"header"};
  record = {std::string(kRecordHeader)};
  for (int i = 0; i < size; ++i) {
    const std::string name = "Data\\file" + std::to_string(i) + ".dat";
    switch (i % 3) {
      case 0:
        list.push_back("E f" + std::to_string(i) + ".gz " + name + " 12");
        record.push_back(name + " 12");
        break;
      case 1:
        list.push_back("E f" + std::to_string(i) + ".gz DATA\\FILE" + std::to_string(i) +
                       ".DAT 13");
        record.push_back(name + " 12");
        break;
      default:
        list.push_back("O f" + std::to_string(i) + " " + name + " 1");
        record.push_back("Old\\gone" + std::to_string(i) + ".dat 1");
        break;
    }
  }
}

void BM_BuildQueue(benchmark::State& state) {
  LineList list;
  LineList record;
  MakeLists(static_cast<int>(state.range(0)), list, record);
  for (auto _ : state) {
    QueueResult result = BuildQueue(list, record);
    benchmark::DoNotOptimize(result);
  }
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_BuildQueue)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(300000)  // past the processor caches, to show the growth is linear there
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace veyra

BENCHMARK_MAIN();
