// SPDX-License-Identifier: GPL-3.0-or-later
#include "WholeFilePlatform.h"

#include <QFileInfo>

QString SystemReason(const QSaveFile& file) { return file.errorString(); }

bool OpenForReading(QFile& file, const QString& path, QString& reason, bool& missing) {
  file.setFileName(path);
  if (file.open(QIODevice::ReadOnly)) return true;
  missing = !QFileInfo::exists(path);
  reason = file.errorString();
  return false;
}
