#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "main_loop.h"
#include "support/temp_folder.h"
#include "ui/qt/agreement/default_browser.h"
#include "ui/qt/agreement/fm_web.h"
#include "ui/qt/agreement/link_to_office.h"
#include "window_rules/agreement_rules.h"

namespace veyra {
namespace {

using testing::TempFolder;
using testing::WaitUntil;

constexpr const char* kTinyGif =
    "data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7";

std::string AgreementPage() {
  return std::string(R"(<!doctype html><html><head><meta charset="utf-8"><style>
body { margin: 0; font-size: 16px; }
.box { display: block; width: 240px; height: 40px; margin: 8px; }
img { display: block; width: 120px; height: 30px; }
</style></head><body>
<a id="mixed" class="box" href="cLoSeLinkToOfficeFm">關閉條款</a>
<div id="closelinktoofficefm" class="box">by id</div>
<div id="by-class" class="box note closelinktoofficefm">by class</div>
<a id="pictured" class="box" href="CloseLinkToOfficeFM"><img id="picture" src=")") +
         kTinyGif + R"("></a>
<p id="plain" class="box">請詳閱以下服務條款</p>
<a id="next" class="box" href="page2.htm">下一頁</a>
</body></html>)";
}

constexpr const char* kSecondPage = R"(<!doctype html><html><head><meta charset="utf-8"><style>
body { margin: 0; } .box { display: block; width: 240px; height: 40px; margin: 8px; }
</style></head><body>
<p id="second-plain" class="box">第二頁</p>
<span id="second-close" class="box closeLinkToOfficeFM">關閉</span>
</body></html>)";

// Waits for the result of a script run in `world` of the view's page.
std::optional<QVariant> RunScript(QWebEngineView* view, const QString& script,
                                  quint32 world = QWebEngineScript::MainWorld) {
  std::optional<QVariant> result;
  view->page()->runJavaScript(script, world, [&result](const QVariant& value) { result = value; });
  if (!WaitUntil([&] { return result.has_value(); })) return std::nullopt;
  return result;
}

// True once the page has loaded completely and its click reporter is connected.
bool PageReady(QWebEngineView* view) {
  return WaitUntil(
      [view] {
        const auto ready = RunScript(
            view,
            QStringLiteral(
                "document.readyState === 'complete' && window.veyraClickSinkReady === true"),
            QWebEngineScript::ApplicationWorld);
        return ready && ready->toBool();
      },
      std::chrono::seconds(20));
}

// The middle of every element with an id, in the view's pixels.
std::map<std::string, QPoint> ElementCentres(QWebEngineView* view) {
  const auto list = RunScript(view, QStringLiteral(R"js(
Array.from(document.querySelectorAll('[id]')).map(function (element) {
  var r = element.getBoundingClientRect();
  return [element.id, Math.round(r.left + r.width / 2), Math.round(r.top + r.height / 2)];
}))js"));
  std::map<std::string, QPoint> centres;
  if (!list) return centres;
  for (const QVariant& entry : list->toList()) {
    const QVariantList fields = entry.toList();
    if (fields.size() != 3) continue;
    centres[fields[0].toString().toStdString()] = QPoint(fields[1].toInt(), fields[2].toInt());
  }
  return centres;
}

// Clicks with the mouse in the middle of the element `id` of the shown page.
void ClickElement(QWebEngineView* view, const std::string& id) {
  const auto centres = ElementCentres(view);
  const auto found = centres.find(id);
  ASSERT_NE(found, centres.end()) << id;
  QWidget* target = view->focusProxy();
  ASSERT_NE(target, nullptr);
  QTest::mouseMove(target, found->second);
  QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, found->second);
}

class AgreementWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("index.htm", AgreementPage());
    folder_.Write("page2.htm", kSecondPage);
    folder_.Write("account.htm", "<html><body>account</body></html>");
  }

  QUrl AccountUrl() const {
    return QUrl::fromLocalFile(QString::fromStdString(folder_.folder() + "account.htm"));
  }

  // A shown window whose page is ready for clicks.
  std::unique_ptr<TLinkToOfficeFM> ShownWindow() {
    auto window = std::make_unique<TLinkToOfficeFM>(folder_.folder(), AccountUrl());
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(PageReady(window->WebBrowser1()));
    return window;
  }

  // Clicks element `id` and waits until the page has reported the click.
  void ClickAndWaitForReport(TLinkToOfficeFM& window, const std::string& id) {
    auto* bridge = window.findChild<PageClickBridge*>();
    ASSERT_NE(bridge, nullptr);
    QSignalSpy reports(bridge, &PageClickBridge::clicked);
    ClickElement(window.WebBrowser1(), id);
    ASSERT_TRUE(WaitUntil([&] { return reports.count() >= 1; })) << "click on " << id;
  }

  TempFolder folder_;
};

