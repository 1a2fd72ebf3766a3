// SPDX-License-Identifier: GPL-3.0-or-later
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include "WholeFilePlatform.h"

namespace {

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

[[noreturn]] void FailCreate(const QString& path, const QString& reason) {
  throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(ShownPath(path), reason).toStdString());
}

}  // namespace

QString ShownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

void WriteWholeFile(const QString& path, const QByteArray& bytes, SaveMode mode,
                    QFileDevice::Permissions newFilePermissions) {
  if (QFileInfo(path).isDir()) FailCreate(path, SystemText(EISDIR));
  const bool isNew = !QFileInfo::exists(path);
  // QSaveFile writes to the target of a symbolic link, so a link stays one.
  // The new content goes into a temporary file beside the target, which takes
  // the old file's permissions, is synced and then renamed over the target,
  // or dropped on any failure. Unbuffered, so that write() itself reports a
  // short write.
  QSaveFile file(path);
  file.setDirectWriteFallback(mode == SaveMode::AtomicOrInPlace);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    // A write error here is QSaveFile refusing an existing file that may not
    // be written, which the system refuses to open for writing as well.
    FailCreate(path, file.error() == QFileDevice::WriteError ? SystemText(EACCES) : SystemReason(file));
  }
  if (isNew && newFilePermissions && !file.setPermissions(newFilePermissions)) FailCreate(path, SystemReason(file));
  if (file.write(bytes) != bytes.size()) throw FileError("Stream write error");
  if (!file.commit()) {
    if (file.error() == QFileDevice::WriteError) throw FileError("Stream write error");
    FailCreate(path, SystemReason(file));  // the rename failed
  }
}

FileContent ReadWholeFile(const QString& path, qint64 maxBytes) {
  FileContent content;
  if (QFileInfo(path).isDir()) {
    content.result = ReadResult::CannotOpen;
    content.reason = SystemText(EISDIR);
    return content;
  }
  QFile file;
  bool missing = false;
  if (!OpenForReading(file, path, content.reason, missing)) {
    content.result = missing ? ReadResult::Missing : ReadResult::CannotOpen;
    return content;
  }
  if (file.isSequential()) {
    content.result = ReadResult::NotAFile;
    return content;
  }
  if (file.size() > maxBytes) {
    content.result = ReadResult::TooLarge;
    return content;
  }
  // Read in pieces; a file growing meanwhile is refused once it passes the limit.
  content.bytes.reserve(file.size());
  char piece[64 * 1024];
  qint64 got;
  while ((got = file.read(piece, sizeof piece)) > 0) {
    content.bytes.append(piece, got);
    if (content.bytes.size() > maxBytes) {
      content.result = ReadResult::TooLarge;
      content.bytes.clear();
      return content;
    }
  }
  if (got < 0 || file.error() != QFileDevice::NoError) {
    content.bytes.clear();
    return content;  // ReadError
  }
  content.result = ReadResult::Read;
  return content;
}
