#include "images/jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/error.h"
#include "support/jpeg_writer.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

using veyra::testing::TempFolder;

struct Rgb {
  uint8_t r, g, b;
};

// A picture split into four flat quadrants (top left, top right, bottom left, bottom right);
// pass one colour four times for a flat picture.
RgbImage Quadrants(int width, int height, Rgb tl, Rgb tr, Rgb bl, Rgb br) {
  RgbImage image{width, height, {}};
  image.pixels.resize(size_t(width) * size_t(height) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const Rgb c = y < height / 2 ? (right ? tr : tl) : (right ? br : bl);
      uint8_t* pixel = &image.pixels[(size_t(y) * size_t(width) + size_t(x)) * 3];
      pixel[0] = c.r;
      pixel[1] = c.g;
      pixel[2] = c.b;
    }
  }
  return image;
}

RgbImage Flat(int width, int height, Rgb colour) {
  return Quadrants(width, height, colour, colour, colour, colour);
}

// Pseudo-random pixels: long entropy-coded data, so that cuts and damage land inside it.
RgbImage Noise(int width, int height) {
  RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
  uint32_t state = 12345;
  for (uint8_t& byte : image.pixels) {
    state = state * 1103515245u + 12345u;
    byte = uint8_t(state >> 24);
  }
  return image;
}

enum class Kind { kColour, kGrey, kCmyk };

struct EncodeOptions {
  Kind kind = Kind::kColour;
  bool progressive = false;
  bool full_chroma = false;           // 4:4:4 instead of libjpeg's default 4:2:0
  std::vector<jpeg_scan_info> scans;  // own scan script when not empty
};

EncodeOptions Options(Kind kind, bool progressive) {
  EncodeOptions options;
  options.kind = kind;
  options.progressive = progressive;
  return options;
}

// Encodes `source` with libjpeg. Greyscale takes the red channel, CMYK adds a black channel.
std::string Encode(const RgbImage& source, const EncodeOptions& options = EncodeOptions()) {
  const int components = options.kind == Kind::kGrey ? 1 : options.kind == Kind::kCmyk ? 4 : 3;
  const J_COLOR_SPACE space = options.kind == Kind::kGrey   ? JCS_GRAYSCALE
                              : options.kind == Kind::kCmyk ? JCS_CMYK
                                                            : JCS_RGB;
  std::vector<uint8_t> pixels(size_t(source.width) * size_t(source.height) * components);
  for (size_t i = 0; i < size_t(source.width) * size_t(source.height); ++i) {
    for (int c = 0; c < components; ++c) pixels[i * components + c] = source.pixels[i * 3 + c % 3];
  }
  return testing::CompressJpeg(source.width, source.height, components, space, pixels,
                               [&](jpeg_compress_struct& cinfo) {
                                 jpeg_set_quality(&cinfo, 95, TRUE);
                                 if (options.full_chroma) {
                                   cinfo.comp_info[0].h_samp_factor = 1;
                                   cinfo.comp_info[0].v_samp_factor = 1;
                                 }
                                 if (options.progressive) jpeg_simple_progression(&cinfo);
                                 if (!options.scans.empty()) {
                                   cinfo.scan_info = options.scans.data();
                                   cinfo.num_scans = int(options.scans.size());
                                 }
                               });
}

// Offset of the first marker (FF code) with one of `codes`, walking the segments up to the
// first scan.
size_t FindMarker(const std::string& jpeg, std::initializer_list<uint8_t> codes) {
  size_t at = 2;
  while (at + 4 <= jpeg.size() && uint8_t(jpeg[at]) == 0xFF) {
    const uint8_t code = uint8_t(jpeg[at + 1]);
    if (std::find(codes.begin(), codes.end(), code) != codes.end()) return at;
    if (code == 0xDA) break;
    at += 2 + (uint8_t(jpeg[at + 2]) << 8 | uint8_t(jpeg[at + 3]));
  }
  ADD_FAILURE() << "marker not found";
  return 0;
}

// The frame header: baseline (C0) or progressive (C2).
size_t FindFrame(const std::string& jpeg) {
  return FindMarker(jpeg, {0xC0, 0xC2});
}

std::string WithSize(std::string jpeg, uint16_t width, uint16_t height) {
  const size_t frame = FindFrame(jpeg);
  jpeg[frame + 5] = char(height >> 8);
  jpeg[frame + 6] = char(height & 0xFF);
  jpeg[frame + 7] = char(width >> 8);
  jpeg[frame + 8] = char(width & 0xFF);
  return jpeg;
}

