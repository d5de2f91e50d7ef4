// Downloads cut short go on where they stopped: within a run from the bytes of the failed
// attempt, across runs from the bytes a large file left in the game folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "support/nginx_server.h"
#include "support/range_files.h"

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;
using Fault = RangeFiles::Fault;

std::string Noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1103515245 + 12345;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

class ResumeTest : public EngineTest {
 protected:
  void SetUp() override {
    image_ = GzipCompress(Noise(1 << 20, 1), 1);
    files.Put("big.gz", image_);
    files.Put("small.txt", "small");
    files.Put("update3.dat", JoinLines(WithHeader({"E big.gz big.bin 1", "O small.txt s.txt 1"})));
  }
  // One whole run as the player starts it.
  RunOutcome Update(int connections = 1, bool resume = true) {
    engine.reset();
    view = ScriptedView{};
    WriteWeb0({files.base_url()});
    MakeEngine();
    engine->SetConnections(connections);
    engine->SetResume(resume);
    engine->FormResize();
    if (engine->outcome() == RunOutcome::kWaitingForStart) engine->StartPictureClicked();
    const RunOutcome outcome = engine->outcome();
    if (view.closes == 0) engine->FormClose();
    return outcome;
  }
  std::vector<std::string> KeptFiles() const {
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with(kKeptDownloadPrefix)) kept.push_back(name);
    }
    return kept;
  }
  int64_t image_size() const { return static_cast<int64_t>(image_.size()); }

  RangeFiles files;
  std::string image_;
};

TEST_F(ResumeTest, ACutAttemptAsksOnlyForTheRestAndTheGaugeCountsTheKeptBytes) {
  for (int connections : {1, 6}) {
    SCOPED_TRACE("connections " + std::to_string(connections));
    fs::remove(dir.path() / "update2.dat");
    const int64_t cut = image_size() * 6 / 10;
    const int64_t sent_before = files.BodyBytesSent("big.gz");
    const size_t requests_before = files.RequestsFor("big.gz").size();
    files.Script("big.gz", {{Fault::kCut, cut}});

    ASSERT_EQ(Update(connections), RunOutcome::kCompleted);
    EXPECT_EQ(dir.Read("big.bin"), Noise(1 << 20, 1));
    const std::vector<std::string> requests = files.RequestsFor("big.gz");
    ASSERT_EQ(requests.size(), requests_before + 2);
    EXPECT_EQ(RequestHeader(requests[requests_before], "Range"), "");
    EXPECT_EQ(RequestHeader(requests.back(), "Range"), "bytes=" + std::to_string(cut) + "-");
    EXPECT_EQ(RequestHeader(requests.back(), "If-Range"), "\"1\"");
    EXPECT_EQ(files.BodyBytesSent("big.gz") - sent_before, image_size());
    EXPECT_EQ(engine->resume_saved_bytes(), cut);
    // Once the cut attempt has ended, the file's progress never falls below the kept bytes.
    // Built by appending: mingw's g++ 12 warns falsely (-Wrestrict) on "/" + std::string.
    std::string of_total = "/";
    of_total += std::to_string(image_size());
    bool first_attempt_ended = false;
    for (const std::string& frame : view.pass_frames) {
      if (!frame.ends_with(of_total)) continue;
      const int64_t shown = std::stoll(frame.substr(frame.rfind('|') + 1));
      if (first_attempt_ended) {
        EXPECT_GE(shown, cut) << frame;
      }
      first_attempt_ended = first_attempt_ended || shown == image_size();
    }
    EXPECT_TRUE(first_attempt_ended);
  }
}

TEST_F(ResumeTest, WhatAnsweredTheResumedRequestDecidesTheNextAttempt) {
  const int64_t cut = image_size() / 2;
  const struct {
    const char* name;
    Fault second;
    size_t requests;
    bool last_asks_range;
    int64_t bytes_sent;
  } cases[] = {
      // The whole file replaces the kept bytes.
      {"range ignored", Fault::kIgnoreRange, 2, true, cut + image_size()},
      // A part that does not fit is a failed attempt; the kept bytes go with it.
      {"wrong Content-Range", Fault::kWrongRange, 3, false,
       cut + (image_size() - cut - 1) + image_size()},
      // An error says nothing of the file: the kept bytes wait for the next attempt.
      {"refused", Fault::kRefuse, 3, true, image_size()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir.path() / "update2.dat");
    fs::remove(dir.path() / "big.bin");
    const int64_t sent_before = files.BodyBytesSent("big.gz");
    const size_t requests_before = files.RequestsFor("big.gz").size();
    files.Script("big.gz", {{Fault::kCut, cut}, {c.second, 0}});

    ASSERT_EQ(Update(), RunOutcome::kCompleted);
    EXPECT_EQ(dir.Read("big.bin"), Noise(1 << 20, 1));
    const std::vector<std::string> requests = files.RequestsFor("big.gz");
    ASSERT_EQ(requests.size(), requests_before + c.requests);
    EXPECT_EQ(!RequestHeader(requests.back(), "Range").empty(), c.last_asks_range);
    EXPECT_EQ(files.BodyBytesSent("big.gz") - sent_before, c.bytes_sent);
  }
}

