// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings file with the further value types a user's file may hold
// (text and binary, as the registry has them), so that tests (and the fuzzer)
// can prepare a key with wrongly typed values. Each change is written at
// once; they need an open key and throw StoreError otherwise.
#include <cstddef>
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
    std::vector<Value> kept = values_;
    const Value* gone = find(kept, name);
    if (gone == nullptr) return;
    kept.erase(kept.begin() + (gone - kept.data()));
    if (!save(std::move(kept))) throw StoreError(error);
  }
  void writeText(const std::string& name, const std::string& text) {
    const std::string error = "Failed to set data for '" + name + "'";
    // Line breaks and NUL cannot be kept in a line-based file.
    if (text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos) throw StoreError(error);
    store(name, quoted(text), error);
  }
  // As "hex:" and the bytes' pairs of hex digits, separated by commas.
  void writeBinary(const std::string& name, const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string data = "hex:";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (i > 0) data += ',';
      data += {kDigits[bytes[i] >> 4], kDigits[bytes[i] & 0xF]};
    }
    store(name, std::move(data), "Failed to set data for '" + name + "'");
  }
  // Names of the values in the open key, in file order, as first spelt.
  std::vector<std::string> valueNames() const {
    std::vector<std::string> names;
    for (const Value& v : values_) names.push_back(v.name);
    return names;
  }
};
