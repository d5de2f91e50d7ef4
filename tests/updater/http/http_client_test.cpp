#include "updater/http/http_client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/fault_server.h"
#include "support/scoped_hooks.h"
#include "updater/http/allocation_probe.h"
#include "updater/http/event_log.h"

namespace veyra {
namespace {

using ::testing::ElementsAre;
using testing::EventLog;
using testing::FaultConnection;
using testing::FaultServer;
using ::testing::HasSubstr;

constexpr HttpTimeouts kShortTimeouts{2000, 300};

// A server that answers every request with the same bytes.
FaultServer::Handler Always(std::string reply) {
  return [reply](FaultConnection& connection, const std::string&) { connection.Send(reply); };
}

TEST(HttpClientTest, SendsExactlyTheFixedRequest) {
  FaultServer server(Always(FaultServer::Reply(200, "x")));
  HttpClient client;
  ASSERT_TRUE(client.Get(server.base_url() + "dir/update list.txt?v=1").ok);
  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0],
            "GET /dir/update%20list.txt?v=1 HTTP/1.1\r\n"
            "Host: 127.0.0.1\r\n"
            "Accept: text/html, */*\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
            "\r\n");
}

// How the client reads replies of every shape; each case runs against a fresh server.
TEST(HttpClientTest, ReadsEveryReplyShape) {
  const std::string ten = "0123456789";
  const struct {
    const char* name;
    FaultServer::Handler handler;
    bool ok;
    long status;
    int64_t content_length;
    std::string body;
  } cases[] = {
      {"plain", Always(FaultServer::Reply(200, ten)), true, 200, 10, ten},
      {"empty with length 0", Always(FaultServer::Reply(200, "")), true, 200, 0, ""},
      {"body longer than its length", Always(FaultServer::Head(200, {"Content-Length: 4"}) + ten),
       true, 200, 4, "0123"},
      {"shorter than its length, then dropped",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {"Content-Length: 20"}) + ten);
         c.Close();
       },
       false, 200, 20, ten},
      {"no length, read until close",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {}) + ten);
         c.Close();
       },
       true, 200, 0, ten},
      {"no length and no body",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {}));
         c.Close();
       },
       true, 200, 0, ""},
      // A malformed length makes the reply unreadable: it fails rather than guessing.
      {"length not decimal",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {"Content-Length: ten"}) + ten);
         c.Close();
       },
       false, 200, 0, ""},
      {"chunked",
       Always(FaultServer::Head(200, {"Transfer-Encoding: chunked"}) +
              FaultServer::Chunked({"0123", "456789"})),
       true, 200, 0, ten},
      {"HTTP/1.0 reply",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {"Content-Length: 10"}, "HTTP/1.0") + ten);
       },
       true, 200, 10, ten},
      {"404 with a body", Always(FaultServer::Reply(404, "no such file")), false, 404, 12,
       "no such file"},
      {"500 with a body", Always(FaultServer::Reply(500, "oops")), false, 500, 4, "oops"},
      // Part of a file that was not asked for: the client never asks for a range.
      {"206 to a request without a range",
       Always(FaultServer::Reply(206, "6789", {"Content-Range: bytes 6-9/10"})), false, 206, 4,
       "6789"},
      {"dropped mid-body",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {"Content-Length: 1000"}) + "01234");
         c.Sleep(50);
         c.Close();
       },
       false, 200, 1000, "01234"},
      {"chunked, dropped mid-body",
       [&](FaultConnection& c, const std::string&) {
         c.Send(FaultServer::Head(200, {"Transfer-Encoding: chunked"}) + "a\r\n01234");
         c.Close();
       },
       false, 200, 0, "01234"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FaultServer server(c.handler);
    HttpClient client({}, kShortTimeouts);
    const HttpReply reply = client.Get(server.base_url() + "file.bin");
    EXPECT_EQ(reply.ok, c.ok) << reply.error;
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.content_length, c.content_length);
    EXPECT_EQ(reply.body, c.body);
    EXPECT_EQ(reply.error.empty(), c.ok) << reply.error;
    EXPECT_EQ(server.requests().size(), 1u);
  }
}

