#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "engine_fixture.h"
#include "support/scoped_hooks.h"

namespace veyra::testing {
namespace {

using WindowButtonsTest = EngineTest;

TEST_F(WindowButtonsTest, TheExitQuestionActsOnlyOnYes) {
  struct Case {
    std::string language, question;
    bool yes;
  };
  const Case cases[] = {
      {"n", "Are you sure to exit ?", false},
      {"n", "Are you sure to exit ?", true},
      // 你確定要離開嗎? as stored; "please wait..." stays English.
      {"t", "\xa7\x41\xbd\x54\xa9\x77\xad\x6e\xc2\xf7\xb6\x7d\xb6\xdc?", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language + (c.yes ? " yes" : " no"));
    view = ScriptedView();
    view.answer_yes = c.yes;
    MakeEngine(c.language);
    engine->Button4Click();
    EXPECT_EQ(view.questions, (std::vector<std::string>{c.question}));
    EXPECT_EQ(engine->ExitRequested, c.yes);
    EXPECT_EQ(view.terminations, c.yes ? 1 : 0);
    EXPECT_EQ(engine->window().Label3.text, c.yes ? "please wait..." : "");
    if (c.yes) {
      EXPECT_EQ(engine->window().Label3.left, 40);
      EXPECT_EQ(engine->window().Label3.top, 469);
    }
  }
}

TEST_F(WindowButtonsTest, YesDuringTheServerSearchStopsItBeforeTheNextTry) {
  WriteWeb0({server.base_url()});
  MakeEngine();
  view.answer_yes = true;
  ScopedPumpHook pump([&] {
    const bool searching = engine->window().Label3.text == "connecting...";
    if (searching && !engine->ExitRequested) engine->Button4Click();
  });
  engine->FormResize();
  EXPECT_EQ(engine->outcome(), RunOutcome::kExitRequested);
  EXPECT_TRUE(server.paths().empty());
  EXPECT_EQ(engine->window().Label3.text, "please wait...");
}

#ifndef _WIN32  // the login program stand-in is a shell script
TEST_F(WindowButtonsTest, StartingTheGameHidesStartsAndClosesEvenWithoutTheProgram) {
  for (const bool program_present : {true, false}) {
    SCOPED_TRACE(program_present);
    view = ScriptedView();
    PublishList({});
    RunDriver();
    ASSERT_TRUE(engine->window().Image3Visible);
    engine->FormCreate({"user", "key", "x"});
    if (program_present) {
      dir.Write("alogin.exe",
                "#!/bin/sh\necho \"$# $1 $2 $3 $(pwd)\" > s.tmp && mv s.tmp started.txt\n");
      ::chmod((dir.path() / "alogin.exe").c_str(), 0755);
    }
    engine->Image3Click();
    EXPECT_EQ(view.hides, 1);
    EXPECT_EQ(view.closes, 1);
    EXPECT_FALSE(engine->ListsExist);  // the closing step ran
    if (!program_present) continue;
    for (int i = 0; i < 200 && !dir.Exists("started.txt"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(dir.Read("started.txt"), "3 user key x " + dir.path().string() + "\n");
    std::filesystem::remove(dir.path() / "alogin.exe");
  }
}
#endif

}  // namespace
}  // namespace veyra::testing
