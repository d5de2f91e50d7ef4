#include "ui/qt/agreement/link_to_office.h"

#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <utility>

#include "platform/paths.h"
#include "ui/qt/agreement/default_browser.h"
#include "ui/qt/agreement/fm_web.h"
#include "window_rules/agreement_rules.h"

namespace veyra {

namespace {

// Runs in every document the browser creates, in a world of its own so the page's scripts
// neither see nor disturb it. It reports each click's innermost element to the bridge and leaves
// the click itself alone: the page's default action (following a link) goes ahead.
constexpr const char* kClickReporter = R"js(
(function () {
  new QWebChannel(qt.webChannelTransport, function (channel) {
    var sink = channel.objects.veyraClickSink;
    document.addEventListener('click', function (event) {
      var element = event.target;
      var markup = (element && typeof element.outerHTML === 'string') ? element.outerHTML : null;
      sink.click(markup);
    }, true);
    window.veyraClickSinkReady = true;
  });
})();
)js";

QRect ToQRect(const Rect& rect) {
  return {rect.left, rect.top, rect.width, rect.height};
}

QWebEngineScript DocumentScript(const QString& name, const QString& source) {
  QWebEngineScript script;
  script.setName(name);
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setRunsOnSubFrames(false);
  return script;
}

}  // namespace

TLinkToOfficeFM::TLinkToOfficeFM(std::string application_folder, QUrl account_url, QWidget* parent)
    : QWidget(parent, Qt::Window),
      application_folder_(std::move(application_folder)),
      account_url_(std::move(account_url)),
      event_object_([this] {
        if (agreement::TDummy::PageClickCloses({document_held_, current_click_})) Button3Click();
      }) {
  FormCreate();
}

TLinkToOfficeFM::~TLinkToOfficeFM() = default;

void TLinkToOfficeFM::FormCreate() {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const agreement::AgreementPlaces places =
      agreement::AgreementWindowPlaces({screen.width(), screen.height()});
  setGeometry(ToQRect(places.window));

  setWindowTitle(QString::fromUtf8(agreement::kAgreementCaption));

  web_browser1_ = new QWebEngineView(this);
  page_url_ = QUrl::fromLocalFile(
      QString::fromStdString(Utf8FromPath(agreement::AgreementPagePath(application_folder_))));
  // The sink must be in place before the first document is created.
  WBSurvey();
  web_browser1_->setUrl(page_url_);
  web_browser1_->setGeometry(ToQRect(places.browser));

  button1_ = new QPushButton(QString::fromUtf8(agreement::kAgreeCaption), this);
  button1_->setGeometry(ToQRect(places.agree_button));
  button3_ = new QPushButton(QString::fromUtf8(agreement::kDeclineCaption), this);
  button3_->setGeometry(ToQRect(places.decline_button));
  button1_->setEnabled(true);
  button3_->setEnabled(true);
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(button3_, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void TLinkToOfficeFM::WBSurvey() {
  QWebEnginePage* page = web_browser1_->page();
  // Clicks go ahead as the page means them; a new window opens in the player's own browser.
  OpenNewWindowsInDefaultBrowser(*page);
  // The document is held from the moment the browser starts loading one.
  connect(page, &QWebEnginePage::loadStarted, this, [this] { document_held_ = true; });

  bridge_ = new PageClickBridge(this);
  connect(bridge_, &PageClickBridge::clicked, this, [this](const QVariant& outer_html) {
    // The markup as 8-bit text; a click without an element (or with an odd value) has none.
    if (outer_html.isNull() || outer_html.typeId() != QMetaType::QString) {
      PageClicked(std::nullopt);
    } else {
      PageClicked(outer_html.toString().toStdString());
    }
  });
  channel_ = new QWebChannel(this);
  channel_->registerObject(QString::fromLatin1(PageClickBridge::kChannelName), bridge_);
  page->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);

  QFile channel_library(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  QString library_source;
  if (channel_library.open(QIODevice::ReadOnly)) {
    library_source = QString::fromUtf8(channel_library.readAll());
  }
  page->scripts().insert(DocumentScript(QStringLiteral("veyra-qwebchannel"), library_source));
  page->scripts().insert(
      DocumentScript(QStringLiteral("veyra-click-reporter"), QString::fromUtf8(kClickReporter)));
}

void TLinkToOfficeFM::PageClicked(std::optional<std::string> outer_html) {
  current_click_ = std::move(outer_html);
  event_object_.Invoke(0);
  current_click_.reset();
}

void TLinkToOfficeFM::Button1Click() {
  ShowFmWeb(account_url_);
  close();
}

void TLinkToOfficeFM::Button3Click() {
  close();
}

}  // namespace veyra
