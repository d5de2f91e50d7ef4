// The settings window: two display modes and three memory modes, each with a check box that
// the check mark picture covers when the choice is made, and the OK and cancel buttons.

#include <QPainter>
#include <QPainterPath>
#include <array>

#include "settings/settings_layout.h"
#include "tools/artwork/art_drawing.h"
#include "tools/artwork/layout_geometry.h"
#include "tools/artwork/painting.h"

namespace veyra::artwork {
namespace {

constexpr int kMarkLeft = settings::kImage2At.left;
constexpr QSize kMarkSize(20, 20);
constexpr int kTextLeft = 82;
constexpr QSize kButtonSize(80, 30);  // the buttons take the size of their pictures
constexpr QRect kOkButton(ToQPoint(settings::kImage4At), kButtonSize);
constexpr QRect kCancelButton(ToQPoint(settings::kImage5At), kButtonSize);

struct Choice {
  int top;  // the top of the choice's check mark
  const char* traditional;
  const char* simplified;
  bool open;  // false: the window answers that the function is not open yet
};

constexpr std::array<Choice, 5> kChoices = {{
    {settings::kImage2At.top, "全螢幕", "全屏幕", true},
    {settings::kImage3At.top, "視窗模式", "窗口模式", true},
    {settings::kImage6At.top, "完整記憶體", "完整内存", true},
    {settings::kImage7At.top, "一半記憶體", "一半内存", false},
    {settings::kImage8At.top, "節省記憶體", "节省内存", false},
}};

// The box fills its whole square, so the mark picture needs no ground colour around it.
void PaintCheckBox(QPainter& painter, const QRectF& box, bool checked) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(box, QColor(kSocketFill));
  painter.setPen(QPen(QColor(kGold), 1.4));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(box.adjusted(0.7, 0.7, -0.7, -0.7));
  if (checked) {
    QPainterPath tick;
    tick.moveTo(box.left() + box.width() * 0.2, box.top() + box.height() * 0.52);
    tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.74);
    tick.lineTo(box.left() + box.width() * 0.8, box.top() + box.height() * 0.26);
    painter.setPen(QPen(QColor(kGoldLight), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
  }
  painter.restore();
}

QImage DrawBackground(Script script, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF all(QPointF(0, 0), QSizeF(size));
  PaintNightSky(painter, all, 5, 40);
  const QFont heading = LabelFont(script, 17);
  PaintText(painter, QRectF(24, 10, 240, 22), Pick(script, "顯示模式", "显示模式"), heading,
            kGoldLight, Qt::AlignLeft | Qt::AlignVCenter);
  PaintText(painter, QRectF(24, 122, 240, 22), Pick(script, "記憶體使用", "内存使用"), heading,
            kGoldLight, Qt::AlignLeft | Qt::AlignVCenter);
  painter.setPen(QPen(QColor(kGoldDark), 1));
  painter.drawLine(QPointF(24, 112.5), QPointF(size.width() - 24, 112.5));

  const QFont label = LabelFont(script, 17);
  const QFont note = TextFont(script, 12);
  for (const Choice& choice : kChoices) {
    PaintCheckBox(painter, QRectF(QPointF(kMarkLeft, choice.top), QSizeF(kMarkSize)), false);
    PaintText(painter, QRectF(kTextLeft, choice.top - 2, 190, kMarkSize.height() + 4),
              Pick(script, choice.traditional, choice.simplified), label,
              choice.open ? kCream : kMuted, Qt::AlignLeft | Qt::AlignVCenter);
    if (!choice.open) {
      PaintText(painter, QRectF(kTextLeft, choice.top + 21, 190, 16),
                Pick(script, "（暫不開放）", "（暂不开放）"), note, kMuted,
                Qt::AlignLeft | Qt::AlignVCenter);
    }
  }
  PaintSocket(painter, QRectF(kOkButton));
  PaintSocket(painter, QRectF(kCancelButton));
  PaintGoldFrame(painter, all);
  return image;
}

}  // namespace

QImage DrawSettingsArt(const Picture& picture) {
  const QSize size(picture.width, picture.height);
  const Script script = picture.script;
  switch (picture.art) {
    case Art::kCheckMark: {
      QImage mark(size, QImage::Format_RGB32);
      QPainter painter(&mark);
      PaintCheckBox(painter, QRectF(QPointF(0, 0), QSizeF(size)), true);
      return mark;
    }
    // One picture for every language: the window's own texts are Traditional everywhere.
    case Art::kSettingsOk:
      return ButtonPicture(size, Pick(script, "確定", "确定"), false, Plate::kGold,
                           LabelFont(script, 17));
    case Art::kSettingsCancel:
      return ButtonPicture(size, Pick(script, "取消", "取消"), false, Plate::kBlue,
                           LabelFont(script, 17));
    default:
      return DrawBackground(script, size);
  }
}

}  // namespace veyra::artwork
