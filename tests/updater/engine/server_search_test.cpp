#include <gtest/gtest.h>

#include <mutex>

#include "engine_fixture.h"
#include "support/fault_server.h"
#include "support/scoped_hooks.h"
#include "updater/engine/line_order.h"

namespace veyra::testing {
namespace {

// Three servers that answer every request with 404 and log which of them was asked.
class ServerSearchTest : public EngineTest {
 protected:
  ServerSearchTest() {
    for (char name : {'A', 'B', 'C'}) {
      busy.push_back(
          std::make_unique<FaultServer>([this, name](FaultConnection& c, const std::string&) {
            {
              std::lock_guard lock(mutex);
              asked += name;
            }
            c.Send(FaultServer::Reply(404, "no"));
          }));
    }
  }
  std::string Asked() {
    std::lock_guard lock(mutex);
    return asked;
  }
  void WriteBusyWeb0() {
    WriteWeb0({busy[0]->base_url(), busy[1]->base_url(), busy[2]->base_url()});
  }

  std::mutex mutex;
  std::string asked;
  std::vector<std::unique_ptr<FaultServer>> busy;
};

TEST_F(ServerSearchTest, EachLineIsTriedTwiceButTheLastOnce) {
  WriteBusyWeb0();
  view.choose_line = 3;  // no preference
  MakeEngine();
  engine->FormResize();
  EXPECT_EQ(Asked(), "AAAAAABBBBBBCCC");  // tries X X Y Y Z, three requests each
  EXPECT_EQ(engine->outcome(), RunOutcome::kNoServer);
  EXPECT_EQ(engine->window().Label3.text, "Web is busy, try later, please");
  EXPECT_EQ(view.messages, (std::vector<std::string>{"Web is busy, try later, please"}));
  EXPECT_EQ(dir.Read("isp1.dat"), "3\r\n");
  EXPECT_FALSE(dir.Exists("update2.dat"));  // nothing queued, record untouched
}

TEST_F(ServerSearchTest, TheChosenLineComesFirstAndTheRestInRandomOrder) {
  WriteBusyWeb0();
  view.choose_line = 1;
  MakeEngine();
  engine->SetRandomPick([](int, int high) { return high; });
  std::vector<std::string> status_bar;  // each try names its position in the order
  ScopedPumpHook pump([&] {
    const std::string& text = engine->window().StatusBar1;
    if (!text.empty() && text != "Connected" && (status_bar.empty() || status_bar.back() != text)) {
      status_bar.push_back(text);
    }
  });
  engine->FormResize();
  EXPECT_EQ(Asked(), "BBBBBBCCCCCCAAA");
  EXPECT_EQ(status_bar, (std::vector<std::string>{"Connected Server0", "Connected Server1",
                                                  "Connected Server2"}));
}

TEST_F(ServerSearchTest, TheFirstServerThatDeliversEndsTheSearch) {
  server.Put("update3.dat", "header\r\n");
  // Line 0 refuses connections: a port where nothing listens any more.
  int refused_port = 0;
  {
    FaultServer gone([](FaultConnection&, const std::string&) {});
    refused_port = gone.port();
  }
  WriteWeb0({"http://127.0.0.1:" + std::to_string(refused_port) + "/", busy[0]->base_url(),
             server.base_url()});
  MakeEngine();
  engine->SetRandomPick([](int, int high) { return high; });  // order: 0, then 2, then 1
  view.choose_line = 0;
  engine->FormResize();
  EXPECT_EQ(Asked(), "");  // line 2 delivered before line 1 was reached
  EXPECT_EQ(engine->BaseUrl, server.base_url());
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
}

// A portal or an error page served with 200 is no update list: the search goes on to the next
// line. Lists under other types are taken as they come, up to a NUL byte.
TEST_F(ServerSearchTest, OnlyARealListIsAList) {
  server.Put("update3.dat", "header\r\n");
  const struct {
    const char* name;
    std::string reply;
    bool taken;
  } cases[] = {
      {"html", FaultServer::Reply(200, "header\r\n", {"Content-Type: text/html"}), false},
      {"html with a charset",
       FaultServer::Reply(200, "header\r\n", {"Content-Type:  Text/HTML ; charset=big5"}), false},
      // The text ends at its first NUL byte: the entry after it is not read.
      {"a NUL byte", FaultServer::Reply(200, std::string("header\r\n\0E a.gz a.txt 1\r\n", 25)),
       true},
      {"plain text", FaultServer::Reply(200, "header\r\n", {"Content-Type: text/plain"}), true},
      {"octet stream",
       FaultServer::Reply(200, "header\r\n", {"Content-Type: application/octet-stream"}), true},
      {"no type", FaultServer::Reply(200, "header\r\n"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FaultServer portal(
        [&](FaultConnection& connection, const std::string&) { connection.Send(c.reply); });
    WriteWeb0({portal.base_url(), server.base_url()});
    view.choose_line = 0;
    MakeEngine();
    engine->FormResize();
    EXPECT_EQ(engine->BaseUrl, c.taken ? portal.base_url() : server.base_url());
    EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
    std::filesystem::remove(dir.path() / "update2.dat");
  }
}

TEST_F(ServerSearchTest, LinesWithoutServersOrWithOddNumbersAreHandled) {
  ScopedSleepHook no_wait([](int) {});
  dir.Write("web0.dat", "end\r\n");
  MakeEngine();
  engine->FormResize();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNoServer);
  EXPECT_EQ(view.dialog_items, (LineList{"Other"}));

  dir.Write("web0.dat", "");
  MakeEngine();
  engine->FormResize();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNoServer);

  // Port and time-out that are not numbers read as 0; the line is still tried.
  server.Put("update3.dat", "header\r\n");
  dir.Write("web0.dat", "Odd " + server.base_url() + " eighty forever\r\nend\r\n");
  MakeEngine();
  engine->FormResize();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
  EXPECT_EQ(ParseHostLine("Odd url eighty forever").port, 0);
  EXPECT_EQ(ParseHostLine("  N   url  81   2000 extra").timeout, 2000);
}

TEST_F(ServerSearchTest, ABlankLineAfterTheClosingLineIsNoServerToTry) {
  server.Put("update3.dat", "header\r\n");
  dir.Write("web0.dat", "Line0 " + server.base_url() + " 80 30000\r\nend\r\n\r\n");
  view.choose_no_preference = true;
  MakeEngine();
  engine->SetRandomPick([](int, int high) { return high; });
  engine->FormResize();
  EXPECT_EQ(view.dialog_items, (LineList{"Line0", "Other"}));
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
}

// A server that holds every request for 4 s and then delivers a list.
FaultServer::Handler LateList() {
  return [](FaultConnection& connection, const std::string&) {
    connection.Sleep(4000);
    connection.Send(FaultServer::Reply(200, "header\r\n"));
  };
}

TEST_F(ServerSearchTest, TheLineTimeOutIsTheStallLimitOfItsRequests) {
  FaultServer late(LateList());
  dir.Write("web0.dat", "Slow " + late.base_url() + " 80 1000\r\nend\r\n");
  fixed_timeouts = false;
  MakeEngine();
  engine->FormResize();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNoServer);
  EXPECT_EQ(late.requests().size(), 3u);
}

TEST(StallLimitMs, TakesTheLineTimeOutWithinItsRangeElseOneMinute) {
  const struct {
    int64_t line_timeout;
    int stall_limit;
  } cases[] = {
      {1000, 1000},    {30000, 30000}, {300000, 300000}, {999, 60000},
      {300001, 60000}, {0, 60000},     {-2000, 60000},   {INT64_MAX, 60000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StallLimitMs(c.line_timeout), c.stall_limit) << c.line_timeout;
  }
}

TEST_F(ServerSearchTest, LeavingDuringTheSearchStopsAtTheNextCheck) {
  WriteBusyWeb0();
  MakeEngine();
  ScopedPumpHook pump([&] { engine->ExitRequested = true; });
  engine->FormResize();
  EXPECT_EQ(Asked(), "");
  EXPECT_EQ(engine->outcome(), RunOutcome::kExitRequested);
  EXPECT_TRUE(view.messages.empty());
}

TEST(BuildLineOrder, KeepsTheClosingLineLastWhateverIsPicked) {
  const LineList web0{"A", "B", "C", "end"};
  int calls = 0;
  auto last = [&](int low, int high) {
    ++calls;
    EXPECT_EQ(low, 0);
    return high;
  };
  EXPECT_EQ(BuildLineOrder(web0, 4, 3, last), (LineList{"C", "B", "A", "end"}));
  EXPECT_EQ(calls, 2);  // a pick among one line needs no random number
  EXPECT_EQ(BuildLineOrder(web0, 4, 2, last), (LineList{"C", "B", "A", "end"}));
  EXPECT_EQ(BuildLineOrder(web0, 4, 0, [](int, int) { return 0; }),
            (LineList{"A", "B", "C", "end"}));
  // A line list shorter than the dialog's items (an empty web0.dat) takes what there is.
  EXPECT_EQ(BuildLineOrder({}, 1, 0, last), LineList{});
}

}  // namespace
}  // namespace veyra::testing
