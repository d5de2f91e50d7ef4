#include "window_rules/agreement_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace veyra::agreement {
namespace {

TEST(AgreementPageClick, ClosesOnlyWhenTheClickedMarkupHoldsTheMarker) {
  struct Case {
    const char* outer_html;
    bool closes;
  };
  const std::vector<Case> cases = {
      {R"(<a href="CloseLinkToOfficeFM">關閉</a>)", true},
      {R"(<a href="closelinktoofficefm">x</a>)", true},
      {R"(<a href="CLOSELINKTOOFFICEFM">x</a>)", true},
      {R"(<div id="closelinktoofficefm">x</div>)", true},
      {R"(<span class="btn closeLinkToOfficefm-now">x</span>)", true},
      {R"(<img src="close.png">)", false},  // the picture inside a marked anchor
      {R"(<p>請詳閱以下條款</p>)", false},
      {R"(<a href="CloseLinkToOffice">x</a>)", false},  // marker cut short
      {R"(<a href="Close LinkToOfficeFM">x</a>)", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TDummy::PageClickCloses({true, std::string(c.outer_html)}), c.closes) << c.outer_html;
  }
}

TEST(AgreementPageClick, LowersOnlyTheLettersAToZ) {
  // U+0130 (İ) lowers to 'i' in a Unicode-aware comparison; here it is two bytes that stay.
  EXPECT_FALSE(
      TDummy::PageClickCloses({true, std::string("<a href=\"CloseL\xC4\xB0nkToOfficeFM\">")}));
  // Fullwidth letters are not A-Z either.
  EXPECT_FALSE(
      TDummy::PageClickCloses({true, std::string("<a href=\"\xEF\xBC\xA3loseLinkToOfficeFM\">")}));
}

TEST(AgreementPageClick, IsIgnoredWithoutDocumentOrSourceElement) {
  const std::string marked = R"(<a href="CloseLinkToOfficeFM">x</a>)";
  EXPECT_FALSE(TDummy::PageClickCloses({false, marked}));
  EXPECT_FALSE(TDummy::PageClickCloses({true, std::nullopt}));
}

TEST(AgreementEventObject, RunsItsHandlerForDispatchIdZeroOnly) {
  struct Case {
    std::int32_t dispatch_id;
    HResult result;
    int runs;
  };
  const std::vector<Case> cases = {
      {0, HResult::kOk, 1},
      {1, HResult::kNotImplemented, 0},
      {-1, HResult::kNotImplemented, 0},
      {203, HResult::kNotImplemented, 0},
      {-600, HResult::kNotImplemented, 0},
  };
  for (const Case& c : cases) {
    int runs = 0;
    TEventObject sink([&runs] { ++runs; });
    EXPECT_EQ(sink.Invoke(c.dispatch_id), c.result) << c.dispatch_id;
    EXPECT_EQ(runs, c.runs) << c.dispatch_id;
  }
}

TEST(AgreementEventObject, WithoutHandlerStillAnswersOk) {
  TEventObject sink;
  EXPECT_EQ(sink.Invoke(0), HResult::kOk);
  EXPECT_EQ(static_cast<std::uint32_t>(sink.Invoke(7)), 0x80004001u);
}

TEST(AgreementEventObject, DescribesItselfToNoOne) {
  TEventObject sink([] {});
  EXPECT_EQ(sink.GetTypeInfoCount(), HResult::kNotImplemented);
  EXPECT_EQ(sink.GetTypeInfo(), HResult::kNotImplemented);
  EXPECT_EQ(sink.GetIDsOfNames(), HResult::kNotImplemented);
}

TEST(AgreementPlaces, FollowTheScreenSize) {
  struct Case {
    Size screen;
    AgreementPlaces places;
  };
  const std::vector<Case> cases = {
      {{1920, 1080},
       {{0, 0, 1920, 1060}, {5, 5, 1900, 980}, {960 - 123, 995, 113, 25}, {970, 995, 113, 25}}},
      {{1024, 768},
       {{0, 0, 1024, 748}, {5, 5, 1004, 668}, {512 - 123, 683, 113, 25}, {522, 683, 113, 25}}},
      // An odd width: the middle is rounded down.
      {{1365, 767},
       {{0, 0, 1365, 747}, {5, 5, 1345, 667}, {682 - 123, 682, 113, 25}, {692, 682, 113, 25}}},
  };
  for (const Case& c : cases) {
    const AgreementPlaces places = AgreementWindowPlaces(c.screen);
    EXPECT_EQ(places.window, c.places.window) << c.screen.width;
    EXPECT_EQ(places.browser, c.places.browser) << c.screen.width;
    EXPECT_EQ(places.agree_button, c.places.agree_button) << c.screen.width;
    EXPECT_EQ(places.decline_button, c.places.decline_button) << c.screen.width;
  }
}

TEST(AgreementPage, IsFoundIgnoringLetterCase) {
  testing::TempFolder folder;
  const std::filesystem::path missing = folder.path() / "index.htm";
  EXPECT_EQ(AgreementPagePath(folder.folder()), missing);
  folder.Write("Index.HTM", "<html></html>");
  const std::filesystem::path page = folder.path() / "Index.HTM";
  EXPECT_EQ(AgreementPagePath(folder.folder()), page);
  // The folder without its closing separator names the same page.
  EXPECT_EQ(AgreementPagePath(Utf8FromPath(folder.path())), page);
}

}  // namespace
}  // namespace veyra::agreement
