// The two dialogs of the updater: the network line choice (its pictures live in the form) and
// the update mode choice that offers the forced complete update.

#include <QPainter>

#include "tools/artwork/art_drawing.h"
#include "tools/artwork/layout_geometry.h"
#include "tools/artwork/painting.h"
#include "window_rules/line_dialog_layout.h"
#include "window_rules/update_mode_layout.h"

namespace veyra::artwork {
namespace {

// Network line dialog: the list and the confirm button.
constexpr QRect kLineList = ToQRect(line_dialog::kListBox1);
constexpr QRect kLineConfirm(ToQPoint(line_dialog::kTraditionalSet.confirm.at),
                             ToQSize(line_dialog::kTraditionalSet.confirm.size));

// Update mode dialog.
constexpr QSize kModeButtonSize(100, 30);  // the buttons take the size of their pictures
constexpr QRect kForceButton(ToQPoint(update_mode_dialog::kImage2.place.at), kModeButtonSize);
constexpr QRect kCancelButton(ToQPoint(update_mode_dialog::kImage3.place.at), kModeButtonSize);

QImage DrawLineBackground(Script script, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF all(QPointF(0, 0), QSizeF(size));
  PaintNightSky(painter, all, 4, 60);
  PaintText(painter, QRectF(0, 20, size.width(), 34), Pick(script, "選擇連線線路", "选择连线线路"),
            LabelFont(script, 26), kGoldLight, Qt::AlignCenter);
  PaintText(painter, QRectF(0, 56, size.width(), 22),
            Pick(script, "請選擇最順暢的網路線路", "请选择最顺畅的网络线路"), TextFont(script, 14),
            kMuted, Qt::AlignCenter);
  PaintPanel(painter, QRectF(kLineList).adjusted(-2, -2, 2, 2));
  PaintSocket(painter, QRectF(kLineConfirm));
  PaintGoldFrame(painter, all);
  return image;
}

QImage DrawModeBackground(Script script, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  // The window shows only the part of the background its size leaves.
  const Size window = update_mode_dialog::UpdateModeDialogSize({size.width(), size.height()});
  const QRectF shown(0, 0, window.width, window.height);
  PaintNightSky(painter, QRectF(QPointF(0, 0), QSizeF(size)), 3, 30);
  // Broken by hand so that no line starts with punctuation.
  const QString text = Pick(script,
                            "遊戲提示版本不符，卻沒有檔案\n"
                            "可以下載時，請按「強制更新」，\n"
                            "重新下載全部的遊戲檔案。",
                            "游戏提示版本不符，却没有文件\n"
                            "可以下载时，请按「强制更新」，\n"
                            "重新下载全部的游戏文件。");
  PaintText(painter, shown.adjusted(16, 16, -12, -54), text, TextFont(script, 15), kCream,
            Qt::AlignLeft | Qt::AlignTop);
  PaintSocket(painter, QRectF(kForceButton));
  PaintSocket(painter, QRectF(kCancelButton));
  PaintGoldFrame(painter, shown);
  return image;
}

}  // namespace

QImage DrawDialogArt(const Picture& picture) {
  const QSize size(picture.width, picture.height);
  const Script script = picture.script;
  switch (picture.art) {
    case Art::kLineConfirm:
      return ButtonPicture(size, Pick(script, "確定", "确定"), picture.pressed, Plate::kGold,
                           LabelFont(script, 17));
    case Art::kForceUpdate:
      return ButtonPicture(size, Pick(script, "強制更新", "强制更新"), picture.pressed,
                           Plate::kGold, LabelFont(script, 17));
    case Art::kModeCancel:
      return ButtonPicture(size, Pick(script, "取消", "取消"), picture.pressed, Plate::kBlue,
                           LabelFont(script, 17));
    case Art::kModeBackground:
      return DrawModeBackground(script, size);
    default:
      return DrawLineBackground(script, size);
  }
}

}  // namespace veyra::artwork
