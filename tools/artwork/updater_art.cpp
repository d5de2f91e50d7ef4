// The updater window: two file lists on the left, the news page on the right, the status line,
// the gauge and a row of four buttons at the bottom.

#include <QPainter>

#include "tools/artwork/art_drawing.h"
#include "tools/artwork/layout_geometry.h"
#include "tools/artwork/painting.h"
#include "window_rules/updater_window_layout.h"

namespace veyra::artwork {
namespace {

// Places the window gives its controls (left, top, width, height).
constexpr QRect kWaitingList = ToQRect(updater_window::kListBox1);
constexpr QRect kDoneList = ToQRect(updater_window::kListBox2);
constexpr QRect kPage = ToQRect(updater_window::kWebBrowser1);
constexpr QRect kGauge = ToQRect(updater_window::kGauge1);
constexpr int kButtonTop = updater_window::kImage2.place.at.top;
constexpr int kButtonHeight = updater_window::kImage2.place.size->height;

QRectF Around(const QRect& rect, qreal margin) {
  return QRectF(rect).adjusted(-margin, -margin, margin, margin);
}

QImage DrawBackground(Script script, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF all(QPointF(0, 0), QSizeF(size));
  PaintNightSky(painter, all, 2, 90);

  PaintText(painter, QRectF(kWaitingList.left(), 12, kWaitingList.width(), 32),
            Pick(script, "自動更新", "自动更新"), LabelFont(script, 26), kGoldLight,
            Qt::AlignCenter);
  PaintText(painter, QRectF(kWaitingList.left() + 4, 46, kWaitingList.width(), 20),
            Pick(script, "待更新檔案", "待更新文件"), LabelFont(script, 16), kCream,
            Qt::AlignLeft | Qt::AlignVCenter);
  PaintText(painter, QRectF(kDoneList.left() + 4, 259, kDoneList.width(), 20),
            Pick(script, "已更新檔案", "已更新文件"), LabelFont(script, 16), kCream,
            Qt::AlignLeft | Qt::AlignVCenter);
  PaintText(painter, QRectF(kPage.left(), 26, kPage.width(), 22),
            Pick(script, "最新消息", "最新消息"), LabelFont(script, 18), kCream, Qt::AlignCenter);
  PaintPanel(painter, Around(kWaitingList, 2));
  PaintPanel(painter, Around(kDoneList, 2));
  PaintPanel(painter, Around(kPage, 2));

  // One console holds the gauge and the button row; the opaque button pictures have the
  // console's flat colour as their ground.
  const QRectF console(kGauge.left() - 11, kGauge.top() - 9, kGauge.width() + 22,
                       kButtonTop + kButtonHeight + 8 - (kGauge.top() - 9));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(kGoldDark), 1.2));
  painter.setBrush(QColor(kSocketFill));
  painter.drawRoundedRect(console, 8, 8);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(console.adjusted(3, 3, -3, -3), QColor(kSocketFill));
  // The gauge paints its own black bar; a rim around it ties it to the console.
  painter.fillRect(Around(kGauge, 1), QColor(kGoldDark));
  painter.fillRect(QRectF(kGauge), Qt::black);

  PaintGoldFrame(painter, all);
  return image;
}

}  // namespace

QImage DrawUpdaterArt(const Picture& picture) {
  const QSize size(picture.width, picture.height);
  const Script script = picture.script;
  const QFont font = LabelFont(script, 16);
  switch (picture.art) {
    case Art::kStartUpdate:
      return ButtonPicture(size, Pick(script, "開始更新", "开始更新"), picture.pressed,
                           Plate::kGold, font);
    case Art::kStartGame:
      return ButtonPicture(size, Pick(script, "開始遊戲", "开始游戏"), picture.pressed,
                           Plate::kGold, font);
    case Art::kTroubleshoot:
      return ButtonPicture(size, Pick(script, "疑難排解", "疑难排解"), picture.pressed,
                           Plate::kBlue, font);
    case Art::kUpdaterExit:
      return ButtonPicture(size, Pick(script, "結束離開", "结束离开"), picture.pressed,
                           Plate::kBlue, font);
    default:
      return DrawBackground(script, size);
  }
}

}  // namespace veyra::artwork
