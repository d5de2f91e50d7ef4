#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "support/file_content.h"
#include "support/nginx_server.h"
#include "support/temp_folder.h"
#include "support/test_certificates.h"
#include "updater/http/download_pool.h"
#include "updater/http/http_client.h"

namespace veyra {
namespace {

using testing::AccessLogLine;
using testing::FileContent;
using testing::NginxServer;
using testing::TempFolder;
using testing::TestCertificates;

constexpr HttpTimeouts kTimeouts{5000, 5000};

std::string FileName(int index) {
  return "f/" + std::to_string(index) + ".dat";
}

class HttpsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (NginxServer::Available() && TestCertificates::Available()) {
      certificates_ = std::make_unique<TestCertificates>();
    }
  }
  static void TearDownTestSuite() { certificates_.reset(); }

  void SetUp() override {
    if (!certificates_) GTEST_SKIP() << "nginx or openssl is not installed; skipping";
  }

  const TestCertificates& certs() const { return *certificates_; }
  HttpTrust Pinned() const { return HttpTrust{certs().ca_bundle().string()}; }

  static std::unique_ptr<TestCertificates> certificates_;
  TempFolder root_;
};

std::unique_ptr<TestCertificates> HttpsTest::certificates_;

TEST_F(HttpsTest, FetchesFilesByteForByteOverHttp2WithThePinnedBundle) {
  root_.Write("a.bin", FileContent(1, 300000));
  root_.Write("b.bin", FileContent(2, 1000));
  NginxServer nginx(root_.path(), certs().local());
  int connects = 0;
  HttpEvents events;
  events.connected = [&] { ++connects; };
  HttpClient client(events, kTimeouts);
  client.SetTrust(Pinned());

  const HttpReply first = client.Get(nginx.base_url() + "a.bin");
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_EQ(first.content_length, 300000);
  EXPECT_EQ(first.body, FileContent(1, 300000));
  const HttpReply second = client.Get(nginx.base_url() + "b.bin");
  ASSERT_TRUE(second.ok) << second.error;
  EXPECT_EQ(second.body, FileContent(2, 1000));
  EXPECT_EQ(connects, 1);
  const std::vector<AccessLogLine> log = nginx.AccessLogOf(2);
  ASSERT_EQ(log.size(), 2u);
  for (const AccessLogLine& line : log) EXPECT_EQ(line.protocol, "HTTP/2.0");
  EXPECT_EQ(log[0].connection, log[1].connection);
}

TEST_F(HttpsTest, RefusesServersThePinnedBundleDoesNotVouchFor) {
  root_.Write("a.bin", "content");
  const struct {
    const char* name;
    std::optional<testing::TlsFiles> tls;
  } cases[] = {
      {"certificate for another name", certs().other_name()},
      {"expired certificate", certs().expired()},
      {"certificate from an unpinned CA", certs().unpinned()},
      {"plain http port", std::nullopt},
  };
  for (const auto& c : cases) {
    NginxServer nginx(root_.path(), c.tls);
    HttpClient client({}, kTimeouts);
    client.SetTrust(Pinned());
    const std::string url = "https://127.0.0.1:" + std::to_string(nginx.port()) + "/a.bin";
    const HttpReply reply = client.Get(url);
    EXPECT_FALSE(reply.ok) << c.name;
    EXPECT_EQ(reply.status, 0) << c.name;
    EXPECT_TRUE(reply.body.empty()) << c.name;
    EXPECT_FALSE(reply.error.empty()) << c.name;
    // Nothing was asked of a server that failed the check.
    if (c.tls) {
      EXPECT_TRUE(nginx.AccessLog().empty()) << c.name;
    }
  }
}

