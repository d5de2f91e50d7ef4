#include "ui/win32/base/picture.h"

#include <algorithm>
#include <cstdlib>

#include "platform/error.h"
#include "platform/paths.h"
#include "window_rules/picture_transparency.h"

namespace veyra::win32 {
namespace {

// A screen-compatible memory DC with a bitmap selected while it lives.
class SelectedBitmap {
 public:
  explicit SelectedBitmap(HGDIOBJ bitmap)
      : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, bitmap)) {}
  ~SelectedBitmap() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

uint32_t Packed(uint8_t red, uint8_t green, uint8_t blue) {
  return (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
}

BITMAPINFO TopDownInfo(Size size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

Picture Picture::Allocate(Size size) {
  Picture picture;
  if (size.width <= 0 || size.height <= 0) return picture;
  const BITMAPINFO info = TopDownInfo(size);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return picture;
  picture.bitmap_ = std::shared_ptr<void>(
      bitmap, [](void* handle) { DeleteObject(static_cast<HGDIOBJ>(handle)); });
  picture.bits_ = static_cast<uint32_t*>(bits);
  picture.size_ = size;
  return picture;
}

Picture Picture::FromBitmap(const Bitmap& bitmap) {
  Picture picture = Allocate({bitmap.width, bitmap.height});
  if (picture.empty()) return picture;
  const size_t row_bytes = size_t(bitmap.width) * (bitmap.bits == 8 ? 1 : 3);
  for (int y = 0; y < bitmap.height; ++y) {
    const uint8_t* row = bitmap.pixels.data() + size_t(y) * row_bytes;
    uint32_t* out = picture.bits_ + size_t(y) * bitmap.width;
    for (int x = 0; x < bitmap.width; ++x) {
      if (bitmap.bits == 8) {
        // A palette index past the palette's end shows black, as the system shows it.
        const uint8_t index = row[x];
        out[x] = index < bitmap.palette.size() ? bitmap.palette[index] & 0xFFFFFF : 0;
      } else {
        out[x] = Packed(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      }
    }
  }
  return picture;
}

Picture Picture::FromImage(const RgbImage& image) {
  Picture picture = Allocate({image.width, image.height});
  if (picture.empty()) return picture;
  const uint8_t* in = image.pixels.data();
  for (size_t i = 0; i < size_t(image.width) * image.height; ++i, in += 3) {
    picture.bits_[i] = Packed(in[0], in[1], in[2]);
  }
  return picture;
}

Picture Picture::FromSystemBitmap(HBITMAP bitmap) {
  BITMAP header{};
  if (GetObjectW(bitmap, sizeof header, &header) == 0) return Picture();
  Picture picture = Allocate({header.bmWidth, std::abs(header.bmHeight)});
  if (picture.empty()) return picture;
  // The system converts whatever form the bitmap has into the picture's 32-bit rows.
  SelectedBitmap source(bitmap);
  SelectedBitmap target(static_cast<HGDIOBJ>(picture.bitmap_.get()));
  BitBlt(target.dc(), 0, 0, picture.size_.width, picture.size_.height, source.dc(), 0, 0, SRCCOPY);
  GdiFlush();
  return picture;
}

Picture Picture::Filled(Size size, Rgb colour) {
  Picture picture = Allocate(size);
  if (!picture.empty()) {
    std::fill_n(picture.bits_, size_t(size.width) * size.height,
                Packed(colour.red, colour.green, colour.blue));
  }
  return picture;
}

Rgb Picture::PixelAt(int x, int y) const {
  if (empty() || x < 0 || y < 0 || x >= size_.width || y >= size_.height) return kBlack;
  GdiFlush();  // drawing into the section may still be queued
  const uint32_t pixel = bits_[size_t(y) * size_.width + x];
  return {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)};
}

Picture Picture::Section(const Rect& part) const {
  const int left = std::clamp(part.left, 0, size_.width);
  const int top = std::clamp(part.top, 0, size_.height);
  const int width = std::clamp(part.width, 0, size_.width - left);
  const int height = std::clamp(part.height, 0, size_.height - top);
  Picture section = Allocate({width, height});
  if (section.empty()) return section;
  GdiFlush();
  for (int y = 0; y < height; ++y) {
    std::copy_n(bits_ + size_t(top + y) * size_.width + left, width,
                section.bits_ + size_t(y) * width);
  }
  return section;
}

void Picture::Draw(HDC dc, const Rect& to) const {
  if (empty()) return;
  SelectedBitmap source(static_cast<HGDIOBJ>(bitmap_.get()));
  if (to.width == size_.width && to.height == size_.height) {
    BitBlt(dc, to.left, to.top, to.width, to.height, source.dc(), 0, 0, SRCCOPY);
    return;
  }
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, to.left, to.top, to.width, to.height, source.dc(), 0, 0, size_.width, size_.height,
             SRCCOPY);
}

void Picture::DrawTransparent(HDC dc, const Rect& to, Rgb key) const {
  if (empty()) return;
  SelectedBitmap source(static_cast<HGDIOBJ>(bitmap_.get()));
  TransparentBlt(dc, to.left, to.top, to.width, to.height, source.dc(), 0, 0, size_.width,
                 size_.height, RGB(key.red, key.green, key.blue));
}

Rgb Picture::TransparentKey() const {
  const Point at = TransparentKeyPixel(size_);
  return PixelAt(at.left, at.top);
}

std::optional<Picture> LoadBmpPicture(const std::string& path) {
  const std::optional<Bitmap> bitmap = LoadBmpFile(path);
  if (!bitmap) return std::nullopt;
  return Picture::FromBitmap(*bitmap);
}

std::optional<Picture> LoadSystemBitmap(const std::string& path) {
  HANDLE loaded = LoadImageW(nullptr, MapPath(path).c_str(), IMAGE_BITMAP, 0, 0,
                             LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (loaded == nullptr) return std::nullopt;
  Picture picture = Picture::FromSystemBitmap(static_cast<HBITMAP>(loaded));
  DeleteObject(loaded);
  if (picture.empty()) return std::nullopt;
  return picture;
}

Picture LoadJpegPicture(const std::string& path) {
  std::string why;
  const std::optional<RgbImage> image = LoadJpegFile(path, &why);
  if (!image) throw Error(path + ": " + why);
  return Picture::FromImage(*image);
}

}  // namespace veyra::win32
