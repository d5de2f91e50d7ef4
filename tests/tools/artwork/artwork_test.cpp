#include <gtest/gtest.h>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "images/bmp.h"
#include "platform/paths.h"
#include "support/temp_folder.h"
#include "tools/artwork/artwork_files.h"
#include "tools/artwork/artwork_writer.h"
#include "tools/artwork/painting.h"

namespace veyra::artwork {
namespace {

using veyra::testing::TempFolder;

// The launcher's button places and the part of a button picture that takes clicks.
constexpr int kButtonLeft[] = {72, 197, 322, 449};
constexpr int kButtonTop = 346;
constexpr int kClickWidth = 102;
constexpr int kClickHeight = 40;

class ArtworkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QGuiApplication::instance()) return;
    PreferOffscreenPlatform();
    static int argc = 1;
    static char name[] = "artwork_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);  // kept until the process ends
  }

  // A picture of the game folder, found as the windows find it (any letter case).
  QImage Load(const std::string& game_name) const {
    return QImage(QString::fromStdString(MapPath(folder_.folder() + game_name).string()));
  }

  TempFolder folder_;
};

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Pixels whose colour differs by more than 40 in some channel.
int CountDifferent(const QImage& a, const QImage& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 ||
          std::abs(qBlue(p) - qBlue(q)) > 40) {
        ++count;
      }
    }
  }
  return count;
}

double MeanBrightness(const QImage& image) {
  double sum = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) sum += qGray(image.pixel(x, y));
  }
  return sum / (image.width() * image.height());
}

TEST_F(ArtworkTest, EveryNameTheWindowsAskForIsThere) {
  WriteGameArtwork(folder_.path());
  std::vector<std::string> names = {
      "Upimg\\Main_Img1c.bmp", "Upimg\\Main_Img1s.bmp", "Upimg\\Main_Img2C.Bmp",
      "Upimg\\Main_Img2S.bmp", "Upimg\\colorform.bmp",  "Upimg\\colorforms.bmp",
      "Upimg\\chkbtndn.bmp",   "Upimg\\CheckOK_1.jpg",  "Upimg\\CheckOK_2.jpg"};
  for (const char* suffix : {"c", "s"}) {
    for (const char* base : {"0", "1-1", "1-2", "2-1", "2-2", "3-1", "3-2", "5-1", "5-2", "4",
                             "6-1", "6-2", "7-1", "7-2"}) {
      names.push_back(std::string("upimg\\") + base + suffix + ".jpg");
    }
  }
  for (const std::string& name : names) {
    EXPECT_FALSE(Load(name).isNull()) << name;
  }
  // The updater stretches its buttons to these sizes; the launcher cuts 120 x 55 frames.
  EXPECT_EQ(Load("upimg\\1-2s.jpg").size(), QSize(90, 26));
  EXPECT_EQ(Load("upimg\\2-1c.jpg").size(), QSize(129, 26));
  EXPECT_EQ(Load("upimg\\3-2c.jpg").size(), QSize(90, 26));
  EXPECT_GE(Load("Upimg\\Main_Img2S.bmp").width(), 960);
  EXPECT_GE(Load("Upimg\\Main_Img2C.Bmp").height(), 55);
}

TEST_F(ArtworkTest, FilesAreWrittenAsSpelledIntoOneArtFolder) {
  WriteGameArtwork(folder_.path());
  std::set<std::string> top;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    top.insert(entry.path().filename().string());
  }
  EXPECT_EQ(top, std::set<std::string>{"Upimg"});

  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path() / "Upimg")) {
    written.insert(entry.path().filename().string());
  }
  std::set<std::string> expected;
  for (const Picture& picture : Pictures()) {
    if (!picture.file.empty()) expected.insert(std::string(picture.file));
  }
  EXPECT_EQ(written, expected);
  EXPECT_EQ(written.count("Main_Img2C.Bmp"), 1u);
}

TEST_F(ArtworkTest, AnExistingArtFolderIsUsedWhateverItsCase) {
  std::filesystem::create_directories(folder_.path() / "UPIMG");
  WriteGameArtwork(folder_.path());
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "Upimg"));
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "upimg"));
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "UPIMG" / "0c.jpg"));
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "UPIMG" / "Main_Img1s.bmp"));
}