TEST(HttpClientTest, ErrorRepliesNameTheirStatusLine) {
  FaultServer server(Always(FaultServer::Reply(404, "missing")));
  HttpClient client;
  const HttpReply reply = client.Get(server.base_url() + "x");
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.error, "HTTP/1.1 404 Not Found");
}

TEST(HttpClientTest, RedirectsFailAndAreNotFollowed) {
  for (int status : {301, 302}) {
    FaultServer server(Always(FaultServer::Reply(status, "moved", {"Location: /elsewhere.txt"})));
    HttpClient client({}, kShortTimeouts);
    const HttpReply reply = client.Get(server.base_url() + "file.txt");
    EXPECT_FALSE(reply.ok) << status;
    EXPECT_EQ(reply.status, status);
    EXPECT_EQ(reply.body, "moved");
    EXPECT_EQ(server.requests().size(), 1u) << status;
  }
}

TEST(HttpClientTest, IdleTimeoutFailsStalledReplies) {
  const struct {
    const char* name;
    std::string sent;  // then the server keeps the connection open and says nothing
    std::string body;
  } cases[] = {
      {"no reply at all", "", ""},
      {"headers only", FaultServer::Head(200, {"Content-Length: 10"}), ""},
      {"body shorter than its length", FaultServer::Head(200, {"Content-Length: 10"}) + "0123",
       "0123"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FaultServer server([&](FaultConnection& connection, const std::string&) {
      connection.Send(c.sent);
      connection.Sleep(5000);
    });
    EventLog log;
    HttpClient client(log.events(), kShortTimeouts);
    const auto start = std::chrono::steady_clock::now();
    const HttpReply reply = client.Get(server.base_url() + "slow");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, "read timed out");
    EXPECT_EQ(reply.body, c.body);
    // Functional check only: it gave up long before the server's 5 s stall ended.
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    ASSERT_FALSE(log.words.empty());
    EXPECT_EQ(log.words.front(), "connected");
    EXPECT_EQ(log.words.back(), "disconnected");  // the attempt's connection is given up
  }
}

TEST(HttpClientTest, SlowButSteadyReplyOutlivesTheIdleTimeout) {
  const std::string body(40, 'z');
  FaultServer server([&](FaultConnection& connection, const std::string&) {
    connection.SendSlowly(FaultServer::Reply(200, body), 8, 60);  // about 0.5 s in total
  });
  HttpClient client({}, kShortTimeouts);
  const HttpReply reply = client.Get(server.base_url() + "trickle");
  EXPECT_TRUE(reply.ok) << reply.error;
  EXPECT_EQ(reply.body, body);
}

// A byte now and then keeps the idle check quiet; an average below 1 KiB/s for as long as the
// stall limit fails the attempt all the same.
TEST(HttpClientTest, DrippingReplyFailsOnceItStaysTooSlowForTheStallLimit) {
  const std::string body(40, 'd');  // 10 s at one byte every 250 ms
  FaultServer server([&](FaultConnection& connection, const std::string&) {
    connection.Send(FaultServer::Head(200, {"Content-Length: 40"}));
    connection.SendSlowly(body, 1, 250);
  });
  HttpClient client({}, {2000, 1000});
  const HttpReply reply = client.Get(server.base_url() + "drip");
  EXPECT_FALSE(reply.ok);
  EXPECT_FALSE(reply.error.empty());
  EXPECT_LT(reply.body.size(), body.size());
}

// A port on which nothing listens: bound once, then released.
int UnusedPort() {
  int port = 0;
  {
    FaultServer server(Always(""));
    port = server.port();
  }
  return port;
}

TEST(HttpClientTest, RefusedConnectionFailsWithoutEvents) {
  EventLog log;
  HttpClient client(log.events(), kShortTimeouts);
  const HttpReply reply =
      client.Get("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/file.txt");
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.status, 0);
  EXPECT_FALSE(reply.error.empty());
  EXPECT_TRUE(log.words.empty()) << ::testing::PrintToString(log.words);
}

