#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>
#include <optional>
#include <string>

#include "window_rules/agreement_rules.h"

class QPushButton;
class QWebChannel;
class QWebEngineView;

namespace veyra {

// The object the agreement page talks to through the web channel: the page's injected script
// hands it the markup of the innermost element of every click, and it passes the click on to the
// window's event sink. It decides nothing itself.
class PageClickBridge : public QObject {
  Q_OBJECT

 public:
  // The name the page's script finds this object under.
  static constexpr const char* kChannelName = "veyraClickSink";

  using QObject::QObject;

  // Called by the page for every click: `outer_html` is the clicked element's outerHTML, or null
  // when the click had no element.
  Q_INVOKABLE void click(const QVariant& outer_html) { emit clicked(outer_html); }

 signals:
  void clicked(const QVariant& outer_html);
};

// The service agreement window: the agreement page index.htm of the application folder in an
// embedded browser, with "我同意" (go on to the account web site) and "不同意" (close) under it.
// A click on a page element whose markup holds the close marker closes it too. Closing only hides
// it: shown again, it presents the page as the player left it.
//
// Created once, hidden, at start-up; its page starts loading at once.
class TLinkToOfficeFM : public QWidget {
  Q_OBJECT

 public:
  // `application_folder` holds index.htm (a separator is added when missing); `account_url` is
  // where "我同意" leads.
  TLinkToOfficeFM(std::string application_folder, QUrl account_url, QWidget* parent = nullptr);
  ~TLinkToOfficeFM() override;

  // "我同意": opens the account web site in a full-screen window (TFmWeb) modally; once the
  // player has closed that, closes this window.
  void Button1Click();
  // "不同意": closes (hides) the window.
  void Button3Click();

  QWebEngineView* WebBrowser1() const { return web_browser1_; }
  QPushButton* Button1() const { return button1_; }
  QPushButton* Button3() const { return button3_; }
  // The address of the agreement page the window was pointed at.
  const QUrl& PageUrl() const { return page_url_; }
  // Whether the page's document is held, so that the page's clicks are looked at.
  bool DocumentHeld() const { return document_held_; }

  // The page-click check for one click reported by the page, run through the event sink.
  void PageClicked(std::optional<std::string> outer_html);

 private:
  void FormCreate();
  void WBSurvey();

  std::string application_folder_;
  QUrl account_url_;
  QUrl page_url_;
  QWebEngineView* web_browser1_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button3_ = nullptr;
  QWebChannel* channel_ = nullptr;
  PageClickBridge* bridge_ = nullptr;
  agreement::TEventObject event_object_;
  bool document_held_ = false;
  std::optional<std::string> current_click_;  // the click the event sink is handling
};

}  // namespace veyra
