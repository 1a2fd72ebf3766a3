// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing a file as a whole: the one way the program reads and
// writes its files (spectrum pictures, data lists and the settings file).
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <stdexcept>

// A file that could not be written; what() is the text shown to the user
// (UTF-8): "Cannot create file "<path>". <the system's reason>" or
// "Stream write error".
class FileError : public std::runtime_error {
 public:
  using runtime_error::runtime_error;
};

// How a save may replace an existing file.
enum class SaveMode {
  // Through a temporary file beside the target that then replaces it, so a
  // failed save, or a crash during it, leaves the old file as it was.
  Atomic,
  // The same where the folder takes new files; where it does not, an existing
  // file that may be written is overwritten in place.
  AtomicOrInPlace,
};

// Writes `bytes` as the whole file. A symbolic link stays a link: the file it
// points to is written. A new file gets `newFilePermissions` where given,
// otherwise the system's default; an existing file keeps its own. Throws
// FileError.
void WriteWholeFile(const QString& path, const QByteArray& bytes, SaveMode mode,
                    QFileDevice::Permissions newFilePermissions = {});

enum class ReadResult {
  Read,
  Missing,     // no such file
  CannotOpen,  // the system refused to open it (a folder too)
  NotAFile,    // a pipe or a device: never waited for
  TooLarge,    // more than the limit
  ReadError,
};

struct FileContent {
  ReadResult result = ReadResult::ReadError;
  QByteArray bytes;  // the whole file when Read
  QString reason;    // the system's words, for Missing and CannotOpen
};

// Reads the whole file, refusing one of more than `maxBytes`. Memory is taken
// for what the file holds, not for the limit.
FileContent ReadWholeFile(const QString& path, qint64 maxBytes);

// A path as the user sees it: absolute, with the system's separators.
QString ShownPath(const QString& path);
