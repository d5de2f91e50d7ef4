#include "updater/gzip/gzip_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

#include "gzip_test_images.h"
#include "platform/error.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

using namespace veyra::testing;

// Expands with zlib's own gzip decoder, independent of the reader under test.
std::string ZlibGunzip(const std::string& image, size_t expected_size) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, MAX_WBITS + 16), Z_OK);
  std::string out(expected_size + 1, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(image.data()));
  z.avail_in = static_cast<uInt>(image.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(z.avail_in, 0u);  // a single member, nothing after it
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

TEST(GzipCompress, WritesAStandardSingleMember) {
  for (const std::string& content : {std::string(), SampleText(100000), RandomBytes(5000)}) {
    const std::string image = GzipCompress(content);
    SCOPED_TRACE(content.size());
    ASSERT_GE(image.size(), 18u);
    EXPECT_EQ(image.substr(0, 4), std::string("\x1F\x8B\x08\x00", 4));
    EXPECT_EQ(image.substr(image.size() - 8), Trailer(content));
    EXPECT_EQ(ZlibGunzip(image, content.size()), content);
  }
}

TEST(GzipCompress, InvalidLevelIsAnError) {
  for (int level : {10, -2}) {
    try {
      GzipCompress("x", level);
      ADD_FAILURE() << "level " << level;
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "gzip compression failed");
    }
  }
}

#ifndef _WIN32  // runs the gzip command
TEST(GzipCompress, ImageIsReadableByTheGzipCommand) {
  TempFolder folder;
  const std::string content = SampleText(70000, 3);
  folder.Write("list.txt.gz", GzipCompress(content));
  const std::string command = "cd '" + folder.path().string() + "' && gzip -t list.txt.gz && " +
                              "gzip -dc list.txt.gz > list.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(folder.Read("list.txt"), content);
}
#endif

}  // namespace
}  // namespace veyra