TEST(HttpClientTest, InvalidUrlFailsWithoutTraffic) {
  HttpClient client;
  const HttpReply reply = client.Get("list.txt");
  EXPECT_FALSE(reply.ok);
  EXPECT_THAT(reply.error, HasSubstr("list.txt"));
}

TEST(HttpClientTest, HugeContentLengthFailsBeforeAllocating) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Send(FaultServer::Head(200, {"Content-Length: 3000000000"}) + "some bytes");
    connection.Sleep(2000);
  });
  EventLog log;
  HttpClient client(log.events(), kShortTimeouts);
  testing::AllocationProbe probe;
  const HttpReply reply = client.Get(server.base_url() + "huge.bin");
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.error, "reply too large");
  EXPECT_TRUE(reply.body.empty());
  EXPECT_LT(probe.largest(), size_t{1} << 20);
  EXPECT_THAT(log.words, ElementsAre("connected", "disconnected"));
}

TEST(HttpClientTest, UntrustedContentLengthReservesOnlyAModestBuffer) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Send(FaultServer::Head(200, {"Content-Length: 2000000000"}) + "tiny");
    connection.Close();
  });
  HttpClient client({}, kShortTimeouts);
  testing::AllocationProbe probe;
  const HttpReply reply = client.Get(server.base_url() + "liar.bin");
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.body, "tiny");
  EXPECT_LT(probe.largest(), size_t{65} << 20);
}

TEST(HttpClientTest, EventsOfOneRequest) {
  const std::string body(100000, 'b');
  FaultServer server([&](FaultConnection& connection, const std::string&) {
    connection.Send(FaultServer::Head(200, {"Content-Length: 100000"}));
    connection.SendSlowly(body, 30000, 40);  // several reads, so several work events
  });
  EventLog log;
  HttpClient client(log.events());
  ASSERT_TRUE(client.Get(server.base_url() + "big.bin").ok);
  EXPECT_THAT(log.Compact(), ElementsAre("connected", "begin:100000", "work:100000", "end"));
  EXPECT_GE(std::count_if(log.words.begin(), log.words.end(),
                          [](const std::string& w) { return w.rfind("work:", 0) == 0; }),
            2);
}

TEST(HttpClientTest, TwoRequestsShareOneConnection) {
  FaultServer server(Always(FaultServer::Reply(200, "abc")));
  EventLog log;
  HttpClient client(log.events());
  ASSERT_TRUE(client.Get(server.base_url() + "one").ok);
  ASSERT_TRUE(client.Get(server.base_url() + "two").ok);
  EXPECT_THAT(log.Compact(),
              ElementsAre("connected", "begin:3", "work:3", "end", "begin:3", "work:3", "end"));
  EXPECT_EQ(server.connections(), 1);
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST(HttpClientTest, ErrorReplyKeepsTheConnection) {
  FaultServer server([](FaultConnection& connection, const std::string& request) {
    connection.Send(request.find("/missing") != std::string::npos
                        ? FaultServer::Reply(404, "gone")
                        : FaultServer::Reply(200, "here"));
  });
  EventLog log;
  HttpClient client(log.events());
  EXPECT_FALSE(client.Get(server.base_url() + "missing").ok);
  EXPECT_TRUE(client.Get(server.base_url() + "present").ok);
  EXPECT_EQ(server.connections(), 1);
  EXPECT_THAT(log.Compact(),
              ElementsAre("connected", "begin:4", "work:4", "end", "begin:4", "work:4", "end"));
}

TEST(HttpClientTest, RepliesThatEndTheConnectionCloseItAfterTheBody) {
  const struct {
    const char* name;
    std::string reply;
  } cases[] = {
      {"Connection: close", FaultServer::Reply(200, "abc", {"Connection: close"})},
      {"odd case and blanks", FaultServer::Reply(200, "abc", {"cOnNeCtIoN:   CLOSE  "})},
      {"HTTP/1.0", FaultServer::Head(200, {"Content-Length: 3"}, "HTTP/1.0") + "abc"},
      {"HTTP/1.0 asking for keep-alive",
       FaultServer::Head(200, {"Content-Length: 3", "Connection: keep-alive"}, "HTTP/1.0") + "abc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // The server keeps its end open: only the client can end the connection here.
    FaultServer server(Always(c.reply));
    EventLog log;
    HttpClient client(log.events(), kShortTimeouts);
    ASSERT_TRUE(client.Get(server.base_url() + "a").ok);
    EXPECT_THAT(log.Compact(),
                ElementsAre("connected", "begin:3", "work:3", "end", "disconnected"));
    log.Clear();
    ASSERT_TRUE(client.Get(server.base_url() + "b").ok);
    EXPECT_EQ(log.words.front(), "connected");
    EXPECT_EQ(server.connections(), 2);
  }
}

TEST(HttpClientTest, ConnectionClosedByTheServerIsNoticedAndReopened) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Send(FaultServer::Reply(200, "abc"));
    connection.Close();  // without announcing it
  });
  EventLog log;
  HttpClient client(log.events(), kShortTimeouts);
  ASSERT_TRUE(client.Get(server.base_url() + "a").ok);
  log.Clear();
  const HttpReply second = client.Get(server.base_url() + "b");
  EXPECT_TRUE(second.ok) << second.error;
  EXPECT_THAT(log.Compact(), ElementsAre("disconnected", "connected", "begin:3", "work:3", "end"));
  EXPECT_EQ(server.connections(), 2);
}

