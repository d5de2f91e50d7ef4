#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "text/cvcode.h"

namespace {

// About `size` bytes of text like the game's messages: runs of ASCII words mixed with runs of
// Big5 characters, plus an occasional stray lead byte.
std::string MixedText(size_t size) {
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> run_length(1, 24);
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> ascii('!', '~');
  std::uniform_int_distribution<int> lead(0xA4, 0xF9);
  std::uniform_int_distribution<int> trail_index(0, 156);
  std::string text;
  text.reserve(size + 64);
  while (text.size() < size) {
    const int k = kind(random);
    const int run = run_length(random);
    for (int i = 0; i < run; ++i) {
      if (k < 4) {
        text.push_back(char(ascii(random)));
      } else if (k < 9) {
        const int t = trail_index(random);
        text.push_back(char(lead(random)));
        text.push_back(char(t < 63 ? 0x40 + t : 0xA1 + t - 63));
      } else {
        text.push_back(char(lead(random)));
        text.push_back(' ');
      }
    }
  }
  text.resize(size);
  return text;
}

void BM_Big5ToGB(benchmark::State& state) {
  const std::string text = MixedText(10 * 1000 * 1000);
  for (auto _ : state) {
    std::string converted = veyra::Big5ToGB(text);
    benchmark::DoNotOptimize(converted.data());
  }
  const double megabytes = double(text.size()) / 1e6;
  state.counters["MB/s"] =
      benchmark::Counter(megabytes * double(state.iterations()), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Big5ToGB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
