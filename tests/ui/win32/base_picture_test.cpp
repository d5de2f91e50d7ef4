#include <gtest/gtest.h>
#include <windows.h>

#include "ui/win32/base/picture.h"

namespace veyra::win32 {
namespace {

constexpr Rgb kKey{255, 0, 255};
constexpr Rgb kRed{200, 10, 20};
constexpr Rgb kGreen{0, 128, 0};

// A memory DC over a 32-bit DIB of `size`, filled with `ground`, whose pixels can be read back.
class Canvas {
 public:
  Canvas(Size size, Rgb ground) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    Picture::Filled(size, ground).Draw(dc_, {0, 0, size.width, size.height});
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  Rgb At(int x, int y) const {
    const COLORREF pixel = GetPixel(dc_, x, y);
    return {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
  }

 private:
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_;
};

// 3 x 2, 8 bits per pixel: the bottom row starts with the key colour.
Bitmap PaletteBitmap() {
  Bitmap bitmap;
  bitmap.width = 3;
  bitmap.height = 2;
  bitmap.bits = 8;
  auto entry = [](Rgb c) { return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue; };
  bitmap.palette = {entry(kKey), entry(kRed)};
  bitmap.pixels = {1, 1, 0,   // top row: red red key
                   0, 1, 0};  // bottom row: key red key
  return bitmap;
}

TEST(Picture, TransparentDrawingLeavesOutTheBottomLeftColour) {
  const Picture picture = Picture::FromBitmap(PaletteBitmap());
  ASSERT_EQ(picture.size(), (Size{3, 2}));
  EXPECT_EQ(picture.TransparentKey(), kKey);
  Canvas canvas({5, 4}, kGreen);
  picture.DrawTransparent(canvas.dc(), {1, 1, 3, 2}, picture.TransparentKey());
  const Rgb expected[2][3] = {{kRed, kRed, kGreen}, {kGreen, kRed, kGreen}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.At(1 + x, 1 + y), expected[y][x]) << x << "," << y;
  }
  EXPECT_EQ(canvas.At(0, 0), kGreen);  // nothing outside the target
  EXPECT_EQ(canvas.At(4, 3), kGreen);
}

TEST(Picture, OpaqueDrawingStretchesAndSectionsCutFrames) {
  RgbImage image{4, 1, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}};
  const Picture strip = Picture::FromImage(image);
  const Picture frame = strip.Section({2, 0, 2, 1});
  ASSERT_EQ(frame.size(), (Size{2, 1}));
  EXPECT_EQ(frame.PixelAt(0, 0), (Rgb{70, 80, 90}));
  EXPECT_EQ(strip.Section({3, 0, 9, 9}).size(), (Size{1, 1}));  // clipped to the picture
  Canvas canvas({4, 2}, kGreen);
  frame.Draw(canvas.dc(), {0, 0, 4, 2});
  EXPECT_EQ(canvas.At(0, 1), (Rgb{70, 80, 90}));
  EXPECT_EQ(canvas.At(3, 0), (Rgb{100, 110, 120}));
}

}  // namespace
}  // namespace veyra::win32
