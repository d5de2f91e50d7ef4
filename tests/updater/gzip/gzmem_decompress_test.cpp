#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gzip_test_images.h"
#include "support/temp_folder.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"
#include "updater/gzip/gzmem_stream.h"

namespace veyra {
namespace {

using namespace veyra::testing;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

TEST(GzMemDecompress, EmptySourceOrMemberGivesNoBuffer) {
  const std::string empty_member = GzipCompress("");
  for (const std::string& image : {std::string(), empty_member, empty_member + empty_member}) {
    const GzMemBuffer buffer =
        GzMemDecompress(image.empty() ? nullptr : image.data(), image.size());
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.size(), 0u);
  }
}

TEST(GzMemDecompress, ExpandsImagesOfEveryLevelAndKindOfContent) {
  const std::string contents[] = {"a", SampleText(5000), RandomBytes(70000),
                                  SampleText(300000) + RandomBytes(40000)};
  for (const std::string& content : contents) {
    for (int level : {0, 1, 6, 9}) {
      SCOPED_TRACE("size " + std::to_string(content.size()) + " level " + std::to_string(level));
      EXPECT_EQ(Expand(GzipCompress(content, level)), content);
    }
  }
}

TEST(GzMemDecompress, ExpandedSizesOnChunkBoundariesComeOutWhole) {
  for (size_t size : {16383u, 16384u, 16385u, 32767u, 32768u, 32769u}) {
    SCOPED_TRACE(size);
    const std::string content = SampleText(size, static_cast<uint32_t>(size));
    EXPECT_EQ(Expand(GzipCompress(content)), content);
  }
}

TEST(GzMemDecompress, OutputMuchLargerThanTheImageHasTheExactLength) {
  std::string content(3 * 1024 * 1024 + 77, 'z');
  content += SampleText(100000);
  const std::string image = GzipCompress(content);
  ASSERT_LT(image.size() * 20, content.size());
  const GzMemBuffer buffer = GzMemDecompress(image.data(), image.size());
  EXPECT_EQ(buffer.size(), content.size());
  EXPECT_TRUE(buffer.view() == content);
}

#ifndef _WIN32  // runs the gzip command
TEST(GzMemDecompress, ReadsImagesMadeByTheGzipCommand) {
  TempFolder folder;
  const std::string first = SampleText(200000, 7);
  const std::string second = RandomBytes(20000, 8);
  folder.Write("first.txt", first);
  folder.Write("second.bin", second);
  const std::string dir = folder.path().string();
  // gzip stores the file name (flag 0x08); cat joins two members.
  const std::string command = "cd '" + dir + "' && gzip -c -9 first.txt > one.gz && " +
                              "gzip -c -1 second.bin > two.gz && cat one.gz two.gz > both.gz";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Expand(folder.Read("one.gz")), first);
  EXPECT_EQ(Expand(folder.Read("both.gz")), first + second);
}
#endif

TEST(GzMemDecompress, SkipsOptionalHeaderFields) {
  const std::string content = SampleText(1000);
  std::string extra(300, '\0');
  for (size_t i = 0; i < extra.size(); ++i) extra[i] = static_cast<char>(0x8B - i);
  // An extra field of 300 bytes: both bytes of its length count.
  const std::string with_extra = BasicHeader(0x04) + Bytes({300 & 0xFF, 300 >> 8}) + extra;
  const std::string with_name_comment_crc =
      BasicHeader(0x02 | 0x08 | 0x10) + "patch.dat" + '\0' + "作者 comment" + '\0' +
      Bytes({0xDE, 0xAD});  // a header CRC that is skipped, not verified
  const std::string with_text_flag = BasicHeader(0x01);
  const std::string with_all =
      BasicHeader(0x1F) + Bytes({2, 0, 'x', 'y'}) + "n" + '\0' + '\0' + Bytes({0, 0});
  for (const std::string& header : {with_extra, with_name_comment_crc, with_text_flag, with_all}) {
    SCOPED_TRACE(header.size());
    EXPECT_EQ(Expand(Member(header, content)), content);
  }
}

TEST(GzMemDecompress, NonGzipDataIsCopiedUnchanged) {
  const std::string sources[] = {"A",
                                 Bytes({0x1F, 0x41}),
                                 Bytes({0x8B, 0x1F}),
                                 "plain text, not compressed\r\n",
                                 Bytes({0x1F, 0x1F, 0x8B, 0x08}),
                                 RandomBytes(100000, 3).replace(0, 1, "x")};
  for (const std::string& source : sources) {
    SCOPED_TRACE(source.size());
    EXPECT_EQ(Expand(source), source);
  }
}

TEST(GzMemDecompress, ConcatenatedMembersYieldTheirContentsInOrder) {
  const std::string a = SampleText(40000, 1);
  const std::string b = RandomBytes(20000, 2);
  const std::string c = SampleText(3, 3);
  EXPECT_EQ(Expand(GzipCompress(a) + GzipCompress(b) + GzipCompress(c)), a + b + c);
  EXPECT_EQ(Expand(GzipCompress(a) + GzipCompress("") + GzipCompress(c)), a + c);
  // A member with optional fields after a plain one.
  EXPECT_EQ(Expand(GzipCompress(c) + Member(BasicHeader(0x08) + "x.txt" + '\0', a)), c + a);
}

TEST(GzMemDecompress, BytesAfterAMemberThatAreNotGzipAreAppended) {
  const std::string content = SampleText(20000);
  const std::string tails[] = {"XYZ", Bytes({0x1F, 0x41, 0x42}), Bytes({0x00}),
                               RandomBytes(50000, 9).replace(0, 1, "#")};
  for (const std::string& tail : tails) {
    SCOPED_TRACE(tail.size());
    EXPECT_EQ(Expand(GzipCompress(content) + GzipCompress(content) + tail),
              content + content + tail);
  }
}

// The input arrives in blocks; a member may end with its next header's first byte at the end of
// one block and the second byte at the start of the next.
TEST(GzMemDecompress, HeaderCheckAcrossInputBlockBoundaries) {
  const size_t block = kGzMemBlock;
  for (size_t member_end : {block - 3, block - 2, block - 1, block}) {
    const std::string probe = GzipCompress(std::string(100, 'p'), 0);
    const size_t stored_overhead = probe.size() - 100;
    const std::string content = SampleText(member_end - stored_overhead, 5);
    const std::string first = GzipCompress(content, 0);
    ASSERT_EQ(first.size(), member_end);
    SCOPED_TRACE(member_end);
    const std::string tail = Bytes({0x1F, 0x41}) + "tail";
    EXPECT_EQ(Expand(first + tail), content + tail);
    EXPECT_EQ(Expand(first + GzipCompress("second")), content + "second");
  }
}

TEST(GzMemBuffer, MovesOwnership) {
  const std::string image = GzipCompress("hello");
  GzMemBuffer first = GzMemDecompress(image.data(), image.size());
  const char* data = first.data();
  GzMemBuffer second = std::move(first);
  EXPECT_EQ(second.data(), data);
  EXPECT_EQ(second.view(), "hello");
  EXPECT_EQ(first.data(), nullptr);
  EXPECT_TRUE(first.empty());
  first = std::move(second);
  EXPECT_EQ(first.view(), "hello");
  EXPECT_EQ(second.size(), 0u);
}

}  // namespace
}  // namespace veyra
