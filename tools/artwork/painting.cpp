#include "tools/artwork/painting.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <initializer_list>
#include <set>
#include <string>

namespace veyra::artwork {
namespace {

QColor WithAlpha(QRgb colour, int alpha) {
  QColor c(colour);
  c.setAlpha(alpha);
  return c;
}

// The first of `families` that the font system really gives us; otherwise the default face,
// with one warning per family list, so that missing fonts are noticed but do not stop the tool.
QFont ResolveFont(std::initializer_list<const char*> families, int pixel_size, bool bold) {
  for (const char* family : families) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (QFontInfo(font).family().compare(QString::fromUtf8(family), Qt::CaseInsensitive) == 0) {
      return font;
    }
  }
  static std::set<std::string> warned;
  const std::string wanted = *families.begin();
  if (warned.insert(wanted).second) {
    std::fprintf(stderr, "veyra-artwork: font \"%s\" not found, using the default face\n",
                 wanted.c_str());
  }
  QFont fallback;
  fallback.setPixelSize(pixel_size);
  fallback.setBold(bold);
  return fallback;
}

QPainterPath RoundedRect(const QRectF& rect, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

// Shrinks the font until `text` fits into `width`.
QFont FitFont(QFont font, const QString& text, qreal width) {
  while (font.pixelSize() > 9 && QFontMetricsF(font).horizontalAdvance(text) > width) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  return font;
}

}  // namespace

QFont LabelFont(Script script, int pixel_size) {
  // The CN face draws the Simplified characters in mainland shapes.
  if (script == Script::kSimplified) {
    return ResolveFont({"AR PL UKai CN", "AR PL UKai TW", "AR PL UMing CN"}, pixel_size, false);
  }
  return ResolveFont({"AR PL UKai TW", "AR PL UMing TW"}, pixel_size, false);
}

QFont TextFont(Script script, int pixel_size) {
  if (script == Script::kSimplified) {
    return ResolveFont({"AR PL UMing CN", "AR PL UMing TW", "AR PL UKai CN"}, pixel_size, false);
  }
  return ResolveFont({"AR PL UMing TW", "AR PL UKai TW"}, pixel_size, false);
}

QFont TitleFont(int pixel_size) {
  return ResolveFont({"DejaVu Serif", "AR PL UMing TW"}, pixel_size, true);
}

QString Pick(Script script, const char* traditional, const char* simplified) {
  return QString::fromUtf8(script == Script::kSimplified ? simplified : traditional);
}

void PaintButton(QPainter& painter, const QRectF& rect, const QString& label, bool pressed,
                 Plate plate, QFont font) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // The rim stays inside `rect`: the launcher leaves every pixel outside a face transparent.
  const QRectF face =
      pressed ? rect.adjusted(1.5, 2, -1.5, -1) : rect.adjusted(0.75, 0.75, -0.75, -0.75);
  const qreal radius = qMin<qreal>(6, face.height() * 0.24);
  const QPainterPath shape = RoundedRect(face, radius);

  QLinearGradient fill(face.topLeft(), face.bottomLeft());
  QRgb rim;
  QRgb text_colour;
  QColor text_shadow;
  if (plate == Plate::kGold) {
    if (pressed) {
      fill.setColorAt(0, QColor(kGoldDark).darker(130));
      fill.setColorAt(1, QColor(kGold).darker(115));
    } else {
      fill.setColorAt(0, QColor(kGoldLight));
      fill.setColorAt(0.5, QColor(kGold));
      fill.setColorAt(1, QColor(kGoldDark));
    }
    rim = pressed ? qRgb(70, 52, 16) : qRgb(96, 70, 20);
    text_colour = pressed ? qRgb(30, 24, 16) : kNightTop;
    text_shadow = WithAlpha(kGoldLight, pressed ? 40 : 120);
  } else {
    if (pressed) {
      fill.setColorAt(0, QColor(kBlueDark).darker(160));
      fill.setColorAt(1, QColor(kBlueDark));
    } else {
      fill.setColorAt(0, QColor(kBlueLight));
      fill.setColorAt(1, QColor(kBlueDark));
    }
    rim = pressed ? kGoldDark : kGold;
    text_colour = pressed ? kGold : kGoldLight;
    text_shadow = QColor(0, 0, 0, 170);
  }
  painter.fillPath(shape, fill);