TEST(HttpClientTest, AnotherOriginClosesTheOpenConnectionFirst) {
  FaultServer first(Always(FaultServer::Reply(200, "1")));
  FaultServer second(Always(FaultServer::Reply(200, "2")));
  EventLog log;
  HttpClient client(log.events());
  ASSERT_TRUE(client.Get(first.base_url() + "a").ok);
  ASSERT_TRUE(client.Get(second.base_url() + "b").ok);
  EXPECT_THAT(log.Compact(), ElementsAre("connected", "begin:1", "work:1", "end", "disconnected",
                                         "connected", "begin:1", "work:1", "end"));
}

TEST(HttpClientTest, DestructionClosesTheOpenConnection) {
  FaultServer server(Always(FaultServer::Reply(200, "abc")));
  EventLog log;
  {
    HttpClient client(log.events());
    ASSERT_TRUE(client.Get(server.base_url() + "a").ok);
    log.Clear();
  }
  EXPECT_THAT(log.words, ElementsAre("disconnected"));
}

TEST(HttpClientTest, PumpsWhileTheServerIsSilent) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Sleep(500);
    connection.Send(FaultServer::Reply(200, "late"));
  });
  HttpClient client;
  int pumps = 0;
  std::chrono::steady_clock::duration largest_gap{};
  auto last = std::chrono::steady_clock::now();
  testing::ScopedPumpHook hook([&] {
    const auto now = std::chrono::steady_clock::now();
    largest_gap = std::max(largest_gap, now - last);
    last = now;
    ++pumps;
  });
  last = std::chrono::steady_clock::now();
  ASSERT_TRUE(client.Get(server.base_url() + "late").ok);
  EXPECT_GE(pumps, 10);
  // Loose on purpose: this checks that pumping goes on while nothing arrives, not the timing.
  EXPECT_LT(largest_gap, std::chrono::milliseconds(250));
}

