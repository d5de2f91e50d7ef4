// Kills the updater with signals and watches it through POSIX process calls: not on Windows.
#ifndef _WIN32
// Updates cut short: the program killed at random moments, a full disk, a second updater. After
// each, every file is either old or new, the record never names a file the disk does not hold,
// and a later run finishes the job without leaving temporary files behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "platform/confined_files.h"
#include "platform/folder_lock.h"
#include "support/nginx_server.h"
#include "support/static_files.h"
#include "support/temp_folder.h"
#include "updater/engine/kept_downloads.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/headless/headless_run.h"
#include "updater/patch/zstd_patch.h"
#include "updater/records/archive.h"
#include "updater/records/lines.h"
#include "updater/signing/sha256.h"
#include "updater/signing/signing_keys.h"
#include "updater/signing/update_statement.h"

extern char** environ;

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// veyra-update started as a child with its output in a file of the test's folder.
class UpdaterProcess {
 public:
  UpdaterProcess(const fs::path& folder, std::vector<std::string> extra) {
    std::vector<std::string> arguments{VEYRA_UPDATE_PROGRAM, "--folder", folder.string(), "--lang",
                                       "n"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    output_ = folder.parent_path() / "updater-output.txt";
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~UpdaterProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  bool Running() {
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, WNOHANG) == 0) return pid_ > 0;
    exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
    return false;
  }
  void Kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    Wait(std::chrono::seconds(10));
  }
  // The exit status, or -1 when killed or still running after `limit` (then it is killed).
  int Wait(std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Running() && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    return exit_status_;
  }
  std::string Output() const {
    std::ifstream in(output_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  pid_t pid_ = -1;
  int exit_status_ = -1;
  fs::path output_;
};

std::vector<std::string> TemporaryFilesIn(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (IsTemporaryFileName(entry.path().filename().string())) found.push_back(entry.path());
  }
  return found;
}

std::vector<std::string> KeptDownloadsIn(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(kKeptDownloadPrefix)) found.push_back(name);
  }
  return found;
}

