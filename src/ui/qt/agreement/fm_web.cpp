#include "ui/qt/agreement/fm_web.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWebEngineView>

#include "ui/qt/agreement/default_browser.h"
#include "window_rules/agreement_rules.h"

namespace veyra {

TFmWeb::TFmWeb(QWidget* parent) : QDialog(parent) {}

void ShowFmWeb(const QUrl& url) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screen_size = screen->size();
  // Owned by the application: no parent window.
  auto* window = new TFmWeb();
  FmWeb = window;
  const QRect work_area = screen->availableGeometry();
  const agreement::FullScreenBrowserPlaces places =
      agreement::FmWebPlaces({screen_size.width(), screen_size.height()},
                             {work_area.x(), work_area.y(), work_area.width(), work_area.height()});
  window->setGeometry(places.window.left, places.window.top, places.window.width,
                      places.window.height);
  // Outside any layout, so sized by hand.
  window->Web = new QWebEngineView(window);
  window->Web->setGeometry(places.browser.left, places.browser.top, places.browser.width,
                           places.browser.height);
  OpenNewWindowsInDefaultBrowser(*window->Web->page());
  window->Web->setUrl(url);

  QPointer<TFmWeb> guard(window);
  window->exec();
  if (FmWeb == window) FmWeb = nullptr;
  // Released once the event being handled is done with it.
  if (guard) guard->deleteLater();
}

}  // namespace veyra
