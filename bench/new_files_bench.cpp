// Installing many new files into one folder: each new name is first looked up ignoring letter
// case (an existing "DATA.BIN" must be replaced, not joined by a "data.bin"), so the cost of that
// lookup as the folder fills up decides how a fresh install of a large folder scales. The plain
// variant creates the same files at their exact paths, without any lookup.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/folder_names.h"
#include "platform/paths.h"
#include "updater/records/files.h"

namespace veyra {
namespace {

std::string FreshFolder() {
  char pattern[] = "/tmp/veyra_new_files_XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) std::abort();
  return std::string(made) + "/";
}

void BM_WriteNewFiles(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder = FreshFolder();
    SetProgramFolder(folder);
    std::filesystem::create_directory(folder + "Sprites");
    state.ResumeTiming();
    const FolderNamesScope folder_names;  // as an update pass holds one
    for (int i = 0; i < count; ++i) {
      WriteBufferToFile(folder + "Sprites\\Frame" + std::to_string(i) + ".spr", "x");
    }
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetComplexityN(count);
}

void BM_CreateFilesAtExactPaths(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder = FreshFolder();
    std::filesystem::create_directory(folder + "Sprites");
    state.ResumeTiming();
    for (int i = 0; i < count; ++i) {
      const std::string path = folder + "Sprites/Frame" + std::to_string(i) + ".spr";
      const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      if (fd < 0 || ::pwrite(fd, "x", 1, 0) != 1 || ::close(fd) != 0) std::abort();
    }
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetComplexityN(count);
}

BENCHMARK(BM_WriteNewFiles)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateFilesAtExactPaths)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veyra

BENCHMARK_MAIN();
