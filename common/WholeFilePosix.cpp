// SPDX-License-Identifier: GPL-3.0-or-later
#include "WholeFilePlatform.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace {
QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }
}  // namespace

// errno still holds the error of the call that failed (QSaveFile itself
// relies on that); errorString() words a few reasons in Qt's own way.
QString SystemReason(const QSaveFile&) { return ErrnoText(); }

// Opened without blocking: a pipe put in the file's place must not hang the
// program waiting for a writer.
bool OpenForReading(QFile& file, const QString& path, QString& reason, bool& missing) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    missing = errno == ENOENT;
    reason = ErrnoText();
    return false;
  }
  return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}
