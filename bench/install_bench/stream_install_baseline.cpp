// The practical limit for installing gzipped files over HTTP in one process: one libcurl easy
// handle (so one reused connection) streaming each body straight through zlib inflate into its
// file. No check beyond zlib's own CRC and length check of the gzip trailer.
// With --hold, each file's output is held in memory and written only once its body has ended
// (in 256 KiB pieces), as an updater must do when a broken download may not touch the old file:
// the practical limit for that design.
//
// Usage: stream_install_baseline <base url ending in '/'> <manifest> <empty target folder>
//        [--hold]
// Output: "seconds=<s> peak_rss_mb=<mb> failures=<n>". Exit status 1 when any file failed.
#include <curl/curl.h>
#include <sys/resource.h>
#include <zlib.h>
#include "manifest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// One file being written: the inflate state and the open output.
struct Sink {
  z_stream zs{};
  FILE* out = nullptr;
  bool failed = false;
  bool ended = false;
  bool hold = false;
  std::string held;  // with hold: the output so far
  unsigned char buffer[256 * 1024];
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  Sink& sink = *static_cast<Sink*>(user);
  const size_t length = size * count;
  if (sink.failed) return 0;
  sink.zs.next_in = reinterpret_cast<Bytef*>(data);
  sink.zs.avail_in = static_cast<uInt>(length);
  while (sink.zs.avail_in > 0 && !sink.ended) {
    sink.zs.next_out = sink.buffer;
    sink.zs.avail_out = sizeof(sink.buffer);
    const int result = inflate(&sink.zs, Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
      sink.failed = true;
      return 0;
    }
    const size_t produced = sizeof(sink.buffer) - sink.zs.avail_out;
    if (sink.hold) {
      sink.held.append(reinterpret_cast<const char*>(sink.buffer), produced);
    } else if (produced > 0 && std::fwrite(sink.buffer, 1, produced, sink.out) != produced) {
      sink.failed = true;
      return 0;
    }
    if (result == Z_STREAM_END) sink.ended = true;
    if (result == Z_BUF_ERROR) break;
  }
  return length;
}

// Writes what a held file collected, in the pieces the updater writes.
void WriteHeld(Sink& sink) {
  constexpr size_t kPiece = 256 * 1024;
  for (size_t done = 0; done < sink.held.size() && !sink.failed; done += kPiece) {
    const size_t n = std::min(kPiece, sink.held.size() - done);
    if (std::fwrite(sink.held.data() + done, 1, n, sink.out) != n) sink.failed = true;
  }
  sink.held.clear();
}

std::string LocalPath(const std::string& folder, std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return folder + name;
}

}  // namespace

int main(int argc, char** argv) {
  const bool hold = argc == 5 && std::string(argv[4]) == "--hold";
  if (argc != 4 && !hold) {
    std::cerr << "usage: stream_install_baseline <base url> <manifest> <target folder> [--hold]\n";
    return 2;
  }
  const std::vector<ManifestEntry> entries = ReadManifest(argv[2]);
  std::string folder = argv[3];
  if (folder.back() != '/') folder += '/';
  const std::string base = argv[1];

  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* curl = curl_easy_init();
  auto sink = std::make_unique<Sink>();
  sink->hold = hold;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink.get());
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);

  int failures = 0;
  const Clock::time_point start = Clock::now();
  for (const ManifestEntry& entry : entries) {
    const std::string path = LocalPath(folder, entry.local);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    sink->out = std::fopen(path.c_str(), "wb");
    sink->failed = sink->out == nullptr;
    sink->ended = false;
    sink->zs = z_stream{};
    inflateInit2(&sink->zs, 31);
    const std::string url = base + entry.remote;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    const CURLcode code = curl_easy_perform(curl);
    inflateEnd(&sink->zs);
    if (hold && sink->out != nullptr) WriteHeld(*sink);
    if (sink->out != nullptr && std::fclose(sink->out) != 0) sink->failed = true;
    if (code != CURLE_OK || sink->failed || !sink->ended) ++failures;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  curl_easy_cleanup(curl);
  curl_global_cleanup();

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("seconds=%.3f peak_rss_mb=%.1f failures=%d\n", seconds, usage.ru_maxrss / 1024.0,
              failures);
  return failures == 0 ? 0 : 1;
}
