#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

#include "support/fault_server.h"
#include "support/static_files.h"
#include "updater/http/download_pool.h"
#include "updater/http/http_client.h"

namespace veyra {
namespace {

using testing::FaultConnection;
using testing::FaultServer;
using testing::RequestPath;

constexpr HttpTimeouts kTimeouts{2000, 2000};
constexpr int64_t kLimit = 100000;
// The endless body: pieces of 64 KiB, a millisecond apart, for seconds, unless the client goes.
constexpr int kEndlessPieces = 4000;

// "/exact" has a body of kLimit bytes, "/announced" announces one byte more, "/endless" sends
// a chunked body that never ends; `sending` is true while an endless body is being sent.
class LongBodies {
 public:
  LongBodies()
      : server_([this](FaultConnection& connection, const std::string& request) {
          Answer(connection, request);
        }) {}

  std::string url(const char* path) const { return server_.base_url() + path; }
  bool sending() const { return sending_; }

 private:
  void Answer(FaultConnection& connection, const std::string& request) {
    const std::string path = RequestPath(request);
    if (path == "exact") {
      connection.Send(FaultServer::Reply(200, std::string(kLimit, 'x')));
    } else if (path == "announced") {
      connection.Send(FaultServer::Head(200, {"Content-Length: " + std::to_string(kLimit + 1)}) +
                      std::string(kLimit + 1, 'x'));
    } else {
      connection.Send(FaultServer::Head(200, {"Transfer-Encoding: chunked"}));
      sending_ = true;
      const std::string piece = FaultServer::Chunked({std::string(64 * 1024, 'x')});
      const std::string chunk = piece.substr(0, piece.size() - 5);  // without the last chunk
      for (int i = 0; i < kEndlessPieces && !connection.closed(); ++i) {
        connection.Send(chunk);
        connection.Sleep(1);
      }
      sending_ = false;
      connection.Close();
    }
  }

  std::atomic<bool> sending_{false};
  FaultServer server_;
};

struct LimitCase {
  const char* path;
  int64_t limit;
  bool ok;
};

const LimitCase kCases[] = {
    {"exact", kLimit, true}, {"exact", -1, true},        {"announced", kLimit, false},
    {"announced", -1, true}, {"endless", kLimit, false},
};

// A failed case must have failed for its length, and before the server was done sending.
void ExpectVerdict(const LimitCase& c, const HttpReply& reply, const LongBodies& server) {
  const std::string name = std::string(c.path) + " limit " + std::to_string(c.limit);
  EXPECT_EQ(reply.ok, c.ok) << name << ": " << reply.error;
  if (c.ok) return;
  EXPECT_EQ(reply.error, kBodyTooLong) << name;
  EXPECT_LE(static_cast<int64_t>(reply.body.size()), c.limit) << name;
  if (std::string(c.path) == "endless") {
    EXPECT_TRUE(server.sending()) << name;
  } else {
    EXPECT_TRUE(reply.body.empty()) << name << ": cut only once the body came";
  }
}

TEST(BodyLimitTest, ClientEndsRepliesLongerThanTheLimitAtOnce) {
  LongBodies server;
  for (const LimitCase& c : kCases) {
    HttpClient client({}, kTimeouts);
    ExpectVerdict(c, client.Get(server.url(c.path), {}, c.limit), server);
  }
}

TEST(BodyLimitTest, PoolEndsDownloadsLongerThanTheirLimitAtOnce) {
  LongBodies server;
  DownloadPool pool(2, int64_t{1} << 30, {}, kTimeouts);
  size_t id = 0;
  for (const LimitCase& c : kCases) {
    pool.SetTurn(id);
    ASSERT_TRUE(pool.Start(id, server.url(c.path), c.limit));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!pool.Finished(id) && std::chrono::steady_clock::now() < deadline) pool.Drive(20);
    ASSERT_TRUE(pool.Finished(id)) << c.path;
    ExpectVerdict(c, pool.Take(id), server);
    ++id;
  }
}

}  // namespace
}  // namespace veyra
