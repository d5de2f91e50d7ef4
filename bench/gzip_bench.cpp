// Expansion speed of GzMemDecompress against a bare zlib raw inflate of the same image into a
// buffer allocated beforehand: the difference is the price of the reader's checks (CRC-32,
// trailer, header) and of its growing output buffer.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"

namespace {

constexpr size_t kPartSize = 24u << 20;  // each kind of content; 72 MB mixed
constexpr size_t kGzipHeaderSize = 10;   // GzipCompress writes no optional fields

std::string TextLike(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"update", "patch", "Upimg\\", "list", "version", "data",
                                       "更新",   "檔案",  "=",       " ",    "\r\n",    "\t"};
  std::mt19937 random(seed);
  std::string text;
  text.reserve(size + 32);
  while (text.size() < size) {
    if (random() % 4 == 0) {
      text += std::to_string(random() % 1000000);
    } else {
      text += kWords[random() % std::size(kWords)];
    }
  }
  text.resize(size);
  return text;
}

// Fixed-size records as game data tables hold them: counters, small codes, coordinates, names.
std::string BinaryTable(size_t size, uint32_t seed) {
  static const char kNames[][12] = {"sword", "shield", "potion", "scroll", "ring", "armour"};
  std::mt19937 random(seed);
  std::string table;
  table.reserve(size + 32);
  for (uint32_t id = 0; table.size() < size; ++id) {
    const uint16_t type = static_cast<uint16_t>(random() % 40);
    const int32_t x = static_cast<int32_t>(random() % 4096) - 2048;
    const int32_t y = static_cast<int32_t>(random() % 4096) - 2048;
    const float value = static_cast<float>(random() % 10000) / 100.0f;
    table.append(reinterpret_cast<const char*>(&id), sizeof id);
    table.append(reinterpret_cast<const char*>(&type), sizeof type);
    table.append(reinterpret_cast<const char*>(&x), sizeof x);
    table.append(reinterpret_cast<const char*>(&y), sizeof y);
    table.append(reinterpret_cast<const char*>(&value), sizeof value);
    table.append(kNames[random() % std::size(kNames)], 12);
  }
  table.resize(size);
  return table;
}

std::string Incompressible(size_t size, uint32_t seed) {
  std::mt19937_64 random(seed);
  std::string bytes(size, '\0');
  for (size_t i = 0; i + 8 <= size; i += 8) {
    const uint64_t v = random();
    std::memcpy(&bytes[i], &v, 8);
  }
  return bytes;
}

// The three kinds interleaved in 1 MB pieces, as a patch mixing file types would be.
std::string Mixed(const std::string& text, const std::string& table, const std::string& noise) {
  constexpr size_t kPiece = 1u << 20;
  std::string mixed;
  mixed.reserve(text.size() + table.size() + noise.size());
  for (size_t at = 0; at < kPartSize; at += kPiece) {
    for (const std::string* part : {&text, &table, &noise}) mixed.append(*part, at, kPiece);
  }
  return mixed;
}

struct Workload {
  std::string name;
  std::string content;
  std::string image;
};

const std::vector<Workload>& Workloads() {
  static const std::vector<Workload> workloads = [] {
    const std::string text = TextLike(kPartSize, 1);
    const std::string table = BinaryTable(kPartSize, 2);
    const std::string noise = Incompressible(kPartSize, 3);
    std::vector<Workload> all;
    for (auto& [name, content] :
         {std::pair{"mixed", Mixed(text, table, noise)}, std::pair{"text", text},
          std::pair{"table", table}, std::pair{"random", noise}}) {
      all.push_back({name, content, veyra::GzipCompress(content, 6)});
    }
    return all;
  }();
  return workloads;
}

size_t ExpandWithReader(const std::string& image) {
  const veyra::GzMemBuffer buffer = veyra::GzMemDecompress(image.data(), image.size());
  return buffer.size();
}

size_t InflateRaw(const std::string& image, char* output, size_t capacity) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("inflateInit2");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(image.data() + kGzipHeaderSize));
  z.avail_in = static_cast<uInt>(image.size() - kGzipHeaderSize);
  z.next_out = reinterpret_cast<Bytef*>(output);
  z.avail_out = static_cast<uInt>(capacity);
  int status = Z_OK;
  while (status == Z_OK) status = inflate(&z, Z_NO_FLUSH);
  inflateEnd(&z);
  if (status != Z_STREAM_END) throw std::runtime_error("inflate");
  return z.total_out;
}