  painter.setClipPath(shape);
  if (pressed) {
    // Shadow along the top edge: the face lies below the rim.
    QLinearGradient sunk(face.topLeft(), QPointF(face.left(), face.top() + face.height() * 0.4));
    sunk.setColorAt(0, QColor(0, 0, 0, 150));
    sunk.setColorAt(1, QColor(0, 0, 0, 0));
    painter.fillRect(face, sunk);
  } else {
    // Gloss on the upper half.
    QLinearGradient gloss(face.topLeft(), QPointF(face.left(), face.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(face.topLeft(), QSizeF(face.width(), face.height() / 2)), gloss);
  }
  painter.setClipping(false);
  painter.setPen(QPen(QColor(rim), pressed ? 1.0 : 1.3));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(shape);

  font = FitFont(font, label, face.width() - 8);
  painter.setFont(font);
  const QRectF text_box = face.translated(pressed ? 0.5 : 0, pressed ? 0.5 : -0.5);
  painter.setPen(text_shadow);
  painter.drawText(text_box.translated(0, 1), Qt::AlignCenter, label);
  painter.setPen(QColor(text_colour));
  painter.drawText(text_box, Qt::AlignCenter, label);
  painter.restore();
}

QImage ButtonPicture(QSize size, const QString& label, bool pressed, Plate plate,
                     const QFont& font) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kSocketFill);
  QPainter painter(&image);
  PaintButton(painter, QRectF(QPointF(0, 0), QSizeF(size)), label, pressed, plate, font);
  return image;
}

void PaintNightSky(QPainter& painter, const QRectF& rect, unsigned seed, int stars) {
  painter.save();
  QLinearGradient sky(rect.topLeft(), rect.bottomLeft());
  sky.setColorAt(0, QColor(kNightTop));
  sky.setColorAt(1, QColor(kNightBottom));
  painter.fillRect(rect, sky);
  // A faint glow in the upper middle keeps large areas from looking flat.
  QRadialGradient glow(QPointF(rect.center().x(), rect.top() + rect.height() * 0.3),
                       rect.width() * 0.6);
  glow.setColorAt(0, QColor(70, 100, 170, 60));
  glow.setColorAt(1, QColor(70, 100, 170, 0));
  painter.fillRect(rect, glow);

  // Stars from a fixed sequence, so that every run draws the same picture.
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  uint32_t state = seed * 2654435761u + 1;
  auto next = [&state](uint32_t range) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % range;
  };
  for (int i = 0; i < stars; ++i) {
    const qreal x = rect.left() + next(uint32_t(rect.width()));
    const qreal y = rect.top() + next(uint32_t(rect.height()));
    const int alpha = 60 + int(next(160));
    const qreal size = next(10) == 0 ? 1.6 : 0.8;
    painter.setBrush(QColor(255, 248, 220, alpha));
    painter.drawEllipse(QPointF(x, y), size, size);
  }
  painter.restore();
}

void PaintGoldFrame(QPainter& painter, const QRectF& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(kGoldDark), 3));
  painter.drawRect(rect.adjusted(1.5, 1.5, -1.5, -1.5));
  painter.setPen(QPen(QColor(kGold), 1));
  painter.drawRect(rect.adjusted(5.5, 5.5, -5.5, -5.5));
  // A small diamond at each corner.
  const QRectF inner = rect.adjusted(5.5, 5.5, -5.5, -5.5);
  painter.setPen(QPen(QColor(kGoldDark), 1));
  painter.setBrush(QColor(kGold));
  for (const QPointF& corner :
       {inner.topLeft(), inner.topRight(), inner.bottomLeft(), inner.bottomRight()}) {
    QPainterPath diamond;
    diamond.moveTo(corner + QPointF(0, -4));
    diamond.lineTo(corner + QPointF(4, 0));
    diamond.lineTo(corner + QPointF(0, 4));
    diamond.lineTo(corner + QPointF(-4, 0));
    diamond.closeSubpath();
    painter.drawPath(diamond);
  }
  painter.restore();
}

void PaintPanel(QPainter& painter, const QRectF& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect, WithAlpha(kPanelFill, 225));
  QLinearGradient shade(rect.topLeft(), rect.topLeft() + QPointF(0, 10));
  shade.setColorAt(0, QColor(0, 0, 0, 110));
  shade.setColorAt(1, QColor(0, 0, 0, 0));
  painter.fillRect(QRectF(rect.topLeft(), QSizeF(rect.width(), 10)), shade);
  painter.setPen(QPen(QColor(kGoldDark), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(-0.5, -0.5, 0.5, 0.5));
  painter.restore();
}

void PaintSocket(QPainter& painter, const QRectF& inner) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF outer = inner.adjusted(-2, -2, 2, 2);
  painter.setPen(QPen(QColor(kGoldDark), 1.2));
  painter.setBrush(QColor(kSocketFill));
  painter.drawRoundedRect(outer.adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
  painter.restore();
  // The button's soft edges were blended with exactly this colour.
  painter.fillRect(inner, QColor(kSocketFill));
}

void PaintText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
               QRgb colour, int flags) {
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 0, 160));
  painter.drawText(rect.translated(1, 1), flags, text);
  painter.setPen(QColor(colour));
  painter.drawText(rect, flags, text);
  painter.restore();
}

}  // namespace veyra::artwork
