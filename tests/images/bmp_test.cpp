#include "images/bmp.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

using veyra::testing::TempFolder;

void PutU16(std::string& out, uint16_t value) {
  out.push_back(char(value & 0xFF));
  out.push_back(char(value >> 8));
}

void PutU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(char((value >> shift) & 0xFF));
}

struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t colours_used = 0;
  std::string palette;     // raw colour entries, written at offset 54
  std::string gap;         // bytes between the palette and the pixel data
  std::string pixel_data;  // stored rows with their padding
  std::string magic = "BM";
};

std::string MakeBmp(const BmpLayout& layout) {
  const uint32_t pixel_offset = uint32_t(54 + layout.palette.size() + layout.gap.size());
  std::string out = layout.magic;
  PutU32(out, uint32_t(pixel_offset + layout.pixel_data.size()));  // file size
  PutU32(out, 0);                                                  // reserved
  PutU32(out, pixel_offset);
  PutU32(out, 40);  // information header size
  PutU32(out, uint32_t(layout.width));
  PutU32(out, uint32_t(layout.height));
  PutU16(out, 1);  // planes
  PutU16(out, layout.bits);
  PutU32(out, 0);  // compression
  PutU32(out, uint32_t(layout.pixel_data.size()));
  PutU32(out, 2835);
  PutU32(out, 2835);
  PutU32(out, layout.colours_used);
  PutU32(out, 0);  // important colours
  return out + layout.palette + layout.gap + layout.pixel_data;
}

// `count` distinct colour entries: entry i is (i, i+1, i+2, 0xAA) as stored.
std::string Palette(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    out += {char(i), char(i + 1), char(i + 2), char(0xAA)};
  }
  return out;
}

std::string PixelsOf(const Bitmap& bitmap) {
  return std::string(bitmap.pixels.begin(), bitmap.pixels.end());
}

class BmpTest : public ::testing::Test {
 protected:
  // Writes the file and loads it by its full name.
  std::optional<Bitmap> Load(const std::string& bytes) {
    folder_.Write("picture.bmp", bytes);
    return LoadBmpFile(folder_.folder() + "picture.bmp");
  }

  TempFolder folder_;
};

TEST_F(BmpTest, EightBitWithZeroColoursUsedInstallsAllEntries) {
  BmpLayout layout;
  layout.width = 2;
  layout.height = 2;  // bottom-up
  layout.bits = 8;
  layout.palette = Palette(256);
  layout.pixel_data = std::string("ab\xEE\xEE") + "cd\xEE\xEE";
  const auto bitmap = Load(MakeBmp(layout));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->width, 2);
  EXPECT_EQ(bitmap->height, 2);
  EXPECT_EQ(bitmap->bits, 8);
  ASSERT_EQ(bitmap->palette.size(), 256u);
  EXPECT_EQ(bitmap->palette[0], 0xAA020100u);
  EXPECT_EQ(bitmap->palette[255], 0xAA0100FFu);
  EXPECT_EQ(PixelsOf(*bitmap), "cdab");
}

TEST_F(BmpTest, EightBitReadsColoursUsedEntriesAndHonoursPixelOffset) {
  BmpLayout layout;
  layout.width = 5;
  layout.height = 1;
  layout.bits = 8;
  layout.colours_used = 2;
  layout.palette = Palette(2);
  layout.gap = "garbage!";
  layout.pixel_data = std::string("\x01\x00\x01\x01\x00pad", 8);
  const auto bitmap = Load(MakeBmp(layout));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->palette, (std::vector<uint32_t>{0xAA020100u, 0xAA030201u}));
  EXPECT_EQ(PixelsOf(*bitmap), std::string("\x01\x00\x01\x01\x00", 5));
}

TEST_F(BmpTest, TwentyFourBitReadsThreeBytesPerPixelFromPaddedRows) {
  BmpLayout layout;
  layout.width = 3;  // 9 bytes per row, stored 12 apart
  layout.height = 2;
  layout.bits = 24;
  layout.pixel_data = std::string("BOTTOMROW") + "###" + "TOPROW123" + "###";
  const auto bitmap = Load(MakeBmp(layout));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->bits, 24);
  EXPECT_TRUE(bitmap->palette.empty());
  EXPECT_EQ(PixelsOf(*bitmap), "TOPROW123BOTTOMROW");
}