// Into a buffer allocated and touched once, reused by every call.
size_t ExpandPlain(const std::string& image, std::vector<char>& output) {
  return InflateRaw(image, output.data(), output.size());
}

// Into a buffer of the known expanded size allocated by the call, as a function that hands
// back new memory has to.
size_t ExpandPlainFresh(const std::string& image, size_t expanded_size) {
  char* output = static_cast<char*>(std::malloc(expanded_size));
  if (output == nullptr) throw std::bad_alloc();
  const size_t n = InflateRaw(image, output, expanded_size);
  benchmark::DoNotOptimize(output);
  std::free(output);
  return n;
}

// zlib's own example loop: 16 KiB of input and of output per inflate call, each output chunk
// appended to a growing in-memory result, which is the job the reader does.
size_t ExpandChunkedLoop(const std::string& image) {
  constexpr size_t kChunk = 16384;
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("inflateInit2");
  std::string result;
  char chunk[kChunk];
  size_t offset = kGzipHeaderSize;
  int status = Z_OK;
  while (status == Z_OK) {
    if (z.avail_in == 0) {
      const size_t take = std::min(kChunk, image.size() - offset);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(image.data() + offset));
      z.avail_in = static_cast<uInt>(take);
      offset += take;
    }
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = kChunk;
    status = inflate(&z, Z_NO_FLUSH);
    result.append(chunk, kChunk - z.avail_out);
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) throw std::runtime_error("inflate");
  benchmark::DoNotOptimize(result.data());
  return result.size();
}

void BM_GzMemDecompress(benchmark::State& state) {
  const Workload& work = Workloads()[static_cast<size_t>(state.range(0))];
  state.SetLabel(work.name);
  for (auto _ : state) benchmark::DoNotOptimize(ExpandWithReader(work.image));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(work.content.size()));
}
BENCHMARK(BM_GzMemDecompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_PlainRawInflate(benchmark::State& state) {
  const Workload& work = Workloads()[static_cast<size_t>(state.range(0))];
  state.SetLabel(work.name);
  std::vector<char> output(work.content.size(), 1);  // allocated and touched beforehand
  for (auto _ : state) benchmark::DoNotOptimize(ExpandPlain(work.image, output));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(work.content.size()));
}
BENCHMARK(BM_PlainRawInflate)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_PlainRawInflateFreshBuffer(benchmark::State& state) {
  const Workload& work = Workloads()[static_cast<size_t>(state.range(0))];
  state.SetLabel(work.name);
  for (auto _ : state) benchmark::DoNotOptimize(ExpandPlainFresh(work.image, work.content.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(work.content.size()));
}
BENCHMARK(BM_PlainRawInflateFreshBuffer)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time (user and kernel, so page faults count) rather than wall-clock time: the
// machine may be shared, and waiting for it is no cost of the decoder.
template <typename Expand>
double BestSeconds(Expand expand) {
  double best = 1e9;
  for (int round = 0; round < 7; ++round) {
    const double start = CpuSeconds();
    expand();
    best = std::min(best, CpuSeconds() - start);
  }
  return best;
}

// The decoders measured in the same run, best of several rounds each. The ratio is our
// throughput over plain inflate's.
void PrintRatios() {
  for (const Workload& work : Workloads()) {
    const size_t size = work.content.size();
    std::vector<char> output(size, 1);
    if (ExpandWithReader(work.image) != size || ExpandPlain(work.image, output) != size ||
        ExpandPlainFresh(work.image, size) != size || ExpandChunkedLoop(work.image) != size) {
      throw std::runtime_error("expansion of " + work.name + " has the wrong size");
    }
    const double ours = BestSeconds([&] { ExpandWithReader(work.image); });
    const double plain = BestSeconds([&] { ExpandPlain(work.image, output); });
    const double fresh = BestSeconds([&] { ExpandPlainFresh(work.image, size); });
    const double loop = BestSeconds([&] { ExpandChunkedLoop(work.image); });
    const double mb = static_cast<double>(size) / 1e6;
    std::printf(
        "%-6s %5.1f MB (image %5.1f MB): GzMemDecompress %6.1f MB/s | plain inflate, reused "
        "buffer %7.1f MB/s, ratio %.3f | plain inflate, fresh buffer %6.1f MB/s, ratio %.3f | "
        "16 KiB inflate loop into memory %6.1f MB/s, ratio %.3f\n",
        work.name.c_str(), mb, static_cast<double>(work.image.size()) / 1e6, mb / ours, mb / plain,
        plain / ours, mb / fresh, fresh / ours, mb / loop, loop / ours);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  return 0;
}
