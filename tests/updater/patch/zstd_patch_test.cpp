#include "updater/patch/zstd_patch.h"

#include <gtest/gtest.h>

#include <random>

namespace veyra {
namespace {

// Incompressible bytes, so that only what the base shares can make a patch small.
std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Applies the patch as it would arrive: in pieces of `piece` bytes of a growing buffer, the base
// set only after the first piece, and one false start (Restart) after the second.
std::optional<std::string> ApplyInPieces(std::string_view base, const std::string& patch,
                                         int64_t length, size_t piece = 777) {
  ZstdPatchApplication application(length);
  for (size_t arrived = piece, round = 0; arrived < patch.size(); arrived += piece, ++round) {
    if (round == 1) application.SetBase(base);
    if (round == 2) application.Restart();
    application.Advance(patch.data(), arrived);
  }
  if (!application.has_base()) application.SetBase(base);
  if (!application.Finish(patch.data(), patch.size())) return std::nullopt;
  return application.TakeResult();
}

struct Versions {
  std::string base, result;
};

// A 1 MiB file with 4 KiB inserted near its start and 4 KiB altered near its end.
Versions ChangedFile() {
  Versions v;
  v.base = RandomBytes(1 << 20, 1);
  v.result = v.base;
  v.result.insert(1000, RandomBytes(4096, 2));
  v.result.replace(900000, 4096, RandomBytes(4096, 3));
  return v;
}

TEST(ZstdPatchTest, PatchesCarryOnlyWhatChanged) {
  const Versions changed = ChangedFile();
  const Versions cases[] = {changed, {"", "new file"}, {"old file", ""}, {"same", "same"}};
  for (const Versions& v : cases) {
    const std::string patch = MakeZstdPatch(v.base, v.result);
    const auto length = static_cast<int64_t>(v.result.size());
    for (const auto& applied :
         {ApplyZstdPatch(v.base, patch, length), ApplyInPieces(v.base, patch, length)}) {
      ASSERT_TRUE(applied.has_value()) << v.result.size();
      EXPECT_TRUE(*applied == v.result) << v.result.size();
    }
  }
  EXPECT_LT(MakeZstdPatch(changed.base, changed.result).size(), 16u * 1024);
}

TEST(ZstdPatchTest, AnythingButTheRightPatchOfTheRightLengthYieldsNothing) {
  const Versions v = ChangedFile();
  const std::string patch = MakeZstdPatch(v.base, v.result);
  const auto length = static_cast<int64_t>(v.result.size());
  std::string corrupt = patch;
  corrupt[corrupt.size() / 2] ^= 0x55;
  const struct {
    const char* what;
    std::string base, patch;
    int64_t length;
  } cases[] = {
      {"a byte of the patch changed", v.base, corrupt, length},
      {"the patch cut short", v.base, patch.substr(0, patch.size() - 9), length},
      {"a second frame after it", v.base, patch + patch, length},
      {"the base cut short (matches reach past it)", v.base.substr(0, 1000), patch, length},
      {"another base (the checksum differs)", RandomBytes(v.base.size(), 9), patch, length},
      {"a result longer than the caller allows", v.base, patch, length - 1},
      {"a result shorter than the caller expects", v.base, patch, length + 1},
      {"not a patch at all", v.base, "PK\x03\x04 something else", length},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ApplyZstdPatch(c.base, c.patch, c.length).has_value()) << c.what;
    EXPECT_FALSE(ApplyInPieces(c.base, c.patch, c.length).has_value()) << c.what << ", in pieces";
  }
}

}  // namespace
}  // namespace veyra
