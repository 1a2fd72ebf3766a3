// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings key as a per-user text file, typed like the registry:
//
//   [HKEY_CURRENT_USER\software\microsoft\windows\lmx]
//   "weak"=dword:00000001
//   "label"="text with \" and \\ escaped"
//   "blob"=hex:01,02,0a
//
// The program writes only 32-bit integers ("dword:" and eight hex digits).
// Any other value a user's file holds, text or binary, is kept as it stands
// and only its size matters: reading it as an integer fails with the
// registry's texts. Lines that hold no readable value (damaged or cut off)
// are dropped when the file is rewritten. Value names ignore ASCII case.
//
// The whole file is held in memory while the key is open and every change
// rewrites it atomically (temporary file, sync, rename), so a crash leaves
// either the old or the new file. A file that is a symbolic link stays one:
// the file it points to is rewritten. A new file may be read and written by
// the user alone, and so may the folders made for it.
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
  static constexpr const char* kHeader = "[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]";

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
  // One value of the file (tests prepare keys with values of other types).
  struct Value {
    std::string name;  // spelling as first stored
    std::string data;  // what follows '=', as it stands in the file
  };

  static std::string quoted(const std::string& text);  // "..." with \" and \\ escaped
  // The value of that name, ASCII case ignored; nullptr when there is none.
  static Value* find(std::vector<Value>& values, const std::string& name);
  // Sets name to data (keeping an existing spelling) and writes the file;
  // throws StoreError(error) when it cannot.
  void store(const std::string& name, std::string data, const std::string& error);
  // Writes the values as the whole file, atomically, and then holds them.
  // False, with nothing changed, when the key is not open or the file cannot
  // be written.
  bool save(std::vector<Value> values);
  std::vector<Value> values_;
  bool open_ = false;

 private:
  // Sets an existing value of that name, or adds one at the end.
  static void set(std::vector<Value>& values, const std::string& name, std::string data);
  void parse(const std::string& content);

  std::string path_;
};