// Largest channel difference between decoded and source, over the pixels whose 5 x 5
// neighbourhood is one colour in the source (chroma is blended across colour edges).
int MaxDifferenceInFlatAreas(const RgbImage& decoded, const RgbImage& source) {
  auto at = [&](int x, int y, int c) {
    return source.pixels[(size_t(y) * source.width + x) * 3 + c];
  };
  int worst = 0;
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width; ++x) {
      bool flat = true;
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          const int nx = std::clamp(x + dx, 0, source.width - 1);
          const int ny = std::clamp(y + dy, 0, source.height - 1);
          for (int c = 0; c < 3; ++c) flat = flat && at(nx, ny, c) == at(x, y, c);
        }
      }
      if (!flat) continue;
      for (int c = 0; c < 3; ++c) {
        const int got = decoded.pixels[(size_t(y) * source.width + x) * 3 + c];
        worst = std::max(worst, std::abs(got - int(at(x, y, c))));
      }
    }
  }
  return worst;
}

constexpr Rgb kRed{220, 30, 30}, kGreen{30, 200, 40}, kBlue{20, 40, 210}, kYellow{240, 230, 60};
constexpr Rgb kDark{20, 20, 20}, kLight{230, 230, 230}, kMid{128, 128, 128}, kSilver{180, 180, 180};