TEST_F(ArtworkTest, PicturesHaveTheirTableSizeAndLoadWithTheGamesReaders) {
  WriteGameArtwork(folder_.path());
  for (const Picture& picture : Pictures()) {
    if (picture.file.empty()) continue;
    const std::string name = GameName(picture);
    if (picture.format == FileFormat::kBmp) {
      const auto bitmap = LoadBmpFile(folder_.folder() + name);
      ASSERT_TRUE(bitmap.has_value()) << name;
      EXPECT_EQ(bitmap->bits, 24) << name;
      EXPECT_EQ(bitmap->width, picture.width) << name;
      EXPECT_EQ(bitmap->height, picture.height) << name;
    } else {
      QImageReader reader(QString::fromStdString(MapPath(folder_.folder() + name).string()));
      EXPECT_EQ(reader.format(), QByteArray("jpeg")) << name;
      EXPECT_EQ(reader.size(), QSize(picture.width, picture.height)) << name;
    }
  }
}

TEST_F(ArtworkTest, LauncherFramesShowOnlyTheClickAreaTheRestIsTransparent) {
  WriteGameArtwork(folder_.path());
  for (const char* name : {"Upimg\\Main_Img2C.Bmp", "Upimg\\Main_Img2S.bmp"}) {
    const QImage strip = Load(name);
    ASSERT_FALSE(strip.isNull()) << name;
    for (int k = 0; k < 8; ++k) {
      const QImage frame = strip.copy(k * 120, 0, 120, 55);
      // A transparent picture leaves out the colour of its bottom-left pixel.
      const QRgb key = frame.pixel(0, 54);
      // The face covers the click area up to its rounded edge; nothing shows outside it.
      int key_in_face = 0;
      int shown_outside = 0;
      for (int y = 0; y < 55; ++y) {
        for (int x = 0; x < 120; ++x) {
          const bool inside = x < kClickWidth && y < kClickHeight;
          const bool face = x >= 6 && x < kClickWidth - 6 && y >= 6 && y < kClickHeight - 6;
          const bool is_key = frame.pixel(x, y) == key;
          if (face && is_key) ++key_in_face;
          if (!inside && !is_key) ++shown_outside;
        }
      }
      EXPECT_EQ(shown_outside, 0) << name << " frame " << k;
      EXPECT_EQ(key_in_face, 0) << name << " frame " << k;
    }
  }
}

TEST_F(ArtworkTest, LauncherBackgroundKeepsAFlatPlaceUnderEachButton) {
  WriteGameArtwork(folder_.path());
  for (const char* name : {"Upimg\\Main_Img1c.bmp", "Upimg\\Main_Img1s.bmp"}) {
    const auto bitmap = LoadBmpFile(folder_.folder() + name);
    ASSERT_TRUE(bitmap.has_value());
    auto pixel = [&](int x, int y) {
      const size_t at = (size_t(y) * bitmap->width + x) * 3;
      return std::string(reinterpret_cast<const char*>(&bitmap->pixels[at]), 3);
    };
    const std::string place = pixel(kButtonLeft[0] + 10, kButtonTop + 10);
    for (int left : kButtonLeft) {
      for (int y = kButtonTop; y < kButtonTop + kClickHeight; ++y) {
        for (int x = left; x < left + kClickWidth; ++x) {
          ASSERT_EQ(pixel(x, y), place) << name << " at " << x << "," << y;
        }
      }
    }
    EXPECT_NE(pixel(kButtonLeft[0] + 10, kButtonTop - 30), place);
  }
}

TEST_F(ArtworkTest, PressedButtonsAreDarkerAndVisiblyDifferent) {
  WriteGameArtwork(folder_.path());
  for (const char* name : {"Upimg\\Main_Img2C.Bmp", "Upimg\\Main_Img2S.bmp"}) {
    const QImage strip = Load(name);
    for (int button = 0; button < 4; ++button) {
      const QImage released = strip.copy(button * 240, 0, kClickWidth, kClickHeight);
      const QImage pressed = strip.copy(button * 240 + 120, 0, kClickWidth, kClickHeight);
      EXPECT_GT(CountDifferent(released, pressed), kClickWidth * kClickHeight / 5)
          << name << " button " << button + 1;
      EXPECT_LT(MeanBrightness(pressed), MeanBrightness(released) - 5)
          << name << " button " << button + 1;
    }
  }
  for (const char* suffix : {"c", "s"}) {
    for (const char* base : {"1", "2", "3", "5", "6", "7"}) {
      const std::string stem = std::string("upimg\\") + base;
      const QImage released = Load(stem + "-1" + suffix + ".jpg");
      const QImage pressed = Load(stem + "-2" + suffix + ".jpg");
      EXPECT_GT(CountDifferent(released, pressed), released.width() * released.height() / 5)
          << stem << suffix;
      EXPECT_LT(MeanBrightness(pressed), MeanBrightness(released) - 5) << stem << suffix;
    }
  }
}