std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// A release published on a real nginx and a game folder holding an older installation.
class KillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed";
    LineList list{"header"};
    for (int i = 0; i < 12; ++i) {
      const std::string name = "d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".bin";
      // Several write pieces per file, so that kills also land between the pieces of one file.
      release_[name] = Noise(2 * 1024 * 1024, static_cast<unsigned>(i));
      WriteSite("gz/" + name + ".gz", GzipCompress(release_[name]));
      list.push_back("E gz/" + name + ".gz " + GameName(name) + " 2");
      if (i % 2 == 0) old_[name] = "old " + name;
    }
    release_["raw.bin"] = Noise(100 * 1024, 99);
    WriteSite("raw.bin", release_["raw.bin"]);
    list.push_back("O raw.bin raw.bin 2");
    // Large enough to be kept across runs when a kill cuts its download.
    release_["large.bin"] = Noise(9 * 1024 * 1024, 97);
    WriteSite("large.bin", release_["large.bin"]);
    list.push_back("O large.bin large.bin 2");
    release_["pack/a.txt"] = "member a";
    release_["pack/b.txt"] = Noise(50 * 1024, 98);
    WriteSite("pack.gz", GzipCompress(PackArchive({{"pack\\a.txt", release_["pack/a.txt"]},
                                                   {"pack\\b.txt", release_["pack/b.txt"]}})));
    list.push_back("C pack.gz pack.unadf 2");
    WriteSite("update3.dat", JoinLines(list));
    nginx_ = std::make_unique<NginxServer>(site_);
    dir.Write("web0.dat", "Main " + nginx_->base_url() + " 80 30000\r\nend\r\n");
    InstallOld();
  }
  // Puts the older installation back, without a record, so that a run rewrites every file.
  void InstallOld() {
    fs::remove(dir.path() / "update2.dat");
    for (const auto& [name, bytes] : release_) {
      fs::remove(dir.path() / name);
      if (old_.count(name) != 0) dir.Write(name, old_[name]);
    }
  }
  // Makes the older files earlier versions of the new ones (64 KiB differ) and serves the set
  // signed, with a patch from each, to a folder that pins the key.
  void PublishPatches() {
    const KeyPair key = GenerateKeyPair();
    dir.Write(kPinnedKeysFile, PublicKeyText(key.public_key) + "\n");
    UpdateStatement statement;
    statement.serial = 1;
    statement.expires = std::time(nullptr) + 86400;
    const std::string list = ReadSite("update3.dat");
    statement.list = {static_cast<int64_t>(list.size()), Sha256Hex(list)};
    const LineList lines = SplitLines(list);
    for (size_t i = 1; i < lines.size(); ++i) {
      const std::string remote = GetField(lines[i], 2);
      statement.files[remote] = DigestOf(remote);
    }
    for (auto& [name, old] : old_) {
      const std::string remote = "gz/" + name + ".gz";
      old = release_[name];
      old.replace(1000, 64 * 1024, Noise(64 * 1024, 7));
      WriteSite("patch/" + name, MakeZstdPatch(old, release_[name]));
      const auto length = [](const std::string& bytes) {
        return static_cast<int64_t>(bytes.size());
      };
      statement.patches.push_back({remote,
                                   {length(old), Sha256Hex(old)},
                                   {length(release_[name]), Sha256Hex(release_[name])},
                                   "patch/" + name,
                                   DigestOf("patch/" + name)});
    }
    WriteSite(kStatementFile, SignStatement(statement, key.secret_key));
    InstallOld();
  }
  SignedDigest DigestOf(const std::string& remote) const {
    const std::string bytes = ReadSite(remote);
    return {static_cast<int64_t>(bytes.size()), Sha256Hex(bytes)};
  }
  std::string ReadSite(const std::string& name) const {
    std::ifstream in(site_ / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  // Kills the updater at random moments of its run, checking the folder after each kill; then a
  // run completes the update. Returns the output of the first, whole run.
  std::string KillAtRandomMomentsThenComplete() {
    // One whole run tells how long the kills may wait to land inside a run.
    const auto start = Clock::now();
    UpdaterProcess first(dir.path(), {});
    EXPECT_TRUE(first.started());
    EXPECT_EQ(first.Wait(std::chrono::seconds(120)), kExitUpToDate) << first.Output();
    const std::string first_output = first.Output();  // the next run writes over it
    const auto run_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();

    std::mt19937 random(20261208);
    for (int kill = 0; kill < 20; ++kill) {
      SCOPED_TRACE("kill " + std::to_string(kill));
      InstallOld();
      UpdaterProcess run(dir.path(), {});
      EXPECT_TRUE(run.started());
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % (run_ms + 1)));
      run.Kill();
      ExpectOldOrNew();
    }

    UpdaterProcess rerun(dir.path(), {});
    EXPECT_EQ(rerun.Wait(std::chrono::seconds(120)), kExitUpToDate) << rerun.Output();
    for (const auto& [name, bytes] : release_) EXPECT_TRUE(dir.Read(name) == bytes) << name;
    ExpectOldOrNew();
    EXPECT_EQ(TemporaryFilesIn(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(KeptDownloadsIn(dir.path()), std::vector<std::string>{});
    return first_output;
  }
  static std::string GameName(std::string name) {
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
  }
  void WriteSite(const std::string& name, const std::string& bytes) {
    const fs::path path = site_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // Each file holds its old content (or none) or its new content, never anything between; the
  // record names only files whose new content is on the disk.
  void ExpectOldOrNew() {
    for (const auto& [name, bytes] : release_) {
      const std::string old = old_.count(name) != 0 ? old_[name] : std::string("<missing>");
      const std::string now = dir.Read(name);
      EXPECT_TRUE(now == bytes || now == old) << name << " is neither old nor new";
    }
    if (!dir.Exists("update2.dat")) return;
    for (const std::string& line : SplitLines(dir.Read("update2.dat"))) {
      std::string name = line.substr(0, line.find(' '));
      std::replace(name.begin(), name.end(), '\\', '/');
      if (release_.count(name) != 0) {
        EXPECT_TRUE(dir.Read(name) == release_[name]) << name << " recorded ahead of the disk";
      }
    }
  }

  TempFolder dir;
  fs::path site_ = dir.path().parent_path() / "site";
  std::map<std::string, std::string> release_;
  std::map<std::string, std::string> old_;  // what the older installation holds
  std::unique_ptr<NginxServer> nginx_;
};

TEST_F(KillTest, KilledAtRandomMomentsTheFolderStaysConsistentAndARerunCompletesIt) {
  KillAtRandomMomentsThenComplete();
}

// Files installed from patches are replaced and recorded exactly as downloaded ones.
TEST_F(KillTest, KilledDuringPatchedInstallsTheFolderStaysConsistent) {
  PublishPatches();
  const std::string output = KillAtRandomMomentsThenComplete();
  EXPECT_NE(output.find("patches: 6 files updated from patches"), std::string::npos) << output;
}

// nginx stalls past 90 % of a 64 MiB file; the updater is killed while it waits there, and the
// next run, served in full, asks only for the rest.
TEST(KillAndRerun, ALargeFileGoesOnFromWhereTheKilledRunStopped) {
  if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed";
  constexpr size_t kSize = 64 << 20;
  TempFolder dir;
  const fs::path site = dir.path().parent_path() / "site";
  fs::create_directories(site);
  const std::string content = Noise(kSize, 5);
  std::ofstream(site / "big.bin", std::ios::binary) << content;
  std::ofstream(site / "update3.dat", std::ios::binary) << "header\r\nO big.bin big.bin 1\r\n";
  const auto serve = [&](const NginxServer& nginx) {
    dir.Write("web0.dat", "Main " + nginx.base_url() + " 80 30000\r\nend\r\n");
  };
  {
    NginxServer stalling(site, std::nullopt,
                         "limit_rate_after " + std::to_string(kSize * 9 / 10) + "; limit_rate 1;");
    serve(stalling);
    UpdaterProcess run(dir.path(), {"--timeout", "60"});
    ASSERT_TRUE(run.started());
    // The kept bytes grow while the file arrives; wait until they are near the stall.
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    uintmax_t kept = 0;
    while (kept < kSize * 85 / 100 && run.Running() && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      kept = 0;
      for (const std::string& name : KeptDownloadsIn(dir.path())) {
        std::error_code ignored;
        if (!name.ends_with(".note")) kept = fs::file_size(dir.path() / name, ignored);
      }
    }
    ASSERT_GE(kept, kSize * 85 / 100) << run.Output();
    run.Kill();
  }
  EXPECT_FALSE(dir.Exists("big.bin"));

  NginxServer full(site);
  serve(full);
  UpdaterProcess rerun(dir.path(), {});
  ASSERT_EQ(rerun.Wait(std::chrono::seconds(120)), kExitUpToDate) << rerun.Output();
  EXPECT_TRUE(dir.Read("big.bin") == content);
  EXPECT_NE(rerun.Output().find("resuming saved"), std::string::npos) << rerun.Output();
  const std::vector<AccessLogLine> log = full.AccessLogOf(2);  // the list and the rest
  const auto big = std::find_if(log.begin(), log.end(),
                                [](const AccessLogLine& line) { return line.uri == "/big.bin"; });
  ASSERT_NE(big, log.end());
  EXPECT_EQ(big->status, 206);
  EXPECT_LT(big->body_bytes, static_cast<int64_t>(kSize) * 15 / 100);
  EXPECT_EQ(KeptDownloadsIn(dir.path()), std::vector<std::string>{});
}

TEST_F(KillTest, ASecondUpdaterGivesUpOrWaitsForTheFirst) {
  auto first = std::make_unique<FolderLock>(dir.path(), 0);  // another updater's hold
  ASSERT_TRUE(first->held());
  UpdaterProcess impatient(dir.path(), {});
  EXPECT_EQ(impatient.Wait(std::chrono::seconds(60)), kExitFolderBusy);
  EXPECT_NE(impatient.Output().find("another update is running in this game folder"),
            std::string::npos)
      << impatient.Output();
  EXPECT_FALSE(dir.Exists("update2.dat"));

  UpdaterProcess patient(dir.path(), {"--wait", "60"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(patient.Running());
  first.reset();
  EXPECT_EQ(patient.Wait(std::chrono::seconds(120)), kExitUpToDate) << patient.Output();
  for (const auto& [name, bytes] : release_) EXPECT_TRUE(dir.Read(name) == bytes) << name;
}

// A small file system of its own, filled by one file: the write fails as a locked file does.
TEST(DiskFull, AFileThatDoesNotFitIsAWriteFailureAndTheOldOneStays) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  TempFolder dir;
  if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=512k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  struct Unmount {
    fs::path path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{dir.path()};
  StaticFiles server;
  dir.Write("web0.dat", "Main " + server.base_url() + " 80 30000\r\nend\r\n");
  dir.Write("a.txt", "old a");
  server.Put("small.gz", GzipCompress("small"));
  server.Put("big.gz", GzipCompress(std::string(1024 * 1024, 'x')));
  server.Put("update3.dat", "header\r\nE small.gz s.txt 1\r\nE big.gz a.txt 2\r\n");

  std::ostringstream output;
  EXPECT_EQ(
      RunHeadlessUpdate(ParseHeadlessOptions({"--folder", dir.path().string()}), output, false),
      kExitWriteFailed);
  EXPECT_NE(output.str().find("a.txt:update failed"), std::string::npos) << output.str();
  EXPECT_EQ(dir.Read("a.txt"), "old a");
  EXPECT_EQ(SplitLines(dir.Read("update2.dat")), (LineList{"AVWSEN", "", "s.txt 1"}));
  EXPECT_EQ(TemporaryFilesIn(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace veyra::testing

#endif