TEST_F(ResumeTest, WithoutResumingEveryAttemptIsThePlainRequest) {
  files.Script("big.gz", {{Fault::kCut, image_size() / 2}});
  ASSERT_EQ(Update(1, false), RunOutcome::kCompleted);
  const std::vector<std::string> requests = files.RequestsFor("big.gz");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], requests[1]);
  EXPECT_EQ(RequestHeader(requests[1], "Range"), "");
  EXPECT_EQ(engine->resume_saved_bytes(), 0);
}

// A large raw file whose download fails in one run after 70 % arrived.
class KeptAcrossRunsTest : public ResumeTest {
 protected:
  void SetUp() override {
    files.Put("large.bin", Noise(kLarge, 2), "\"a\"");
    files.Put("update3.dat", JoinLines(WithHeader({"O large.bin large.bin 1"})));
    files.Script("large.bin", {{Fault::kCut, kCut}, {Fault::kRefuse}, {Fault::kRefuse}});
    ASSERT_EQ(Update(), RunOutcome::kDownloadFailed);
    EXPECT_FALSE(dir.Exists("large.bin"));
    EXPECT_EQ(KeptFiles().size(), 2u);  // the bytes and their note
  }
  static constexpr int64_t kLarge = 9 << 20;
  static constexpr int64_t kCut = kLarge * 7 / 10;
};

TEST_F(KeptAcrossRunsTest, TheNextRunAsksForTheRestUnlessTheFileChanged) {
  const struct {
    const char* name;
    bool changed;
    int64_t bytes_sent;
    int64_t saved;
  } cases[] = {
      {"same file", false, kLarge - kCut, kCut},
      {"changed on the server", true, kLarge, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.changed) {
      files.Put("large.bin", Noise(kLarge, 3), "\"b\"");
      files.Script("large.bin", {{Fault::kCut, kCut}, {Fault::kRefuse}, {Fault::kRefuse}});
      fs::remove(dir.path() / "large.bin");
      fs::remove(dir.path() / "update2.dat");
      ASSERT_EQ(Update(), RunOutcome::kDownloadFailed);
      files.Put("large.bin", Noise(kLarge, 4), "\"c\"");
    }
    const int64_t sent_before = files.BodyBytesSent("large.bin");
    ASSERT_EQ(Update(), RunOutcome::kCompleted);
    EXPECT_EQ(dir.Read("large.bin"), Noise(kLarge, c.changed ? 4 : 2));
    EXPECT_EQ(RequestHeader(files.RequestsFor("large.bin").back(), "Range"),
              "bytes=" + std::to_string(kCut) + "-");
    EXPECT_EQ(files.BodyBytesSent("large.bin") - sent_before, c.bytes_sent);
    EXPECT_EQ(engine->resume_saved_bytes(), c.saved);
    EXPECT_EQ(KeptFiles(), std::vector<std::string>{});
  }
}

TEST_F(KeptAcrossRunsTest, KeptBytesOfAFileNoLongerListedAreRemoved) {
  files.Put("small.txt", "small");
  files.Put("update3.dat", JoinLines(WithHeader({"O small.txt s.txt 1"})));
  ASSERT_EQ(Update(), RunOutcome::kCompleted);
  EXPECT_EQ(KeptFiles(), std::vector<std::string>{});
}

// nginx honours Range with If-Range; past 90 % of the file it sends a byte a second, so that
// the stall limit cuts the first attempt there, while the rest is short enough to come at once.
TEST_F(EngineTest, ALargeFileCutAt90PercentByNginxCostsAboutATenthMore) {
  if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed";
  constexpr int64_t kSize = 64 << 20;
  const fs::path site = dir.path().parent_path() / "site";
  fs::create_directories(site);
  const std::string content = Noise(kSize, 5);
  std::ofstream(site / "big.bin", std::ios::binary) << content;
  std::ofstream(site / "update3.dat", std::ios::binary)
      << JoinLines(WithHeader({"O big.bin big.bin 1"}));
  NginxServer nginx(site, std::nullopt,
                    "limit_rate_after " + std::to_string(kSize * 9 / 10) + "; limit_rate 1;");
  WriteWeb0({nginx.base_url()});
  MakeEngine();
  engine->SetHttpTimeouts({2000, 1000});
  engine->FormResize();
  engine->StartPictureClicked();

  ASSERT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_TRUE(dir.Read("big.bin") == content);
  int64_t on_the_wire = 0;
  std::vector<int> statuses;
  // The list, the cut attempt and the rest.
  for (const AccessLogLine& line : nginx.AccessLogOf(3)) {
    if (line.uri != "/big.bin") continue;
    statuses.push_back(line.status);
    on_the_wire += line.body_bytes;
  }
  EXPECT_EQ(statuses, (std::vector<int>{200, 206}));
  EXPECT_LT(on_the_wire, kSize * 112 / 100);
}

}  // namespace
}  // namespace veyra::testing
