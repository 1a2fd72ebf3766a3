// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileKeyStore.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "WholeFile.h"

namespace {

constexpr std::string_view kHexDigits = "0123456789abcdefABCDEF";

// Reads "..." at the start of s into out; only \" and \\ are escapes. Returns
// the position just past the closing quote, npos for anything else.
std::size_t unquote(const std::string& s, std::string& out) {
  if (s.empty() || s[0] != '"') return std::string::npos;
  std::size_t pos = 1;
  for (; pos < s.size() && s[pos] != '"'; ++pos) {
    if (s[pos] == '\\' && (++pos == s.size() || (s[pos] != '"' && s[pos] != '\\'))) return std::string::npos;
    out += s[pos];
  }
  return pos < s.size() ? pos + 1 : std::string::npos;
}

// The data of an integer value: "dword:" and eight hex digits.
std::optional<uint32_t> dwordOf(const std::string& data) {
  if (data.size() != 6 + 8 || data.compare(0, 6, "dword:") != 0) return std::nullopt;
  if (data.find_first_not_of(kHexDigits, 6) != std::string::npos) return std::nullopt;
  return static_cast<uint32_t>(std::strtoul(data.c_str() + 6, nullptr, 16));
}

// The size the registry gives the data of another value: "hex:" and comma-separated
// pairs of hex digits are that many bytes ("hex:" alone is empty); quoted text is
// UTF-16 with its terminator. Nothing for other data, the program's integers too.
std::optional<std::size_t> otherSize(const std::string& data) {
  if (data.compare(0, 4, "hex:") == 0) {
    const std::string bytes = data.substr(4);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      if (i % 3 == 2 ? bytes[i] != ',' : kHexDigits.find(bytes[i]) == std::string_view::npos) return std::nullopt;
    if (!bytes.empty() && bytes.size() % 3 != 2) return std::nullopt;
    return (bytes.size() + 1) / 3;
  }
  std::string text;
  if (unquote(data, text) != data.size()) return std::nullopt;
  return (static_cast<std::size_t>(QString::fromUtf8(text).size()) + 1) * 2;
}

// Creates the folder and the missing ones above it, each for the user alone
// (the settings are nobody else's business).
bool makePrivateFolders(const QString& dir) {
  if (QFileInfo(dir).isDir()) return true;
  const QString parent = QFileInfo(dir).path();
  if (parent != dir && !makePrivateFolders(parent)) return false;
  return QDir().mkdir(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(dir).isDir();
}

}  // namespace

std::string FileKeyStore::defaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const passwd* user = home == nullptr || home[0] != '/' ? ::getpwuid(::getuid()) : nullptr;
  if (user != nullptr) home = user->pw_dir;  // no usable $HOME: the user database's
  std::string base = config != nullptr && config[0] == '/' ? config : "";
  if (base.empty() && home != nullptr && home[0] == '/') base = std::string(home) + "/.config";
  if (base.empty()) return base;  // no home known
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/lmx/settings.reg";
}

FileKeyStore::FileKeyStore() : FileKeyStore(defaultPath()) {}
FileKeyStore::FileKeyStore(std::string path) : path_(std::move(path)) {}

bool FileKeyStore::open() {
  open_ = false;  // an open key is read afresh
  values_.clear();
  if (path_.empty()) return false;
  const QString file = QFile::decodeName(path_.c_str());
  // Best effort: whatever fails here makes reading or creating the file fail.
  makePrivateFolders(QFileInfo(file).path());
  // A pipe or a device in the file's place is refused, never waited for.
  const FileContent content = ReadWholeFile(file, static_cast<qint64>(kMaxFileSize));
  open_ = content.result == ReadResult::Read || content.result == ReadResult::Missing;
  if (content.result == ReadResult::Read) parse(content.bytes.toStdString());
  if (content.result == ReadResult::Missing && !save({})) open_ = false;
  return open_;
}

void FileKeyStore::close() {
  open_ = false;
  values_.clear();
}

bool FileKeyStore::valueExists(const std::string& name) { return find(values_, name) != nullptr; }

int32_t FileKeyStore::readInteger(const std::string& name) {
  const Value* value = find(values_, name);
  if (value == nullptr) throw StoreError("Failed to get data for '" + name + "'");
  if (const auto dword = dwordOf(value->data)) return static_cast<int32_t>(*dword);
  // The registry copies data that fit the 4-byte buffer and then reports the
  // type; longer data do not fit at all.
  const bool fits = otherSize(value->data).value_or(0) <= 4;
  throw StoreError((fits ? "Invalid data type for '" : "Failed to get data for '") + name + "'");
}

void FileKeyStore::writeInteger(const std::string& name, int32_t value) {
  const QByteArray digits = QByteArray::number(static_cast<uint32_t>(value), 16).rightJustified(8, '0');
  store(name, "dword:" + digits.toStdString(), "Failed to set data for '" + name + "'");
}

std::string FileKeyStore::quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

FileKeyStore::Value* FileKeyStore::find(std::vector<Value>& values, const std::string& name) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  const auto same = [&](char a, char b) { return lower(a) == lower(b); };
  for (Value& v : values)
    if (std::equal(v.name.begin(), v.name.end(), name.begin(), name.end(), same)) return &v;
  return nullptr;
}

void FileKeyStore::set(std::vector<Value>& values, const std::string& name, std::string data) {
  Value* value = find(values, name);
  if (value == nullptr) value = &values.emplace_back(Value{name, {}});
  value->data = std::move(data);
}

// Keeps every value that can be read, as it stands but for trailing blanks;
// skips the header, blank or damaged lines and a cut-off last line. A repeated
// name updates the earlier value, as importing a .reg file does.
void FileKeyStore::parse(const std::string& content) {
  std::size_t pos = 0;
  for (std::size_t end; (end = content.find('\n', pos)) != std::string::npos; pos = end + 1) {
    std::string line = content.substr(pos, end - pos);
    line.erase(line.find_last_not_of("\r \t") + 1);
    std::string name;
    const std::size_t equals = unquote(line, name);
    if (equals >= line.size() || line[equals] != '=') continue;
    std::string data = line.substr(equals + 1);
    if (dwordOf(data) || otherSize(data)) set(values_, name, std::move(data));
  }
}

void FileKeyStore::store(const std::string& name, std::string data, const std::string& error) {
  std::vector<Value> values = values_;
  set(values, name, std::move(data));
  // Line breaks and NUL cannot be kept in a line-based file.
  const bool fits = name.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
  if (!fits || !save(std::move(values))) throw StoreError(error);
}

bool FileKeyStore::save(std::vector<Value> values) {
  std::string content = std::string(kHeader) + '\n';
  for (const Value& v : values) content += quoted(v.name) + '=' + v.data + '\n';
  // Never write what open() would refuse to read back.
  if (!open_ || content.size() > kMaxFileSize) return false;
  try {
    WriteWholeFile(QFile::decodeName(path_.c_str()), QByteArray::fromStdString(content), SaveMode::Atomic,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  } catch (const FileError&) {
    return false;
  }
  values_ = std::move(values);
  return true;
}
