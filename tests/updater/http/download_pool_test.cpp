#include "updater/http/download_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/fault_server.h"
#include "support/static_files.h"

namespace veyra {
namespace {

using testing::FaultConnection;
using testing::FaultServer;
using testing::RequestPath;

constexpr HttpTimeouts kTimeouts{2000, 2000};

// Drives the pool until `id` has finished, for at most five seconds.
bool DriveUntilFinished(DownloadPool& pool, size_t id) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!pool.Finished(id) && std::chrono::steady_clock::now() < deadline) pool.Drive(20);
  return pool.Finished(id);
}

// Paths "/<n>" are answered with a chunked body of n KiB (no Content-Length to go by); "/slow"
// after a pause.
void Answer(FaultConnection& connection, const std::string& request) {
  const std::string path = RequestPath(request);
  if (path == "slow") connection.Sleep(300);
  const size_t kib = path == "slow" ? 1 : std::stoul(path);
  connection.Send(FaultServer::Head(200, {"Transfer-Encoding: chunked"}) +
                  FaultServer::Chunked({std::string(kib * 1024, 'x')}));
}

TEST(DownloadPoolTest, BodiesAheadOfTheTurnAreRefusedBeyondTheBudgetEvenWithoutALength) {
  FaultServer server(Answer);
  DownloadPool pool(4, 150 * 1024, {}, kTimeouts);
  pool.SetTurn(0);
  for (size_t id = 1; id <= 3; ++id) ASSERT_TRUE(pool.Start(id, server.base_url() + "100"));
  for (size_t id = 1; id <= 3; ++id) ASSERT_TRUE(DriveUntilFinished(pool, id));

  int refused = 0;
  for (size_t id = 1; id <= 3; ++id) refused += pool.Refused(id) ? 1 : 0;
  EXPECT_EQ(refused, 2);  // only one 100 KiB body fits into 150 KiB
  EXPECT_LE(pool.peak_bytes_ahead(), 150 * 1024);
  EXPECT_LE(pool.BytesAhead(), 150 * 1024);

  // The turn itself is never held to the budget.
  ASSERT_TRUE(pool.Start(0, server.base_url() + "400"));
  ASSERT_TRUE(DriveUntilFinished(pool, 0));
  const HttpReply reply = pool.Take(0);
  EXPECT_TRUE(reply.ok) << reply.error;
  EXPECT_EQ(reply.body.size(), 400u * 1024);
}

TEST(DownloadPoolTest, TheTurnTakesTheConnectionOfTheFurthestDownload) {
  FaultServer server(Answer);
  DownloadPool pool(2, int64_t{1} << 30, {}, kTimeouts);
  pool.SetTurn(0);
  ASSERT_TRUE(pool.Start(1, server.base_url() + "slow"));
  ASSERT_TRUE(pool.Start(2, server.base_url() + "slow"));
  EXPECT_FALSE(pool.Start(3, server.base_url() + "1"));  // nothing after 3 to give way
  ASSERT_TRUE(pool.Start(0, server.base_url() + "1"));

  EXPECT_FALSE(pool.Has(2));
  ASSERT_TRUE(DriveUntilFinished(pool, 0));
  EXPECT_TRUE(pool.Take(0).ok);
  ASSERT_TRUE(DriveUntilFinished(pool, 1));
}

TEST(DownloadPoolTest, EveryConnectionOpenedIsReportedClosed) {
  FaultServer server(Answer);
  int open = 0;
  int most_open = 0;
  HttpEvents events;
  events.connected = [&] { most_open = std::max(most_open, ++open); };
  events.disconnected = [&] { --open; };
  {
    DownloadPool pool(3, int64_t{1} << 30, events, kTimeouts);
    for (size_t turn = 0; turn < 9; ++turn) {
      pool.SetTurn(turn);
      for (size_t id = turn; id < turn + 3; ++id) pool.Start(id, server.base_url() + "8");
      ASSERT_TRUE(DriveUntilFinished(pool, turn));
      EXPECT_TRUE(pool.Take(turn).ok);
    }
    EXPECT_EQ(pool.open_connections(), open);
  }
  EXPECT_EQ(most_open, 3);
  EXPECT_EQ(open, 0);
  EXPECT_LE(server.peak_open_connections(), 3);
}

}  // namespace
}  // namespace veyra
