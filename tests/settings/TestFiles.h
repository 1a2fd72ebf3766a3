// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the settings tests: a temporary directory per test, whole-file
// helpers and the text of a thrown StoreError.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KeyStore.h"

inline const std::string kKeyHeader = "[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]\n";

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/lmx-settings-test-XXXXXX";
    if (mkdtemp(name) != nullptr) path_ = name;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::vector<std::string> listDir(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The message of the StoreError thrown by f, or "" when nothing is thrown.
template <typename F>
std::string errorOf(F f) {
  try {
    f();
  } catch (const StoreError& e) {
    return e.what();
  }
  return "";
}