TEST_F(ArtworkTest, TraditionalAndSimplifiedPicturesCarryDifferentTexts) {
  WriteGameArtwork(folder_.path());
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Upimg\\Main_Img1c.bmp", "Upimg\\Main_Img1s.bmp"},
      {"Upimg\\Main_Img2C.Bmp", "Upimg\\Main_Img2S.bmp"},
      {"Upimg\\colorform.bmp", "Upimg\\colorforms.bmp"},
      {"upimg\\0c.jpg", "upimg\\0s.jpg"},
      {"upimg\\1-1c.jpg", "upimg\\1-1s.jpg"},
      {"upimg\\2-1c.jpg", "upimg\\2-1s.jpg"},
      {"upimg\\3-1c.jpg", "upimg\\3-1s.jpg"},
      {"upimg\\5-1c.jpg", "upimg\\5-1s.jpg"},
      {"upimg\\4c.jpg", "upimg\\4s.jpg"},
      {"upimg\\6-1c.jpg", "upimg\\6-1s.jpg"},
  };
  for (const auto& [traditional, simplified] : pairs) {
    EXPECT_GT(CountDifferent(Load(traditional), Load(simplified)), 20) << traditional;
  }
}

TEST_F(ArtworkTest, BuiltinPicturesAreTheTraditionalArtworkListedInTheCollection) {
  const std::filesystem::path builtin = folder_.path() / "builtin";
  WriteBuiltinArtwork(builtin);
  WriteGameArtwork(folder_.path() / "game");

  QFile collection(QString::fromStdString((builtin / "builtin_artwork.qrc").string()));
  ASSERT_TRUE(collection.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&collection);
  std::set<std::string> listed;
  std::string prefix;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == QLatin1String("qresource")) {
      prefix = xml.attributes().value("prefix").toString().toStdString();
    } else if (xml.name() == QLatin1String("file")) {
      listed.insert(xml.readElementText().toStdString());
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(prefix, "/builtin");
  const std::set<std::string> expected = {
      "TForm1/Image1.jpg",  "TForm1/Image2.jpg",  "TForm1/Image3.jpg",  "TForm1/Image4.jpg",
      "TForm1/Image6.jpg",  "TForm2/Image0c.jpg", "TForm2/Image0s.jpg", "TForm2/Image1c.jpg",
      "TForm2/Image1s.jpg", "TForm2/Image2c.jpg", "TForm2/Image2s.jpg", "TForm3/Image1.jpg",
      "TForm3/Image2.jpg",  "TForm3/Image3.jpg"};
  EXPECT_EQ(listed, expected);
  for (const std::string& file : listed) {
    EXPECT_FALSE(QImage(QString::fromStdString((builtin / file).string())).isNull()) << file;
  }

  auto size_of = [&](const char* file) {
    return QImageReader(QString::fromStdString((builtin / file).string())).size();
  };
  EXPECT_EQ(size_of("TForm2/Image0s.jpg"), QSize(400, 400));
  EXPECT_EQ(size_of("TForm2/Image1c.jpg"), QSize(100, 29));
  EXPECT_EQ(size_of("TForm2/Image2c.jpg"), QSize(92, 27));
  EXPECT_EQ(size_of("TForm2/Image2s.jpg"), QSize(100, 29));

  const std::filesystem::path art = folder_.path() / "game" / "Upimg";
  EXPECT_EQ(ReadBytes(builtin / "TForm1" / "Image1.jpg"), ReadBytes(art / "0c.jpg"));
  EXPECT_EQ(ReadBytes(builtin / "TForm1" / "Image6.jpg"), ReadBytes(art / "5-1c.jpg"));
  EXPECT_EQ(ReadBytes(builtin / "TForm3" / "Image2.jpg"), ReadBytes(art / "6-1c.jpg"));
}

TEST_F(ArtworkTest, LabelsAreDrawnInTheArPlKaiFaceOfTheirScript) {
  const QStringList families = QFontDatabase::families();
  if (!families.contains("AR PL UKai TW") || !families.contains("AR PL UKai CN")) {
    GTEST_SKIP() << "fonts-arphic-ukai is not installed";
  }
  EXPECT_EQ(QFontInfo(LabelFont(Script::kTraditional, 16)).family(), "AR PL UKai TW");
  EXPECT_EQ(QFontInfo(LabelFont(Script::kSimplified, 16)).family(), "AR PL UKai CN");
}

}  // namespace
}  // namespace veyra::artwork