TEST_F(AgreementWindowTest, IsPlacedOnTheScreenWithItsCaptionAndButtons) {
  TLinkToOfficeFM window(folder_.folder(), AccountUrl());
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const auto places = agreement::AgreementWindowPlaces({screen.width(), screen.height()});
  EXPECT_EQ(window.geometry(), QRect(0, 0, screen.width(), screen.height() - 20));
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("VeyraOnline合約說明"));
  const auto rect = [](const Rect& r) { return QRect(r.left, r.top, r.width, r.height); };
  EXPECT_EQ(window.WebBrowser1()->geometry(), rect(places.browser));
  EXPECT_EQ(window.Button1()->geometry(), rect(places.agree_button));
  EXPECT_EQ(window.Button3()->geometry(), rect(places.decline_button));
  EXPECT_EQ(window.Button1()->text(), QString::fromUtf8("我同意"));
  EXPECT_EQ(window.Button3()->text(), QString::fromUtf8("不同意"));
  EXPECT_TRUE(window.Button1()->isEnabled());
  EXPECT_TRUE(window.Button3()->isEnabled());
}

TEST_F(AgreementWindowTest, LoadsItsPageWhileStillHidden) {
  TLinkToOfficeFM window(folder_.folder(), AccountUrl());
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(PageReady(window.WebBrowser1()));
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.WebBrowser1()->url(),
            QUrl::fromLocalFile(QString::fromStdString(folder_.folder() + "index.htm")));
}

TEST_F(AgreementWindowTest, FindsThePageWhateverItsLetterCase) {
  std::filesystem::remove(folder_.path() / "index.htm");
  folder_.Write("INDEX.HTM", AgreementPage());
  TLinkToOfficeFM window(folder_.folder(), AccountUrl());
  EXPECT_EQ(window.PageUrl(),
            QUrl::fromLocalFile(QString::fromStdString(folder_.folder() + "INDEX.HTM")));
  EXPECT_TRUE(PageReady(window.WebBrowser1()));
}

// Records the addresses handed to the default browser while it lives.
struct BrowserOpenings {
  BrowserOpenings() {
    SetDefaultBrowserOpener([this](const QUrl& url) { urls.push_back(url); });
  }
  ~BrowserOpenings() { SetDefaultBrowserOpener({}); }
  std::vector<QUrl> urls;
};

TEST_F(AgreementWindowTest, LinksToANewWindowOpenWebAddressesInTheDefaultBrowser) {
  folder_.Write("index.htm", R"html(<!doctype html><html><head><style>
.box { display: block; width: 240px; height: 40px; margin: 8px; }
</style></head><body>
<a id="local" class="box" target="_blank" href="file:///etc/hostname">local</a>
<a id="blank" class="box" target="_blank" href="http://127.0.0.1:9/news">news</a>
<button id="script" class="box" onclick="window.open('https://127.0.0.1:9/shop')">shop</button>
</body></html>)html");
  BrowserOpenings browser;
  auto window = ShownWindow();
  for (const char* id : {"local", "blank", "script"}) ClickAndWaitForReport(*window, id);
  EXPECT_TRUE(WaitUntil([&] { return browser.urls.size() >= 2; }));
  EXPECT_EQ(browser.urls,
            (std::vector<QUrl>{QUrl("http://127.0.0.1:9/news"), QUrl("https://127.0.0.1:9/shop")}));
  EXPECT_EQ(window->WebBrowser1()->url(), window->PageUrl());  // the window stays on its page
  EXPECT_TRUE(window->isVisible());
}

TEST_F(AgreementWindowTest, PageClicksCloseTheWindowOnlyOnTheMarker) {
  struct Case {
    const char* id;
    bool closes;
  };
  const Case cases[] = {
      {"mixed", true},                // anchor whose href holds the marker in mixed case
      {"closelinktoofficefm", true},  // id
      {"by-class", true},             // class
      {"picture", false},             // picture inside a marked anchor: the picture is clicked
      {"plain", false},               // ordinary text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    auto window = ShownWindow();
    ASSERT_TRUE(window->isVisible());
    ClickAndWaitForReport(*window, c.id);
    if (c.closes) {
      EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
    } else {
      QTest::qWait(200);
      EXPECT_TRUE(window->isVisible());
    }
  }
}

TEST_F(AgreementWindowTest, MarkedLinkIsStillFollowed) {
  auto window = ShownWindow();
  ClickAndWaitForReport(*window, "mixed");
  EXPECT_TRUE(WaitUntil([&] {
    return window->WebBrowser1()->url().fileName() == QStringLiteral("cLoSeLinkToOfficeFm");
  })) << window->WebBrowser1()->url().toString().toStdString();
}

TEST_F(AgreementWindowTest, SinkFollowsThePageToTheNextDocument) {
  auto window = ShownWindow();
  ClickAndWaitForReport(*window, "next");
  ASSERT_TRUE(WaitUntil([&] { return window->WebBrowser1()->url().fileName() == "page2.htm"; }));
  ASSERT_TRUE(PageReady(window->WebBrowser1()));
  ClickAndWaitForReport(*window, "second-plain");
  QTest::qWait(100);
  EXPECT_TRUE(window->isVisible());
  ClickAndWaitForReport(*window, "second-close");
  EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
}

