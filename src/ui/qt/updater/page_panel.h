#pragma once

#include <QUrl>
#include <QWidget>
#include <string>

class QWebEngineView;

namespace veyra {

// The panel that shows the news page index2.html. The updater window shows it in the embedded
// browser; tests may put a light stand-in in its place.
class PagePanel : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  // Points the panel at a local file (a name as the game writes it, resolved with MapPath).
  virtual void Navigate(const std::string& file_name) = 0;
  // Shows the file again as it is now on disk.
  virtual void Reload() = 0;
};

// The embedded web browser.
class WebPagePanel : public PagePanel {
  Q_OBJECT

 public:
  explicit WebPagePanel(QWidget* parent);

  void Navigate(const std::string& file_name) override;
  void Reload() override;
  QWebEngineView* view() const { return view_; }

 private:
  QWebEngineView* view_;
  QUrl url_;
};

}  // namespace veyra
