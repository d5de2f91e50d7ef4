#pragma once

#include <QDialog>
#include <QUrl>

class QWebEngineView;

namespace veyra {

// The full-screen browser window: the game's home page (the launcher's web button on systems
// that are not Traditional Chinese) or the account web site (the agreement window's "我同意").
// It has no designed controls; its browser, `Web`, is made by ShowFmWeb.
class TFmWeb : public QDialog {
  Q_OBJECT

 public:
  explicit TFmWeb(QWidget* parent = nullptr);

  QWebEngineView* Web = nullptr;
};

// The full-screen browser window while it is shown; null otherwise. One exists at a time.
inline TFmWeb* FmWeb = nullptr;

// Creates a TFmWeb as large as the screen, centred and then filling the screen's work area, with
// its browser (as large as the screen) on `url`; shows it modally and releases it once it has
// closed. Returns when it has closed.
void ShowFmWeb(const QUrl& url);

}  // namespace veyra
