// The game folder's state files planted as links, FIFOs or endless files: the run ends with its
// documented status in bounded time and writes nothing outside the folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "support/scoped_hooks.h"
#include "support/static_files.h"
#include "support/temp_folder.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/headless/headless_run.h"
#include "updater/records/files.h"

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;

class StateFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("web0.dat", "Main " + server.base_url() + " 80 30000\r\nend\r\n");
    server.Put("update3.dat", "header\r\nE a.gz a.txt 1\r\nE a.gz index2.html 1\r\n");
    server.Put("a.gz", GzipCompress("A"));
    dir.Write("../outside/victim", "outside");
  }
  fs::path Outside() const { return dir.path().parent_path() / "outside"; }

  // One run with a deadline; a run stuck opening a FIFO is released by a writer.
  int RunBounded(const std::string& fifo_to_release) {
    std::ostringstream output;
    auto run = std::async(std::launch::async, [&] {
      return RunHeadlessUpdate(ParseHeadlessOptions({"--folder", dir.path().string()}), output,
                               false);
    });
    if (run.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      ADD_FAILURE() << "the run blocked";
      const int writer = ::open((dir.path() / fifo_to_release).c_str(), O_RDWR);
      if (writer >= 0) ::close(writer);
    }
    return run.get();
  }

  TempFolder dir;
  StaticFiles server;
  ScopedSleepHook no_wait{[](int) {}};
};

void Fifo(const fs::path& path) {
  ::mkfifo(path.c_str(), 0666);
}
void EndlessDevice(const fs::path& path) {
  fs::create_symlink("/dev/zero", path);
}
void SparseBeyond(const fs::path& path, std::uint64_t bound) {
  std::ofstream(path).close();
  fs::resize_file(path, bound + 1);
}

TEST_F(StateFilesTest, SpecialAndOversizedStateFilesCountAsUnreadable) {
  struct Case {
    const char* what;
    const char* name;
    void (*plant)(const fs::path& path);
    int status;
  };
  const Case cases[] = {
      {"web0.dat fifo", "web0.dat", Fifo, kExitInitFailed},
      {"web0.dat endless", "web0.dat", EndlessDevice, kExitInitFailed},
      {"web0.dat huge", "web0.dat", [](const fs::path& p) { SparseBeyond(p, kStateFileMaxBytes); },
       kExitInitFailed},
      {"isp1.dat fifo", "isp1.dat", Fifo, kExitUpToDate},
      {"isp1.dat endless", "isp1.dat", EndlessDevice, kExitUpToDate},
      {"update2.dat fifo", "update2.dat", Fifo, kExitOtherFailure},
      {"update2.dat endless", "update2.dat", EndlessDevice, kExitOtherFailure},
      {"update2.dat huge", "update2.dat",
       [](const fs::path& p) { SparseBeyond(p, kRecordMaxBytes); }, kExitOtherFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dir.path() / c.name);
    c.plant(dir.path() / c.name);
    EXPECT_EQ(RunBounded(c.name), c.status);
    fs::remove(dir.path() / c.name);
    SetUp();
  }
}

TEST_F(StateFilesTest, StateFilesPlantedAsLinksWriteNothingOutside) {
  struct Case {
    const char* name;
    const char* target;  // in the folder beside the game folder
    int status;
  };
  const Case cases[] = {
      {"isp1.dat", "victim", kExitUpToDate},        {"ISP1.DAT", "absent", kExitUpToDate},
      {"update2.dat", "victim", kExitOtherFailure}, {"Update2.Dat", "absent", kExitOtherFailure},
      {"index2.html", "victim", kExitWriteFailed},  {"Index2.HTML", "absent", kExitWriteFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"isp1.dat", "update2.dat", "a.txt", "index2.html"}) {
      fs::remove(dir.path() / name);
    }
    fs::remove(dir.path() / c.name);
    fs::create_symlink(Outside() / c.target, dir.path() / c.name);
    EXPECT_EQ(RunBounded(""), c.status);
    EXPECT_EQ(dir.Read("../outside/victim"), "outside");
    EXPECT_FALSE(fs::exists(Outside() / "absent"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / c.name));
    fs::remove(dir.path() / c.name);
  }
}

}  // namespace
}  // namespace veyra::testing
