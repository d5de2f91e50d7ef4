#include "ui/qt/agreement/default_browser.h"

#include <QDesktopServices>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>

#include "platform/support_log.h"
#include "window_rules/external_links.h"

namespace veyra {
namespace {

std::function<void(const QUrl&)>& Opener() {
  static std::function<void(const QUrl&)> opener;
  return opener;
}

}  // namespace

void OpenNewWindowsInDefaultBrowser(QWebEnginePage& page) {
  // A request nobody adopts opens no window in the program.
  QObject::connect(&page, &QWebEnginePage::newWindowRequested,
                   [](QWebEngineNewWindowRequest& request) {
                     const QUrl url = request.requestedUrl();
                     const std::string text = url.toEncoded().toStdString();
                     if (!IsWebAddress(text)) {
                       WriteSupportLog("a page's new window not opened: " + text);
                       return;
                     }
                     if (Opener()) {
                       Opener()(url);
                     } else {
                       QDesktopServices::openUrl(url);
                     }
                   });
}

void SetDefaultBrowserOpener(std::function<void(const QUrl&)> opener) {
  Opener() = std::move(opener);
}

}  // namespace veyra