TEST_F(BmpTest, NegativeHeightMeansFirstStoredRowIsTop) {
  BmpLayout layout;
  layout.width = 3;
  layout.height = -3;
  layout.bits = 24;
  layout.pixel_data = std::string("FIRSTROW1") + "..." + "SECONDROW" + "..." + "THIRDROW3" + "...";
  const auto bitmap = Load(MakeBmp(layout));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->height, 3);
  EXPECT_EQ(PixelsOf(*bitmap), "FIRSTROW1SECONDROWTHIRDROW3");
}

TEST_F(BmpTest, LastRowNeedsNoPadding) {
  BmpLayout layout;
  layout.width = 1;
  layout.height = -2;
  layout.bits = 24;
  layout.pixel_data = std::string("abc.") + "def";  // file ends right after the last pixel
  const auto bitmap = Load(MakeBmp(layout));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(PixelsOf(*bitmap), "abcdef");
}

TEST_F(BmpTest, FilesOutsideTheAcceptedSubsetGiveNoBitmap) {
  struct Case {
    const char* name;
    BmpLayout layout;
  };
  const std::string enough(4096, 'p');
  auto with = [&](auto change) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bits = 8;
    layout.palette = Palette(256);
    layout.pixel_data = enough;
    change(layout);
    return layout;
  };
  const Case cases[] = {
      {"32-bit", with([](BmpLayout& s) { s.bits = 32; })},
      {"4-bit", with([](BmpLayout& s) { s.bits = 4; })},
      {"1-bit", with([](BmpLayout& s) { s.bits = 1; })},
      {"not BM", with([](BmpLayout& s) { s.magic = "MB"; })},
      {"colours used 300", with([](BmpLayout& s) { s.colours_used = 300; })},
      {"colours used -1", with([](BmpLayout& s) { s.colours_used = uint32_t(-1); })},
      {"negative width", with([](BmpLayout& s) { s.width = -4; })},
      {"zero width", with([](BmpLayout& s) { s.width = 0; })},
      {"zero height", with([](BmpLayout& s) { s.height = 0; })},
      {"height of INT_MIN", with([](BmpLayout& s) { s.height = INT_MIN; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Load(MakeBmp(c.layout)).has_value());
  }
}

TEST_F(BmpTest, ColoursUsedOf256IsAccepted) {
  BmpLayout layout;
  layout.bits = 8;
  layout.colours_used = 256;
  layout.palette = Palette(256);
  layout.pixel_data = "x";
  const auto bitmap = Load(MakeBmp(layout));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->palette.size(), 256u);
}

// Expects LoadBmpFile to throw veyra::Error whose message starts with `prefix`.
void ExpectLoadError(const std::string& path, const std::string& prefix) {
  try {
    LoadBmpFile(path);
    ADD_FAILURE() << "no error for " << path;
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), prefix + path);
  }
}

TEST_F(BmpTest, ShortFilesRaiseReadError) {
  BmpLayout rows_short;
  rows_short.width = 3;
  rows_short.height = 2;
  rows_short.pixel_data = std::string(12 + 8, 'x');  // last row one byte short

  BmpLayout palette_short;
  palette_short.bits = 8;
  palette_short.palette = Palette(2);  // 256 entries expected, only 2 present
  palette_short.pixel_data = "x";

  BmpLayout absurd;  // about 2^62 bytes of pixels claimed by a tiny file
  absurd.width = INT32_MAX;
  absurd.height = INT32_MAX;
  absurd.pixel_data = "xyz";

  const std::string headers_short = MakeBmp(BmpLayout{}).substr(0, 40);
  for (const std::string& bytes :
       {MakeBmp(rows_short), MakeBmp(palette_short), MakeBmp(absurd), headers_short}) {
    folder_.Write("short.bmp", bytes);
    ExpectLoadError(folder_.folder() + "short.bmp", "read error in ");
  }
}

TEST_F(BmpTest, MissingFileRaisesOpenError) {
  ExpectLoadError(folder_.folder() + "Upimg\\none.bmp", "cannot open ");
}

TEST_F(BmpTest, NameIsResolvedWithBackslashesAndAnyLetterCase) {
  BmpLayout layout;
  layout.pixel_data = "rgb";
  folder_.Write("Upimg/Main_Img1c.bmp", MakeBmp(layout));
  const auto bitmap = LoadBmpFile(folder_.folder() + "upimg\\MAIN_IMG1C.BMP");
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(PixelsOf(*bitmap), "rgb");
}

}  // namespace
}  // namespace veyra
