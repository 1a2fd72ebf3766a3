// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings key as a per-user text file, typed like the registry:
//
//   [HKEY_CURRENT_USER\software\microsoft\windows\lmx]
//   "weak"=dword:00000001
//   "label"="text with \" and \\ escaped"
//   "blob"=hex:01,02,0a
//
// The whole file is held in memory while the key is open and every change
// rewrites it atomically (temporary file, sync, rename), so a crash leaves
// either the old or the new file. A file that is a symbolic link stays one:
// the file it points to is rewritten. A new file may be read and written by
// the user alone, and so may the folders made for it. Value names ignore
// ASCII case.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "KeyStore.h"

class FileKeyStore : public KeyStore {
 public:
  // Larger files are refused, so a damaged file cannot exhaust memory.
  static constexpr std::size_t kMaxFileSize = 1024 * 1024;

  // The first line of every file we write.
  static const char* const kHeader;

  // $XDG_CONFIG_HOME/lmx/settings.reg, or $HOME/.config/lmx/settings.reg when
  // XDG_CONFIG_HOME is unset, empty or relative. Empty when no home is known.
  static std::string defaultPath();

  FileKeyStore();  // at defaultPath()
  explicit FileKeyStore(std::string path);

  bool open() override;
  void close() override;
  bool valueExists(const std::string& name) override;
  int32_t readInteger(const std::string& name) override;
  void writeInteger(const std::string& name, int32_t value) override;

  const std::string& path() const { return path_; }

 protected:
  // The other value types of the file (tests prepare keys with them).
  enum class Type { Dword, Text, Binary };
  struct Value {
    std::string name;  // spelling as first stored
    Type type = Type::Dword;
    uint32_t dword = 0;
    std::string data;  // text (UTF-8) or raw bytes
  };

  static bool sameName(const std::string& a, const std::string& b);  // ASCII case ignored
  // Sets name to value (keeping an existing spelling) and writes the file;
  // the in-memory key changes only when the file was written.
  void store(const std::string& name, Value value, const std::string& error);
  void replaceValues(std::vector<Value> values, const std::string& error);
  std::vector<Value> values_;
  bool open_ = false;

 private:
  Value* find(const std::string& name);
  bool writeFile(const std::string& content) const;  // atomically
  void parse(const std::string& content);
  static std::string serialize(const std::vector<Value>& values);

  std::string path_;
};
