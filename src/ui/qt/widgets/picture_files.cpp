#include "ui/qt/widgets/picture_files.h"

#include <QImageReader>
#include <exception>

#include "images/bmp.h"
#include "images/jpeg.h"
#include "platform/paths.h"

namespace veyra {
namespace {

std::optional<QImage> Fail(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return std::nullopt;
}

QImage FromBitmap(const Bitmap& bitmap) {
  if (bitmap.bits == 8) {
    QImage image(bitmap.width, bitmap.height, QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (const uint32_t entry : bitmap.palette)
      colours.append(qRgb((entry >> 16) & 0xFF, (entry >> 8) & 0xFF, entry & 0xFF));
    // Pixels may name entries past a short palette; they show black, not garbage.
    while (colours.size() < 256) colours.append(qRgb(0, 0, 0));
    image.setColorTable(colours);
    for (int y = 0; y < bitmap.height; ++y) {
      std::copy_n(bitmap.pixels.data() + static_cast<size_t>(y) * bitmap.width, bitmap.width,
                  image.scanLine(y));
    }
    return image;
  }
  QImage image(bitmap.width, bitmap.height, QImage::Format_RGB888);
  const size_t row = static_cast<size_t>(bitmap.width) * 3;
  for (int y = 0; y < bitmap.height; ++y) {
    const uint8_t* source = bitmap.pixels.data() + static_cast<size_t>(y) * row;
    uint8_t* target = image.scanLine(y);
    for (size_t x = 0; x < row; x += 3) {  // stored blue, green, red
      target[x] = source[x + 2];
      target[x + 1] = source[x + 1];
      target[x + 2] = source[x];
    }
  }
  return image;
}

}  // namespace

std::optional<QImage> LoadBmpPicture(const std::string& path, std::string* why) {
  try {
    const std::optional<Bitmap> bitmap = LoadBmpFile(path);
    if (!bitmap) return QImage();
    if (bitmap->width > kMaxPictureSide || bitmap->height > kMaxPictureSide) {
      return Fail(why, "picture larger than " + std::to_string(kMaxPictureSide) + " pixels");
    }
    QImage image = FromBitmap(*bitmap);
    if (image.isNull()) return Fail(why, "out of memory");
    return image;
  } catch (const std::exception& error) {
    return Fail(why, error.what());
  }
}

std::optional<QImage> LoadPlatformBitmap(const std::string& path, std::string* why) {
  QImageReader reader(QString::fromStdString(MapPath(path).string()));
  const QSize size = reader.size();
  if (!size.isValid()) return Fail(why, "cannot read " + path);
  if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
    return Fail(why, "picture larger than " + std::to_string(kMaxPictureSide) + " pixels");
  }
  QImage image = reader.read();
  if (image.isNull()) return Fail(why, reader.errorString().toStdString());
  return image;
}

std::optional<QImage> LoadJpegPicture(const std::string& path, std::string* why) {
  try {
    std::optional<RgbImage> rgb = LoadJpegFile(path, why);
    if (!rgb) return std::nullopt;
    QImage image(rgb->width, rgb->height, QImage::Format_RGB888);
    if (image.isNull()) return Fail(why, "out of memory");
    const size_t row = static_cast<size_t>(rgb->width) * 3;
    for (int y = 0; y < rgb->height; ++y) {
      std::copy_n(rgb->pixels.data() + static_cast<size_t>(y) * row, row, image.scanLine(y));
    }
    return image;
  } catch (const std::exception& error) {
    return Fail(why, error.what());
  }
}

}  // namespace veyra
