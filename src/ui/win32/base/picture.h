#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "images/bmp.h"
#include "images/jpeg.h"
#include "window_rules/colour.h"
#include "window_rules/geometry.h"

namespace veyra::win32 {

// A picture in a 32-bit top-down DIB section, drawn with GDI. Copies share the pixels.
class Picture {
 public:
  Picture() = default;
  static Picture FromBitmap(const Bitmap& bitmap);
  static Picture FromImage(const RgbImage& image);
  // A copy of a system bitmap of any form; empty when it cannot be read.
  static Picture FromSystemBitmap(HBITMAP bitmap);
  // A picture of `size`, every pixel `colour`.
  static Picture Filled(Size size, Rgb colour);

  bool empty() const { return bitmap_ == nullptr; }
  Size size() const { return size_; }
  Rgb PixelAt(int x, int y) const;
  // A copy of the part `part` (clipped to the picture).
  Picture Section(const Rect& part) const;

  // Draws the picture into `dc`, stretched to `to` when the sizes differ.
  void Draw(HDC dc, const Rect& to) const;
  // The same, leaving out every pixel of colour `key`.
  void DrawTransparent(HDC dc, const Rect& to, Rgb key) const;
  // The colour a transparent picture control leaves out (TransparentKeyPixel).
  Rgb TransparentKey() const;

 private:
  // A picture of `size` with undefined pixels; empty for a size of no pixels or when the
  // system has no memory for it.
  static Picture Allocate(Size size);

  std::shared_ptr<void> bitmap_;  // the HBITMAP, deleted with the last copy
  uint32_t* bits_ = nullptr;      // 0x00RRGGBB, rows top first
  Size size_;
};

// Reads a BMP file through our reader (LoadBmpFile): nullopt for a file outside its subset;
// veyra::Error when the file cannot be opened or read.
std::optional<Picture> LoadBmpPicture(const std::string& path);
// Reads a BMP file with the system's own loader (LoadImageW), which takes every BMP form the
// system knows; nullopt when it cannot.
std::optional<Picture> LoadSystemBitmap(const std::string& path);
// Reads a JPEG file through our libjpeg reader (LoadJpegFile); veyra::Error when the file cannot
// be opened, read or decoded.
Picture LoadJpegPicture(const std::string& path);

}  // namespace veyra::win32
