// The files of the PNG conformance suite, found through POMARELO_PNGSUITE_DIR.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace pngtest {

// Full paths of the suite's .png files in name order; empty when the suite
// is absent.
inline std::vector<std::string> SuiteFiles() {
  std::vector<std::string> files;
  std::error_code error;
  std::filesystem::directory_iterator it(POMARELO_PNGSUITE_DIR, error);
  if (error) return files;
  for (const auto& entry : it) {
    if (entry.path().extension() == ".png") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string BaseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace pngtest
