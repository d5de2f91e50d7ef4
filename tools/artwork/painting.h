#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include "tools/artwork/artwork_files.h"

class QPainter;

namespace veyra::artwork {

// One palette for every window: deep night blue with gold.
inline constexpr QRgb kNightTop = qRgb(9, 16, 38);
inline constexpr QRgb kNightBottom = qRgb(24, 40, 86);
inline constexpr QRgb kPanelFill = qRgb(7, 13, 31);
inline constexpr QRgb kSocketFill = qRgb(5, 10, 24);  // the flat place a button sits in
inline constexpr QRgb kBandFill = qRgb(13, 23, 50);   // flat row under opaque button pictures
inline constexpr QRgb kBlueLight = qRgb(52, 86, 160);
inline constexpr QRgb kBlueDark = qRgb(18, 34, 80);
inline constexpr QRgb kGold = qRgb(214, 176, 64);
inline constexpr QRgb kGoldLight = qRgb(248, 228, 156);
inline constexpr QRgb kGoldDark = qRgb(132, 100, 34);
inline constexpr QRgb kCream = qRgb(244, 234, 206);
inline constexpr QRgb kMuted = qRgb(146, 158, 190);
// The colour that the launcher's transparent button pictures leave out. It is the colour of a
// frame's bottom-left pixel, which is how a transparent picture control picks its colour.
inline constexpr QRgb kTransparentKey = qRgb(255, 0, 255);

// Fonts by role. Each asks for the AR PL face by name and checks that it resolved; when it did
// not, a warning goes to standard error once and the default face is used.
QFont LabelFont(Script script, int pixel_size);  // AR PL UKai: buttons and headings
QFont TextFont(Script script, int pixel_size);   // AR PL UMing: explanations
QFont TitleFont(int pixel_size);                 // the Latin game name

// The text for the script: `traditional` or `simplified` (UTF-8).
QString Pick(Script script, const char* traditional, const char* simplified);

enum class Plate { kBlue, kGold };  // gold marks the main action of a window

// A button face filling `rect`. Pressed: darker, sunk by a pixel with a shadow along its top
// edge and a dimmer rim, so the two states differ at a glance. The label shrinks to fit.
void PaintButton(QPainter& painter, const QRectF& rect, const QString& label, bool pressed,
                 Plate plate, QFont font);

// A whole opaque button picture: the face over kSocketFill, which is also the colour the
// backgrounds show where such a picture lies.
QImage ButtonPicture(QSize size, const QString& label, bool pressed, Plate plate,
                     const QFont& font);

// Background pieces.
void PaintNightSky(QPainter& painter, const QRectF& rect, unsigned seed, int stars);
void PaintGoldFrame(QPainter& painter, const QRectF& rect);  // double rim with corner jewels
void PaintPanel(QPainter& painter, const QRectF& rect);      // recessed dark panel
// A flat place for a button: `inner` is filled with kSocketFill (so the button's soft edges
// blend into it), the rim is drawn outside it.
void PaintSocket(QPainter& painter, const QRectF& inner);
// Text with a soft dark shadow below it.
void PaintText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
               QRgb colour, int flags);

}  // namespace veyra::artwork