TEST(JpegTest, DecodesToRgbRowsCloseToTheSource) {
  struct Case {
    const char* name;
    RgbImage source;
    EncodeOptions options;
  };
  const RgbImage colour = Quadrants(32, 32, kRed, kGreen, kBlue, kYellow);
  const RgbImage greys = Quadrants(32, 16, kDark, kLight, kMid, kSilver);
  const Case cases[] = {
      {"baseline colour", colour, Options(Kind::kColour, false)},
      {"progressive colour", colour, Options(Kind::kColour, true)},
      {"baseline grey", greys, Options(Kind::kGrey, false)},
      {"progressive grey", greys, Options(Kind::kGrey, true)},
      {"1 x 1", Flat(1, 1, kYellow), Options(Kind::kColour, false)},
      {"17 x 9", Flat(17, 9, kBlue), Options(Kind::kColour, false)},
      {"17 x 9 progressive", Flat(17, 9, kRed), Options(Kind::kColour, true)},
      {"17 x 9 grey", Flat(17, 9, kSilver), Options(Kind::kGrey, false)},
      {"widest accepted", Flat(kMaxJpegSide, 1, kGreen), Options(Kind::kColour, false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    const auto image = DecodeJpeg(Encode(c.source, c.options), &why);
    ASSERT_TRUE(image) << why;
    EXPECT_EQ(image->width, c.source.width);
    EXPECT_EQ(image->height, c.source.height);
    ASSERT_EQ(image->pixels.size(), c.source.pixels.size());
    EXPECT_LE(MaxDifferenceInFlatAreas(*image, c.source), 6);
  }
}

TEST(JpegTest, TruncatedDataIsRefusedAtEveryCut) {
  for (const bool progressive : {false, true}) {
    const std::string jpeg = Encode(Noise(48, 40), Options(Kind::kColour, progressive));
    const size_t frame = FindFrame(jpeg);
    const size_t scan = FindMarker(jpeg, {0xDA});
    const size_t cuts[] = {2, 12, frame + 6, scan, scan + 20, jpeg.size() / 2, jpeg.size() - 2};
    for (const size_t cut : cuts) {
      SCOPED_TRACE(std::string(progressive ? "progressive" : "baseline") + " cut at " +
                   std::to_string(cut));
      std::string why;
      EXPECT_FALSE(DecodeJpeg(std::string_view(jpeg).substr(0, cut), &why));
      EXPECT_EQ(why, "truncated JPEG data");
    }
  }
}

TEST(JpegTest, DamagedHeadersAreRefusedWithAReason) {
  const std::string jpeg = Encode(Noise(16, 16));
  const size_t frame = FindMarker(jpeg, {0xC0});
  const size_t scan = FindMarker(jpeg, {0xDA});
  struct Case {
    const char* name;
    size_t offset;
  };
  const Case cases[] = {
      {"frame precision", frame + 4},
      {"frame component count", frame + 9},
      {"frame sampling factors", frame + 11},
      {"frame length", frame + 2},
      {"quantisation table number", FindMarker(jpeg, {0xDB}) + 4},
      {"Huffman table class", FindMarker(jpeg, {0xC4}) + 4},
      {"scan component", scan + 5},
      {"scan component count", scan + 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string damaged = jpeg;
    damaged[c.offset] = char(~damaged[c.offset]);
    std::string why;
    EXPECT_FALSE(DecodeJpeg(damaged, &why));
    EXPECT_EQ(why.rfind("invalid JPEG: ", 0), 0u) << why;
  }
}

TEST(JpegTest, EndMarkerInsideScanDataIsCorrupt) {
  std::string jpeg = Encode(Noise(64, 64));
  const size_t middle = jpeg.size() / 2;
  ASSERT_GT(middle, FindMarker(jpeg, {0xDA}));
  jpeg.replace(middle, 2, "\xFF\xD9");
  std::string why;
  EXPECT_FALSE(DecodeJpeg(jpeg, &why));
  EXPECT_EQ(why.rfind("corrupt JPEG data: ", 0), 0u) << why;
}

TEST(JpegTest, OversizedFramesAreRefusedBeforeDecoding) {
  struct Case {
    uint16_t width, height;
  };
  const Case cases[] = {
      {20000, 20000},        {kMaxJpegSide + 1, 1},
      {1, kMaxJpegSide + 1}, {kMaxJpegSide, kMaxJpegSide},  // sides allowed, pixel bytes not
      {9500, 9500},
  };
  const std::string jpeg = Encode(Flat(16, 16, kRed));
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(DecodeJpeg(WithSize(jpeg, c.width, c.height), &why));
    EXPECT_EQ(why, "JPEG of " + std::to_string(c.width) + " x " + std::to_string(c.height) +
                       " pixels is too large");
  }
}

TEST(JpegTest, ProgressiveWorkingMemoryIsBounded) {
  // 9000 x 9000 pixels fit the pixel bound, but the coefficients of a progressive 4:4:4 file
  // (3 x 128 bytes per 8 x 8 block) need about 486 MB.
  EncodeOptions options = Options(Kind::kColour, true);
  options.full_chroma = true;
  const std::string jpeg = WithSize(Encode(Noise(16, 16), options), 9000, 9000);
  std::string why;
  EXPECT_FALSE(DecodeJpeg(jpeg, &why));
  EXPECT_NE(why.find("working memory"), std::string::npos) << why;
}

// A valid progressive script that sends every AC coefficient of every component in its own
// scans, 11 per coefficient (bits 10 and up first, then one refinement per lower bit).
std::vector<jpeg_scan_info> OneScanPerCoefficientBit(int components) {
  std::vector<jpeg_scan_info> scans;
  jpeg_scan_info dc{components, {0, 1, 2, 3}, 0, 0, 0, 0};
  scans.push_back(dc);
  for (int component = 0; component < components; ++component) {
    for (int k = 1; k < DCTSIZE2; ++k) {
      scans.push_back({1, {component}, k, k, 0, 10});
      for (int bit = 10; bit > 0; --bit) scans.push_back({1, {component}, k, k, bit, bit - 1});
    }
  }
  return scans;
}

TEST(JpegTest, ProgressiveScanCountIsLimited) {
  struct Case {
    Kind kind;
    bool accepted;
  };
  for (const Case c : {Case{Kind::kGrey, true}, Case{Kind::kColour, false}}) {
    EncodeOptions options = Options(c.kind, true);
    options.scans = OneScanPerCoefficientBit(c.kind == Kind::kGrey ? 1 : 3);
    ASSERT_EQ(options.scans.size() <= size_t(kMaxJpegScans), c.accepted);
    std::string why;
    const auto image = DecodeJpeg(Encode(Flat(8, 8, kMid), options), &why);
    EXPECT_EQ(image.has_value(), c.accepted) << options.scans.size() << " scans: " << why;
    if (!c.accepted) {
      EXPECT_NE(why.find("scans"), std::string::npos) << why;
    }
  }
}

TEST(JpegTest, CmykIsRefused) {
  std::string why;
  EXPECT_FALSE(DecodeJpeg(Encode(Flat(8, 8, kRed), Options(Kind::kCmyk, false)), &why));
  EXPECT_EQ(why, "CMYK JPEG images are not supported");
}

TEST(JpegTest, InputThatIsNoJpegIsRefused) {
  struct Case {
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"", "empty JPEG data"},
      {"\xFF", "not a JPEG file"},
      {"BM6\x00\x00\x00", "not a JPEG file"},
      {"\x89PNG\r\n\x1A\n", "not a JPEG file"},
      {"\xFF\xD8\xFF\xD9", "invalid JPEG: "},  // a start and an end marker, no frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    std::string why;
    EXPECT_FALSE(DecodeJpeg(c.bytes, &why));
    EXPECT_EQ(why.rfind(c.reason, 0), 0u) << why;
    EXPECT_FALSE(DecodeJpeg(c.bytes));
  }
}

TEST(JpegTest, FileNameIsResolvedWithBackslashesAndAnyLetterCase) {
  TempFolder folder;
  const RgbImage source = Quadrants(16, 16, kRed, kGreen, kBlue, kYellow);
  folder.Write("Upimg/Main_Back.jpg", Encode(source));
  const auto image = LoadJpegFile(folder.folder() + "upimg\\MAIN_BACK.JPG");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 16);
  EXPECT_LE(MaxDifferenceInFlatAreas(*image, source), 6);
}

TEST(JpegTest, FileWithUndecodableContentGivesReason) {
  TempFolder folder;
  folder.Write("cut.jpg", Encode(Noise(16, 16)).substr(0, 300));
  std::string why;
  EXPECT_FALSE(LoadJpegFile(folder.folder() + "cut.jpg", &why));
  EXPECT_EQ(why, "truncated JPEG data");
}

TEST(JpegTest, MissingFileRaisesOpenError) {
  TempFolder folder;
  const std::string path = folder.folder() + "Upimg\\none.jpg";
  try {
    LoadJpegFile(path);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), "cannot open " + path);
  }
}

}  // namespace
}  // namespace veyra