TEST_F(HttpsTest, TrustChangesWithTheNextGet) {
  root_.Write("a.bin", "content");
  NginxServer nginx(root_.path(), certs().local());
  HttpClient client({}, kTimeouts);
  const std::string url = nginx.base_url() + "a.bin";

  client.SetTrust(HttpTrust{certs().other_ca_bundle().string()});
  EXPECT_FALSE(client.Get(url).ok);
  client.SetTrust(Pinned());
  const HttpReply pinned = client.Get(url);
  EXPECT_TRUE(pinned.ok) << pinned.error;
  // The system's store has never heard of the test CA, and the bundle no longer counts.
  client.SetTrust({});
  EXPECT_FALSE(client.Get(url).ok);
}

// Runs the pool over `files` downloads in queue order as the main pass would, each one's turn
// after the one before; returns how many were delivered whole and right. Bounded to 30 seconds.
int DownloadInOrder(DownloadPool& pool, const std::string& base_url, int files, size_t size,
                    int& most_in_flight) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int next = 0;
  int turn = 0;
  int good = 0;
  most_in_flight = 0;
  while (turn < files && std::chrono::steady_clock::now() < deadline) {
    while (next < files && pool.FreeSlots() > 0) {
      pool.Start(next, base_url + FileName(next));
      ++next;
    }
    int in_flight = 0;
    for (int id = turn; id < next; ++id) in_flight += pool.Finished(id) ? 0 : 1;
    most_in_flight = std::max(most_in_flight, in_flight);
    pool.Drive(20);
    for (; turn < next && pool.Finished(turn); ++turn) {
      const HttpReply reply = pool.Take(turn);
      if (reply.ok && reply.body == FileContent(turn, size + turn)) ++good;
      pool.SetTurn(turn + 1);
    }
  }
  return good;
}

TEST_F(HttpsTest, PoolCarriesItsDownloadsAsStreamsOfOneHttp2Connection) {
  constexpr int kFiles = 50;
  constexpr size_t kSize = 20000;
  for (int i = 0; i < kFiles; ++i) root_.Write(FileName(i), FileContent(i, kSize + i));
  NginxServer nginx(root_.path(), certs().local());
  int connects = 0;
  int disconnects = 0;
  HttpEvents events;
  events.connected = [&] { ++connects; };
  events.disconnected = [&] { ++disconnects; };
  {
    DownloadPool pool(6, int64_t{1} << 30, events, kTimeouts, Pinned());
    int most_in_flight = 0;
    EXPECT_EQ(DownloadInOrder(pool, nginx.base_url(), kFiles, kSize, most_in_flight), kFiles);
    EXPECT_TRUE(pool.multiplexing());
    EXPECT_GT(most_in_flight, 6);
    EXPECT_LE(most_in_flight, DownloadPool::kMostStreams);
    EXPECT_EQ(pool.open_connections(), 1);
  }
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(disconnects, 1);

  const std::vector<AccessLogLine> log = nginx.AccessLog();
  ASSERT_EQ(log.size(), static_cast<size_t>(kFiles));
  std::set<long> connections;
  for (const AccessLogLine& line : log) {
    connections.insert(line.connection);
    EXPECT_EQ(line.protocol, "HTTP/2.0") << line.uri;
    EXPECT_EQ(line.status, 200) << line.uri;
  }
  EXPECT_EQ(connections.size(), 1u);
}

TEST_F(HttpsTest, HttpUrlsStayOnHttp11OneDownloadPerConnection) {
  constexpr int kFiles = 12;
  for (int i = 0; i < kFiles; ++i) root_.Write(FileName(i), FileContent(i, 1000 + i));
  NginxServer nginx(root_.path());
  DownloadPool pool(3, int64_t{1} << 30, {}, kTimeouts, Pinned());

  int most_in_flight = 0;
  EXPECT_EQ(DownloadInOrder(pool, nginx.base_url(), kFiles, 1000, most_in_flight), kFiles);
  EXPECT_FALSE(pool.multiplexing());
  EXPECT_LE(most_in_flight, 3);
  for (const AccessLogLine& line : nginx.AccessLog()) EXPECT_EQ(line.protocol, "HTTP/1.1");
}

}  // namespace
}  // namespace veyra
