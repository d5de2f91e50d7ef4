#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/file_content.h"
#include "support/nginx_server.h"
#include "support/temp_folder.h"
#include "updater/http/event_log.h"
#include "updater/http/http_client.h"

namespace veyra {
namespace {

using ::testing::ElementsAre;
using testing::EventLog;
using testing::FileContent;
using testing::NginxServer;
using testing::TempFolder;

class HttpClientNginxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed; skipping";
  }
  TempFolder root_;
};

TEST_F(HttpClientNginxTest, FetchesAFileAndReportsAMissingOne) {
  const std::string content = FileContent(0, 300000);
  root_.Write("data/update.bin", content);
  NginxServer nginx(root_.path());
  EventLog log;
  HttpClient client(log.events());

  const HttpReply reply = client.Get(nginx.base_url() + "data/update.bin");
  ASSERT_TRUE(reply.ok) << reply.error;
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.content_length, 300000);
  EXPECT_EQ(reply.body, content);

  const HttpReply missing = client.Get(nginx.base_url() + "data/absent.bin");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.status, 404);
  EXPECT_FALSE(missing.body.empty());  // nginx's error page is read too

  EXPECT_THAT(log.Compact(), ElementsAre("connected", "begin:300000", "work:300000", "end",
                                         "begin:" + std::to_string(missing.content_length),
                                         "work:" + std::to_string(missing.body.size()), "end"));
}

TEST_F(HttpClientNginxTest, ThousandFilesOverOneConnection) {
  constexpr int kFiles = 1000;
  for (int i = 0; i < kFiles; ++i) {
    root_.Write("f/" + std::to_string(i) + ".dat", FileContent(i, 100 + i));
  }
  NginxServer nginx(root_.path());
  int connects = 0;
  int disconnects = 0;
  HttpEvents events;
  events.connected = [&] { ++connects; };
  events.disconnected = [&] { ++disconnects; };
  HttpClient client(events);
  int good = 0;
  for (int i = 0; i < kFiles; ++i) {
    const HttpReply reply = client.Get(nginx.base_url() + "f/" + std::to_string(i) + ".dat");
    if (reply.ok && reply.body == FileContent(i, 100 + i) && reply.content_length == 100 + i) {
      ++good;
    } else {
      ADD_FAILURE() << "file " << i << ": " << reply.error;
      break;
    }
  }
  EXPECT_EQ(good, kFiles);
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(disconnects, 0);
}

}  // namespace
}  // namespace veyra
