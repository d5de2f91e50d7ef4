#include "updater/headless/pass_summary.h"

#include <algorithm>
#include <cstdio>

namespace veyra {
namespace {

std::string Megabytes(double bytes) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", bytes / 1e6);
  return text;
}

std::string MinutesAndSeconds(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof(text), "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

}  // namespace

std::string PassSummary(const PassProgress& progress, double elapsed_seconds) {
  const double so_far = static_cast<double>(progress.bytes_done + progress.current_bytes);
  std::string text = "files " + std::to_string(progress.entries_done) + "/" +
                     std::to_string(progress.entries_total) + ", " + Megabytes(so_far);
  double total = 0;
  if (progress.entries_done > 0) {
    total = static_cast<double>(progress.bytes_done) / static_cast<double>(progress.entries_done) *
            static_cast<double>(progress.entries_total);
    total = std::max(total, so_far);
    text += " of ~" + Megabytes(total);
  }
  text += " MB";
  if (elapsed_seconds < 1.0 || so_far <= 0) return text;
  const double speed = so_far / elapsed_seconds;
  text += ", " + Megabytes(speed) + " MB/s";
  if (total > 0) text += ", " + MinutesAndSeconds((total - so_far) / speed) + " left";
  return text;
}

}  // namespace veyra
