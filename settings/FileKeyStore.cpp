// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileKeyStore.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "WholeFile.h"

const char* const FileKeyStore::kHeader =
    "[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]";

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Line breaks and NUL cannot be kept in a line-based file.
bool fitsOnALine(const std::string& s) {
  return s.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads "..." starting at s[pos]; only \" and \\ are escapes. On success pos
// is just past the closing quote.
bool parseQuoted(const std::string& s, std::size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (pos + 1 >= s.size() || (s[pos + 1] != '"' && s[pos + 1] != '\\')) return false;
      c = s[++pos];
    }
    out += c;
  }
  return false;
}

void appendQuoted(std::string& out, const std::string& s) {
  out += '"';
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

// Length in UTF-16 code units of UTF-8 text, as the registry stores strings.
std::size_t utf16Units(const std::string& s) {
  std::size_t units = 0;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c & 0xC0) != 0x80) ++units;  // start of a character
    if (c >= 0xF0) ++units;           // beyond the BMP: a surrogate pair
  }
  return units;
}

// Creates the folder and the missing ones above it, each for the user alone
// (the settings are nobody else's business).
bool makePrivateFolders(const QString& dir) {
  if (QFileInfo(dir).isDir()) return true;
  const QString parent = QFileInfo(dir).path();
  if (parent != dir && !makePrivateFolders(parent)) return false;
  return QDir().mkdir(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) ||
         QFileInfo(dir).isDir();
}

bool parseLine(const std::string& line, std::string& name, std::string& rest) {
  std::size_t pos = 0;
  if (!parseQuoted(line, pos, name) || pos >= line.size() || line[pos] != '=') return false;
  rest = line.substr(pos + 1);
  return true;
}

}  // namespace

std::string FileKeyStore::defaultPath() {
  std::string base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
      const passwd* user = ::getpwuid(::getuid());
      home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return std::string();
    base = std::string(home) + "/.config";
  }
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
  switch (content.result) {
    case ReadResult::Read:
      parse(content.bytes.toStdString());
      break;
    case ReadResult::Missing:
      if (!writeFile(std::string(kHeader) + "\n")) return false;
      break;
    default:
      return false;
  }
  open_ = true;
  return true;
}

void FileKeyStore::close() {
  open_ = false;
  values_.clear();
}

bool FileKeyStore::valueExists(const std::string& name) { return find(name) != nullptr; }

int32_t FileKeyStore::readInteger(const std::string& name) {
  const Value* value = find(name);
  if (value == nullptr) throw StoreError("Failed to get data for '" + name + "'");
  std::size_t size = 0;
  switch (value->type) {
    case Type::Dword:
      return static_cast<int32_t>(value->dword);
    case Type::Text:
      size = (utf16Units(value->data) + 1) * 2;  // with its terminator
      break;
    case Type::Binary:
      size = value->data.size();
      break;
  }
  // The registry copies data that fit the 4-byte buffer and then reports the
  // type; longer data do not fit at all.
  if (size <= 4) throw StoreError("Invalid data type for '" + name + "'");
  throw StoreError("Failed to get data for '" + name + "'");
}

void FileKeyStore::writeInteger(const std::string& name, int32_t value) {
  Value v;
  v.type = Type::Dword;
  v.dword = static_cast<uint32_t>(value);
  store(name, std::move(v), "Failed to set data for '" + name + "'");
}

bool FileKeyStore::sameName(const std::string& a, const std::string& b) { return equalIgnoringCase(a, b); }

FileKeyStore::Value* FileKeyStore::find(const std::string& name) {
  for (Value& v : values_) {
    if (equalIgnoringCase(v.name, name)) return &v;
  }
  return nullptr;
}

bool FileKeyStore::writeFile(const std::string& content) const {
  try {
    WriteWholeFile(QFile::decodeName(path_.c_str()), QByteArray::fromStdString(content), SaveMode::Atomic,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
  } catch (const FileError&) {
    return false;
  }
}

// Keeps every line that can be read; the header, blank lines, damaged lines
// and an unterminated (truncated) last line are skipped.
void FileKeyStore::parse(const std::string& content) {
  values_.clear();
  std::size_t pos = 0;
  for (std::size_t end; (end = content.find('\n', pos)) != std::string::npos; pos = end + 1) {
    std::string line = content.substr(pos, end - pos);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.pop_back();
    }
    Value v;
    std::string rest;
    if (!parseLine(line, v.name, rest)) continue;

    if (startsWith(rest, "dword:")) {
      if (rest.size() != 6 + 8) continue;
      bool ok = true;
      for (std::size_t i = 6; i < rest.size(); ++i) {
        const int digit = hexValue(rest[i]);
        ok = ok && digit >= 0;
        v.dword = (v.dword << 4) | static_cast<uint32_t>(digit & 0xF);
      }
      if (!ok) continue;
      v.type = Type::Dword;
    } else if (startsWith(rest, "hex:")) {
      // Pairs of hex digits separated by commas; "hex:" alone is empty data.
      bool ok = true;
      for (std::size_t i = 4; ok && i < rest.size(); i += 3) {
        const bool last = i + 2 == rest.size();
        ok = i + 2 <= rest.size() && hexValue(rest[i]) >= 0 && hexValue(rest[i + 1]) >= 0 &&
             (last || (rest[i + 2] == ',' && i + 3 < rest.size()));
        if (ok) v.data += static_cast<char>(hexValue(rest[i]) * 16 + hexValue(rest[i + 1]));
      }
      if (!ok) continue;
      v.type = Type::Binary;
    } else {
      std::size_t end_of_text = 0;
      if (!parseQuoted(rest, end_of_text, v.data) || end_of_text != rest.size()) continue;
      v.type = Type::Text;
    }

    // A repeated name updates the earlier value, as importing a .reg file does.
    if (Value* existing = find(v.name)) {
      v.name = existing->name;
      *existing = std::move(v);
    } else {
      values_.push_back(std::move(v));
    }
  }
}

std::string FileKeyStore::serialize(const std::vector<Value>& values) {
  std::string out = kHeader;
  out += '\n';
  for (const Value& v : values) {
    appendQuoted(out, v.name);
    out += '=';
    switch (v.type) {
      case Type::Dword: {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(v.dword));
        out += digits;
        break;
      }
      case Type::Text:
        appendQuoted(out, v.data);
        break;
      case Type::Binary: {
        static const char kDigits[] = "0123456789abcdef";
        out += "hex:";
        for (std::size_t i = 0; i < v.data.size(); ++i) {
          const auto byte = static_cast<unsigned char>(v.data[i]);
          if (i > 0) out += ',';
          out += kDigits[byte >> 4];
          out += kDigits[byte & 0xF];
        }
        break;
      }
    }
    out += '\n';
  }
  return out;
}

void FileKeyStore::store(const std::string& name, Value value, const std::string& error) {
  if (!fitsOnALine(name)) throw StoreError(error);
  std::vector<Value> values = values_;
  const auto same = std::find_if(values.begin(), values.end(),
                                 [&](const Value& v) { return equalIgnoringCase(v.name, name); });
  if (same != values.end()) {
    value.name = same->name;
    *same = std::move(value);
  } else {
    value.name = name;
    values.push_back(std::move(value));
  }
  replaceValues(std::move(values), error);
}

void FileKeyStore::replaceValues(std::vector<Value> values, const std::string& error) {
  if (!open_) throw StoreError(error);
  // Never write what open() would refuse to read back.
  const std::string content = serialize(values);
  if (content.size() > kMaxFileSize || !writeFile(content)) throw StoreError(error);
  values_ = std::move(values);
}
