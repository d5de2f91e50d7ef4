// The launcher window: a borderless night scene with the game's name, a deck of four places
// for the buttons, and the strip that holds every button's released and pressed frame.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

#include "tools/artwork/art_drawing.h"
#include "tools/artwork/layout_geometry.h"
#include "tools/artwork/painting.h"
#include "window_rules/launcher_layout.h"

namespace veyra::artwork {
namespace {

// Where the launcher puts its button pictures, and the part of each picture that takes clicks;
// the rest of a picture lets the window be dragged, so only the click area shows a button.
constexpr std::array<QPoint, launcher::kButtonCount> kButtonPos = {
    ToQPoint(launcher::ButtonPos[0]), ToQPoint(launcher::ButtonPos[1]),
    ToQPoint(launcher::ButtonPos[2]), ToQPoint(launcher::ButtonPos[3])};
constexpr QSize kFrameSize = ToQSize(launcher::kButtonPictureSize);
constexpr QSize kClickArea = ToQSize(launcher::kButtonClickAreaSize);

struct LauncherButton {
  const char* traditional;
  const char* simplified;
  Plate plate;
};

constexpr std::array<LauncherButton, 4> kButtons = {{
    {"更新遊戲", "更新游戏", Plate::kGold},  // update and play: the main action
    {"官方網站", "官方网站", Plate::kBlue},
    {"遊戲設定", "游戏设定", Plate::kBlue},
    {"離開遊戲", "离开游戏", Plate::kBlue},
}};

void PaintMoon(QPainter& painter, QPointF centre, qreal radius) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(centre, radius * 3);
  glow.setColorAt(0, QColor(250, 236, 190, 70));
  glow.setColorAt(1, QColor(250, 236, 190, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawEllipse(centre, radius * 3, radius * 3);
  QPainterPath disc;
  disc.addEllipse(centre, radius, radius);
  QPainterPath bite;
  bite.addEllipse(centre + QPointF(radius * 0.45, -radius * 0.2), radius * 0.9, radius * 0.9);
  painter.setBrush(QColor(kGoldLight));
  painter.drawPath(disc.subtracted(bite));
  painter.restore();
}

// Two ranges of hills and a small castle on the nearer one.
void PaintLandscape(QPainter& painter, const QRectF& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const qreal w = rect.width();
  const qreal bottom = rect.bottom();
  QPolygonF far;
  far << QPointF(0, bottom) << QPointF(0, 270) << QPointF(w * 0.12, 236) << QPointF(w * 0.25, 262)
      << QPointF(w * 0.4, 222) << QPointF(w * 0.55, 258) << QPointF(w * 0.72, 228)
      << QPointF(w * 0.86, 252) << QPointF(w, 232) << QPointF(w, bottom);
  painter.setBrush(QColor(26, 44, 92));
  painter.drawPolygon(far);

  QPolygonF near;
  near << QPointF(0, bottom) << QPointF(0, 300) << QPointF(w * 0.1, 286) << QPointF(w * 0.2, 262)
       << QPointF(w * 0.3, 284) << QPointF(w * 0.48, 300) << QPointF(w * 0.66, 280)
       << QPointF(w * 0.8, 296) << QPointF(w, 276) << QPointF(w, bottom);
  QLinearGradient ground(QPointF(0, 260), QPointF(0, bottom));
  ground.setColorAt(0, QColor(14, 24, 54));
  ground.setColorAt(1, QColor(6, 11, 26));
  painter.setBrush(ground);
  painter.drawPolygon(near);

  // Castle on the peak at 20 % of the width: keep, two towers, lit windows.
  const qreal cx = w * 0.2;
  const QColor stone(12, 21, 48);
  painter.setBrush(stone);
  painter.drawRect(QRectF(cx - 22, 236, 44, 30));
  for (qreal tx : {cx - 26.0, cx + 16.0}) {
    painter.drawRect(QRectF(tx, 222, 10, 44));
    QPolygonF roof;
    roof << QPointF(tx - 2, 222) << QPointF(tx + 5, 206) << QPointF(tx + 12, 222);
    painter.drawPolygon(roof);
  }
  QPolygonF keep_roof;
  keep_roof << QPointF(cx - 10, 236) << QPointF(cx, 214) << QPointF(cx + 10, 236);
  painter.drawPolygon(keep_roof);
  painter.setBrush(QColor(kGold));
  painter.drawRect(QRectF(cx - 2, 244, 4, 6));
  painter.drawRect(QRectF(cx - 23, 232, 2, 4));
  painter.drawRect(QRectF(cx + 19, 232, 2, 4));
  painter.restore();
}

void PaintGameName(QPainter& painter, const QRectF& box) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QFont font = TitleFont(54);
  QPainterPath text;
  text.addText(0, 0, font, QStringLiteral("VeyraOnline"));
  const QRectF bounds = text.boundingRect();
  text.translate(box.center() - bounds.center());
  const QRectF placed = text.boundingRect();
  painter.setPen(QPen(QColor(0, 0, 0, 140), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(text.translated(0, 3));
  QLinearGradient gold(placed.topLeft(), placed.bottomLeft());
  gold.setColorAt(0, QColor(kGoldLight));
  gold.setColorAt(0.55, QColor(kGold));
  gold.setColorAt(1, QColor(kGoldDark));
  painter.setPen(QPen(QColor(70, 48, 10), 1.5));
  painter.setBrush(gold);
  painter.drawPath(text);
  painter.restore();
}

void PaintDivider(QPainter& painter, qreal y, qreal from, qreal to) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal mid = (from + to) / 2;
  QLinearGradient line(QPointF(from, y), QPointF(to, y));
  line.setColorAt(0, QColor(214, 176, 64, 0));
  line.setColorAt(0.5, QColor(kGold));
  line.setColorAt(1, QColor(214, 176, 64, 0));
  painter.setPen(QPen(QBrush(line), 1));
  painter.drawLine(QPointF(from, y), QPointF(to, y));
  QPainterPath diamond;
  diamond.moveTo(mid, y - 5);
  diamond.lineTo(mid + 5, y);
  diamond.lineTo(mid, y + 5);
  diamond.lineTo(mid - 5, y);
  diamond.closeSubpath();
  painter.fillPath(diamond, QColor(kGold));
  painter.restore();
}

QImage DrawBackground(Script script, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF all(QPointF(0, 0), QSizeF(size));
  PaintNightSky(painter, all, 1, 150);
  PaintMoon(painter, QPointF(size.width() - 66, 60), 24);
  PaintLandscape(painter, all);
  PaintGameName(painter, QRectF(0, 56, size.width(), 80));
  PaintText(painter, QRectF(0, 142, size.width(), 34),
            Pick(script, "歡迎回來，冒險者", "欢迎回来，冒险者"), LabelFont(script, 26), kCream,
            Qt::AlignCenter);
  PaintDivider(painter, 190, 170, size.width() - 170);

  // The deck: one panel under the row of buttons, one socket per button's click area.
  const QRectF row(QPointF(kButtonPos.front()),
                   QPointF(kButtonPos.back().x() + kClickArea.width(),
                           kButtonPos.back().y() + kClickArea.height()));
  const QRectF deck = row.adjusted(-24, -20, 24, 20);
  PaintPanel(painter, deck);
  for (const QPoint& pos : kButtonPos) PaintSocket(painter, QRectF(pos, kClickArea));

  PaintText(painter, QRectF(0, size.height() - 52, size.width(), 24),
            Pick(script, "VeyraOnline 遊戲啟動器", "VeyraOnline 游戏启动器"), TextFont(script, 14),
            kMuted, Qt::AlignCenter);
  PaintGoldFrame(painter, all);
  return image;
}

// One frame: the button face over the click area, the rest in the transparent colour. Edge
// pixels are blended with the socket colour the background shows under the click area, so the
// face's rounded corners look smooth on the window without a coloured fringe.
QImage DrawFrame(const LauncherButton& button, Script script, bool pressed) {
  QImage face(kFrameSize, QImage::Format_ARGB32_Premultiplied);
  face.fill(Qt::transparent);
  {
    QPainter painter(&face);
    PaintButton(painter, QRectF(QPointF(0, 0), QSizeF(kClickArea)),
                Pick(script, button.traditional, button.simplified), pressed, button.plate,
                LabelFont(script, 20));
  }
  QImage frame(kFrameSize, QImage::Format_RGB32);
  const QColor socket(kSocketFill);
  for (int y = 0; y < frame.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(face.constScanLine(y));
    QRgb* out = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < frame.width(); ++x) {
      const int alpha = qAlpha(in[x]);
      if (alpha == 0) {
        out[x] = kTransparentKey;
        continue;
      }
      const int rest = 255 - alpha;  // premultiplied: colour + background * (1 - alpha)
      out[x] =
          qRgb(qRed(in[x]) + socket.red() * rest / 255, qGreen(in[x]) + socket.green() * rest / 255,
               qBlue(in[x]) + socket.blue() * rest / 255);
    }
  }
  return frame;
}

QImage DrawStrip(Script script, QSize size) {
  QImage strip(size, QImage::Format_RGB32);
  strip.fill(kTransparentKey);
  QPainter painter(&strip);
  for (size_t i = 0; i < kButtons.size(); ++i) {
    for (int state = 0; state < 2; ++state) {
      const int k = int(i) * 2 + state;
      painter.drawImage(QPoint(k * kFrameSize.width(), 0),
                        DrawFrame(kButtons[i], script, state == 1));
    }
  }
  return strip;
}

}  // namespace

QImage DrawLauncherArt(const Picture& picture) {
  const QSize size(picture.width, picture.height);
  if (picture.art == Art::kLauncherStrip) return DrawStrip(picture.script, size);
  return DrawBackground(picture.script, size);
}

}  // namespace veyra::artwork