TEST_F(AgreementWindowTest, ClicksAreIgnoredWhileNoDocumentIsHeld) {
  TLinkToOfficeFM window(folder_.folder(), AccountUrl());
  // Before the browser has started its first load.
  ASSERT_FALSE(window.DocumentHeld());
  window.show();
  window.PageClicked(R"(<a href="CloseLinkToOfficeFM">x</a>)");
  EXPECT_TRUE(window.isVisible());
  ASSERT_TRUE(WaitUntil([&] { return window.DocumentHeld(); }));
  window.PageClicked(std::nullopt);  // a click without element
  EXPECT_TRUE(window.isVisible());
  window.PageClicked(R"(<a href="CloseLinkToOfficeFM">x</a>)");
  EXPECT_FALSE(window.isVisible());
}

TEST_F(AgreementWindowTest, DeclineHidesAndAShowKeepsThePage) {
  auto window = ShownWindow();
  QWebEngineView* view = window->WebBrowser1();
  ASSERT_TRUE(RunScript(view, QStringLiteral("window.veyraLeftHere = 42; true")));
  QSignalSpy loads(view->page(), &QWebEnginePage::loadStarted);
  QTest::mouseClick(window->Button3(), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  window->show();
  QTest::qWait(300);
  EXPECT_EQ(loads.count(), 0);
  const auto kept = RunScript(view, QStringLiteral("window.veyraLeftHere"));
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->toInt(), 42);
}

TEST_F(AgreementWindowTest, AgreeShowsTheAccountSiteModallyAndHidesOnlyAfterItCloses) {
  auto window = ShownWindow();
  bool seen = false;
  bool modal = false;
  bool agreement_visible_meanwhile = false;
  QUrl shown_url;
  QSize shown_size;  // the platform may add a frame around it
  QPointer<TFmWeb> account_window;
  QTimer watcher;
  watcher.setInterval(20);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (seen || FmWeb == nullptr || !FmWeb->isVisible()) return;
    seen = true;
    account_window = FmWeb;
    modal = QApplication::activeModalWidget() == FmWeb;
    agreement_visible_meanwhile = window->isVisible();
    shown_url = FmWeb->Web->url();
    shown_size = FmWeb->size();
    QTimer::singleShot(300, FmWeb, [] {
      if (FmWeb != nullptr) FmWeb->close();
    });
  });
  watcher.start();
  QTimer give_up;  // never leave a modal loop running
  give_up.setSingleShot(true);
  QObject::connect(&give_up, &QTimer::timeout, [] {
    if (FmWeb != nullptr) FmWeb->close();
  });
  give_up.start(10000);

  QTest::mouseClick(window->Button1(), Qt::LeftButton);
  watcher.stop();
  give_up.stop();

  ASSERT_TRUE(seen);
  EXPECT_TRUE(modal);
  EXPECT_TRUE(agreement_visible_meanwhile);
  EXPECT_EQ(shown_url, AccountUrl());
  EXPECT_EQ(shown_size, QGuiApplication::primaryScreen()->availableGeometry().size());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(FmWeb, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(account_window.isNull());
}

TEST(HomePageWindow, ANewWindowOfItsPageOpensInTheDefaultBrowser) {
  BrowserOpenings browser;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (FmWeb != nullptr && !browser.urls.empty()) FmWeb->close();
  });
  watcher.start(20);
  QTimer give_up;
  give_up.setSingleShot(true);
  QObject::connect(&give_up, &QTimer::timeout, [] {
    if (FmWeb != nullptr) FmWeb->close();
  });
  give_up.start(10000);
  ShowFmWeb(QUrl(QStringLiteral(
      "data:text/html,<script>window.open('http://127.0.0.1:9/promotion')</script>")));
  EXPECT_EQ(browser.urls, std::vector<QUrl>{QUrl("http://127.0.0.1:9/promotion")});
}

TEST(HomePageWindow, IsModalFullScreenAndReleasedOnClose) {
  const QUrl home(QStringLiteral("http://127.0.0.1:9/"));
  bool modal = false;
  QSize browser_size;
  QPointer<TFmWeb> shown;
  QTimer::singleShot(200, [&] {
    if (FmWeb == nullptr) return;
    shown = FmWeb;
    modal = QApplication::activeModalWidget() == FmWeb && FmWeb->isModal();
    browser_size = FmWeb->Web->size();
    FmWeb->close();
  });
  QTimer give_up;
  give_up.setSingleShot(true);
  QObject::connect(&give_up, &QTimer::timeout, [] {
    if (FmWeb != nullptr) FmWeb->close();
  });
  give_up.start(10000);
  ShowFmWeb(home);
  give_up.stop();
  EXPECT_TRUE(modal);
  EXPECT_EQ(browser_size, QGuiApplication::primaryScreen()->size());
  EXPECT_EQ(FmWeb, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(shown.isNull());
}

}  // namespace
}  // namespace veyra
