#include "updater/http/reply_head.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "updater/http/http_target.h"

namespace veyra {
namespace {

TEST(ParseContentLengthTest, AcceptsOnlyDecimalNumbers) {
  const struct {
    const char* value;
    int64_t expected;
  } cases[] = {
      {"0", 0},
      {"1234", 1234},
      {"  42 \t", 42},
      {"3000000000", 3000000000LL},
      {"99999999999999999999999", INT64_MAX},  // saturates instead of wrapping
      {"", 0},
      {"-5", 0},
      {"+5", 0},
      {"12abc", 0},
      {"0x10", 0},
      {"1 2", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseContentLength(c.value), c.expected) << "value '" << c.value << "'";
  }
}

ReplyHead FeedAll(const std::vector<std::string>& lines) {
  ReplyHead head;
  for (const std::string& line : lines) head.Feed(line + "\r\n");
  return head;
}

TEST(ReplyHeadTest, ReadsStatusAndTheHeadersThatMatter) {
  const ReplyHead head = FeedAll({"HTTP/1.1 404 Not Found", "content-length:  17 ",
                                  "Transfer-Encoding: gzip, Chunked", "X-Other: 1", ""});
  EXPECT_EQ(head.status, 404);
  EXPECT_EQ(head.status_line, "HTTP/1.1 404 Not Found");
  EXPECT_EQ(head.content_length, 17);
  EXPECT_TRUE(head.chunked);
  EXPECT_FALSE(head.connection_close);
  EXPECT_FALSE(head.version_1_0);
  EXPECT_TRUE(head.complete);
}

TEST(ReplyHeadTest, ConnectionCloseIsTrimmedAndCaseBlind) {
  const struct {
    const char* line;
    bool close;
  } cases[] = {
      {"Connection: close", true},    {"cOnNeCtIoN:   CLOSE  ", true},
      {"Connection:\tClose\t", true}, {"Connection: keep-alive", false},
      {"Connection: closed", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FeedAll({"HTTP/1.1 200 OK", c.line, ""}).connection_close, c.close) << c.line;
  }
  EXPECT_TRUE(FeedAll({"HTTP/1.0 200 OK", ""}).version_1_0);
}

TEST(ReplyHeadTest, TellsTheProtocolVersionFromTheStatusLine) {
  const struct {
    const char* status_line;
    bool version_1_0;
    bool version_2;
  } cases[] = {
      {"HTTP/1.0 200 OK", true, false},
      {"HTTP/1.1 200 OK", false, false},
      {"HTTP/2 200", false, true},
      {"HTTP/2 404", false, true},
  };
  for (const auto& c : cases) {
    const ReplyHead head = FeedAll({c.status_line, ""});
    EXPECT_EQ(head.version_1_0, c.version_1_0) << c.status_line;
    EXPECT_EQ(head.version_2, c.version_2) << c.status_line;
    EXPECT_GT(head.status, 0) << c.status_line;
  }
}

TEST(ReplyHeadTest, InterimReplyIsReplacedByTheFinalOne) {
  const ReplyHead head =
      FeedAll({"HTTP/1.1 100 Continue", "Content-Length: 9", "", "HTTP/1.1 200 OK", ""});
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.content_length, 0);
  EXPECT_TRUE(head.complete);
}

TEST(ReplyHeadTest, AStatusBelowOneHundredIsNoStatusAndStillEndsTheHead) {
  const ReplyHead head = FeedAll({"HTTP/1.1 099 Odd", ""});
  EXPECT_EQ(head.status, 0);
  EXPECT_TRUE(head.complete);
}

TEST(ReplyHeadTest, TrailersAfterTheHeaderBlockChangeNothing) {
  const ReplyHead head = FeedAll({"HTTP/1.1 200 OK", "Transfer-Encoding: chunked", "",
                                  "Content-Length: 5", "HTTP/1.1 500 Oops"});
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.content_length, 0);
}

TEST(ParseHttpTargetTest, SplitsSchemeHostAndPort) {
  const struct {
    const char* url;
    const char* scheme;
    const char* host;
    long port;
    const char* sent;
  } cases[] = {
      {"http://update.example.com/list.txt", "http", "update.example.com", 80,
       "http://update.example.com/list.txt"},
      {"http://127.0.0.1:8080/a/b.bin", "http", "127.0.0.1", 8080, "http://127.0.0.1:8080/a/b.bin"},
      {"http://host/dir/my file.gz", "http", "host", 80, "http://host/dir/my%20file.gz"},
      {"http://host/x\r\nEvil: 1", "http", "host", 80, "http://host/x%0D%0AEvil:%201"},
      {"https://update.example.com/list.txt", "https", "update.example.com", 443,
       "https://update.example.com/list.txt"},
      {"HTTPS://host:8443/a b", "https", "host", 8443, "HTTPS://host:8443/a%20b"},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto target = ParseHttpTarget(c.url, error);
    ASSERT_TRUE(target.has_value()) << c.url << ": " << error;
    EXPECT_EQ(target->scheme, c.scheme);
    EXPECT_EQ(target->host, c.host);
    EXPECT_EQ(target->port, c.port);
    EXPECT_EQ(target->url, c.sent);
  }
}

TEST(ParseHttpTargetTest, OriginsDifferBySchemeHostAndPort) {
  const auto origin = [](const char* url) {
    std::string error;
    return ParseHttpTarget(url, error).value().origin;
  };
  EXPECT_EQ(origin("http://host/a"), origin("http://host:80/b"));
  EXPECT_EQ(origin("https://host/a"), origin("https://host:443/b"));
  EXPECT_NE(origin("http://host:8000/a"), origin("https://host:8000/a"));
  EXPECT_NE(origin("http://host:8000/a"), origin("http://host:8001/a"));
  EXPECT_NE(origin("http://host/a"), origin("http://other/a"));
}

TEST(ParseHttpTargetTest, RejectsWhatIsNotAnAbsoluteHttpUrl) {
  for (const char* url : {"", "list.txt", "/list.txt", "ftp://host/x", "httpss://host/x", "http://",
                          "http://:80/x", "http://host:99999/x"}) {
    std::string error;
    EXPECT_FALSE(ParseHttpTarget(url, error).has_value()) << url;
    EXPECT_FALSE(error.empty()) << url;
  }
}

}  // namespace
}  // namespace veyra
