#include "ui/qt/updater/page_panel.h"

#include <QVBoxLayout>
#include <QWebEngineView>

#include "platform/paths.h"

namespace veyra {

WebPagePanel::WebPagePanel(QWidget* parent) : PagePanel(parent), view_(new QWebEngineView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
}

void WebPagePanel::Navigate(const std::string& file_name) {
  url_ = QUrl::fromLocalFile(QString::fromStdString(MapPath(file_name).string()));
  view_->setUrl(url_);
}

void WebPagePanel::Reload() {
  // Loading the address again reads the file afresh, also when it was missing the first time.
  if (!url_.isEmpty()) view_->setUrl(url_);
}

}  // namespace veyra
