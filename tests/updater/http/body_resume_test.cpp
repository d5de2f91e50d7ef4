#include "updater/http/body_resume.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fault_server.h"
#include "updater/http/event_log.h"
#include "updater/http/http_client.h"

namespace veyra {
namespace {

using ::testing::ElementsAre;
using testing::EventLog;
using testing::FaultConnection;
using testing::FaultServer;

ReplyHead HeadOf(const std::vector<std::string>& lines) {
  ReplyHead head;
  for (const std::string& line : lines) head.Feed(line + "\r\n");
  head.Feed("\r\n");
  return head;
}

TEST(BodyResumeTest, OnlyAStrongValidatorOfAServerThatTakesRangesIsUsed) {
  const struct {
    std::vector<std::string> lines;
    std::string validator;
  } cases[] = {
      {{"HTTP/1.1 200 OK", "Accept-Ranges: bytes", "ETag: \"e\"", "Last-Modified: M"}, "\"e\""},
      {{"HTTP/1.1 200 OK", "Accept-Ranges: bytes", "ETag: W/\"e\"", "Last-Modified: M"}, "M"},
      {{"HTTP/1.1 200 OK", "Accept-Ranges: bytes", "ETag: W/\"e\""}, ""},
      {{"HTTP/1.1 200 OK", "ETag: \"e\""}, ""},  // never asked of a server that did not offer
      {{"HTTP/1.1 200 OK", "Accept-Ranges: none", "ETag: \"e\""}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResumeValidator(HeadOf(c.lines)), c.validator) << ::testing::PrintToString(c.lines);
  }
}

TEST(BodyResumeTest, OnlyA206FromTheKeptLengthToTheEndContinues) {
  const struct {
    std::vector<std::string> lines;
    bool continues;
  } cases[] = {
      {{"HTTP/1.1 206 P", "Content-Range: bytes 4-9/10", "Content-Length: 6"}, true},
      {{"HTTP/1.1 206 P", "Content-Range: bytes 5-9/10", "Content-Length: 5"}, false},
      {{"HTTP/1.1 206 P", "Content-Range: bytes 4-8/10", "Content-Length: 5"}, false},
      {{"HTTP/1.1 206 P", "Content-Range: bytes 4-10/11", "Content-Length: 7"}, false},
      {{"HTTP/1.1 206 P", "Content-Range: bytes 4-9/*", "Content-Length: 6"}, false},
      {{"HTTP/1.1 206 P", "Content-Range: bytes 4-9/10", "Content-Length: 5"}, false},
      {{"HTTP/1.1 206 P", "Content-Range: items 4-9/10", "Content-Length: 6"}, false},
      {{"HTTP/1.1 206 P", "Content-Length: 6"}, false},
      {{"HTTP/1.1 200 OK", "Content-Range: bytes 4-9/10", "Content-Length: 6"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RangeContinues(HeadOf(c.lines), 4, 10), c.continues)
        << ::testing::PrintToString(c.lines);
  }
}

TEST(BodyResumeTest, TheClientAsksForTheRestAndCountsTheKeptBytesAsReceived) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Send(
        FaultServer::Reply(206, "456789", {"Content-Range: bytes 4-9/10", "Accept-Ranges: bytes"}));
  });
  EventLog log;
  HttpClient client(log.events());
  BodyResume resume{"0123", "\"v\"", 10, 0};
  const HttpReply reply = client.Get(server.base_url() + "f", {}, -1, &resume);

  EXPECT_TRUE(reply.ok) << reply.error;
  EXPECT_TRUE(reply.resumed);
  EXPECT_EQ(reply.body, "0123456789");
  EXPECT_EQ(reply.content_length, 10);
  EXPECT_EQ(resume.continued_from, 4);
  EXPECT_THAT(log.Compact(), ElementsAre("connected", "begin:10", "work:10", "end"));
  EXPECT_EQ(server.requests().at(0),
            "GET /f HTTP/1.1\r\n"
            "Host: 127.0.0.1\r\n"
            "Accept: text/html, */*\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
            "Range: bytes=4-\r\n"
            "If-Range: \"v\"\r\n"
            "\r\n");
}

}  // namespace
}  // namespace veyra