TEST(HttpClientTest, NestedRequestFromThePumpIsRefused) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Sleep(100);
    connection.Send(FaultServer::Reply(200, "outer"));
  });
  HttpClient client;
  std::vector<HttpReply> nested;
  testing::ScopedPumpHook hook([&] {
    if (nested.empty()) nested.push_back(client.Get(server.base_url() + "nested"));
  });
  const HttpReply outer = client.Get(server.base_url() + "outer");
  ASSERT_EQ(nested.size(), 1u);
  EXPECT_FALSE(nested[0].ok);
  EXPECT_EQ(nested[0].error, "request already running");
  EXPECT_TRUE(outer.ok) << outer.error;
  EXPECT_EQ(outer.body, "outer");
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST(HttpClientTest, ThrowingHandlerFailsTheRequestAndLeavesTheClientUsable) {
  const std::string body(50000, 'q');
  FaultServer server([&](FaultConnection& connection, const std::string&) {
    connection.Send(FaultServer::Reply(200, body));
  });
  for (const char* where : {"connected", "work_begin", "work", "work_end"}) {
    SCOPED_TRACE(where);
    int connects = 0;
    int disconnects = 0;
    HttpEvents events;
    events.connected = [&] { ++connects; };
    events.disconnected = [&] { ++disconnects; };
    const std::string name = where;
    auto fail = [] { throw std::runtime_error("handler failed"); };
    if (name == "connected") events.connected = [&, fail] { ++connects, fail(); };
    if (name == "work_begin") events.work_begin = [fail](int64_t) { fail(); };
    if (name == "work") events.work = [fail](int64_t) { fail(); };
    if (name == "work_end") events.work_end = fail;
    HttpClient client(events);
    EXPECT_THROW(
        {
          try {
            client.Get(server.base_url() + "a");
          } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "handler failed");
            throw;
          }
        },
        std::runtime_error);
    client.SetEvents({});
    const HttpReply again = client.Get(server.base_url() + "b");
    EXPECT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.body, body);
    // Every connection that was announced as open was also announced as closed, or is the
    // one kept for the second request.
    EXPECT_LE(connects - disconnects, 1);
  }
}

TEST(HttpClientTest, ThrowingPumpAbortsTheRequest) {
  FaultServer server([](FaultConnection& connection, const std::string&) {
    connection.Sleep(200);
    connection.Send(FaultServer::Reply(200, "abc"));
  });
  EventLog log;
  HttpClient client(log.events());
  {
    int calls = 0;
    testing::ScopedPumpHook hook([&] {
      if (++calls == 3) throw std::logic_error("pump failed");
    });
    EXPECT_THROW(client.Get(server.base_url() + "a"), std::logic_error);
  }
  EXPECT_THAT(log.words, ElementsAre("connected", "disconnected"));
  EXPECT_TRUE(client.Get(server.base_url() + "b").ok);
}

}  // namespace
}  // namespace veyra

namespace veyra {
namespace {

TEST(HttpClientBodyObserver, SeesTheBodyGrowWhileItArrives) {
  const std::string body(3 * 1024 * 1024 + 17, 'b');
  testing::FaultServer server([&](testing::FaultConnection& c, const std::string&) {
    c.Send(testing::FaultServer::Head(200, {"Content-Length: " + std::to_string(body.size())}));
    // Pieces far enough apart that a busy machine still reads them one by one.
    c.SendSlowly(body, 512 * 1024, 40);
  });
  HttpClient client;
  std::vector<size_t> seen;
  const HttpReply reply = client.Get(server.base_url() + "f", [&](std::string_view so_far) {
    EXPECT_EQ(so_far, std::string_view(body).substr(0, so_far.size()));
    seen.push_back(so_far.size());
  });
  EXPECT_TRUE(reply.ok);
  EXPECT_EQ(reply.body, body);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_LT(seen.back(), body.size());  // never called for the end
}

TEST(HttpClientBodyObserver, AnObserverThatThrowsEndsTheTransfer) {
  const std::string body(2 * 1024 * 1024, 'x');
  testing::FaultServer server([&](testing::FaultConnection& c, const std::string&) {
    c.Send(testing::FaultServer::Head(200, {"Content-Length: " + std::to_string(body.size())}));
    c.SendSlowly(body, 512 * 1024, 40);
  });
  HttpClient client;
  EXPECT_THROW(client.Get(server.base_url() + "f",
                          [](std::string_view) { throw std::runtime_error("stop"); }),
               std::runtime_error);
  EXPECT_TRUE(client.Get(server.base_url() + "f").ok);  // the client works afterwards
}

}  // namespace
}  // namespace veyra
