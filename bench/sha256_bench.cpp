// SHA-256 throughput as the updater hashes a download: one hash fed piece by piece as the body
// arrives.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <string_view>

#include "updater/signing/sha256.h"

namespace {

constexpr size_t kBodySize = 64u << 20;
constexpr size_t kPieceSize = 256u << 10;

void BM_Sha256In256KiBPieces(benchmark::State& state) {
  std::string body(kBodySize, '\0');
  std::mt19937 random(7);
  for (char& c : body) c = static_cast<char>(random());
  for (auto _ : state) {
    veyra::Sha256 hash;
    for (size_t at = 0; at < body.size(); at += kPieceSize) {
      hash.Add(std::string_view(body).substr(at, kPieceSize));
    }
    benchmark::DoNotOptimize(hash.FinishHex());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBodySize);
}
BENCHMARK(BM_Sha256In256KiBPieces)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
