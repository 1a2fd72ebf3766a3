// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings file with the further value types the registry has, so that
// tests (and the fuzzer) can prepare a key with wrongly typed values. Each
// change is written at once; they need an open key and throw StoreError
// otherwise.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FileKeyStore.h"

class EditableKeyStore : public FileKeyStore {
 public:
  using FileKeyStore::FileKeyStore;

  // A missing value is not an error.
  void deleteValue(const std::string& name) {
    const std::string error = "Failed to delete '" + name + "'";
    if (!open_) throw StoreError(error);
    std::vector<Value> kept;
    for (const Value& v : values_)
      if (!sameName(v.name, name)) kept.push_back(v);
    if (kept.size() != values_.size()) replaceValues(std::move(kept), error);
  }
  void writeText(const std::string& name, const std::string& text) {
    const std::string error = "Failed to set data for '" + name + "'";
    // Line breaks and NUL cannot be kept in a line-based file.
    if (text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos) throw StoreError(error);
    store(name, Value{name, Type::Text, 0, text}, error);
  }
  void writeBinary(const std::string& name, const std::vector<uint8_t>& bytes) {
    store(name, Value{name, Type::Binary, 0, std::string(bytes.begin(), bytes.end())},
          "Failed to set data for '" + name + "'");
  }
  // Names of the values in the open key, in file order, as first spelt.
  std::vector<std::string> valueNames() const {
    std::vector<std::string> names;
    for (const Value& v : values_) names.push_back(v.name);
    return names;
  }
};
