// The data set's manifest, shared by the install benchmark programs: one line per file,
// "<remote name> <local name> <expanded size>".
#pragma once

#include <fstream>
#include <string>
#include <vector>

struct ManifestEntry {
  std::string remote, local;
  long long size = 0;
};

inline std::vector<ManifestEntry> ReadManifest(const std::string& path) {
  std::ifstream in(path);
  std::vector<ManifestEntry> entries;
  ManifestEntry entry;
  while (in >> entry.remote >> entry.local >> entry.size) entries.push_back(entry);
  return entries;
}
