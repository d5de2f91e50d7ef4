#include "ui/agreement/fm_web.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWebEngineView>

#include "ui/agreement/default_browser.h"
#include "window_rules/geometry.h"

namespace veyra {

TFmWeb::TFmWeb(QWidget* parent) : QDialog(parent) {}

void ShowFmWeb(const QUrl& url) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize screen_size = screen->size();
  // Owned by the application: no parent window.
  auto* window = new TFmWeb();
  FmWeb = window;
  window->resize(screen_size);
  const Point centred = CentredOnScreen({screen_size.width(), screen_size.height()},
                                        {screen_size.width(), screen_size.height()});
  window->move(centred.left, centred.top);
  // Aligned to fill the client area, a top-level window takes the screen's work area.
  window->setGeometry(screen->availableGeometry());
  // Outside any layout, so sized by hand: as large as the screen.
  window->Web = new QWebEngineView(window);
  window->Web->setGeometry(0, 0, screen_size.width(), screen_size.height());
  OpenNewWindowsInDefaultBrowser(*window->Web->page());
  window->Web->setUrl(url);

  QPointer<TFmWeb> guard(window);
  window->exec();
  if (FmWeb == window) FmWeb = nullptr;
  // Released once the event being handled is done with it.
  if (guard) guard->deleteLater();
}

}  // namespace veyra
