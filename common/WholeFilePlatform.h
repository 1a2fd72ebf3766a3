// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two steps of WholeFile.cpp that differ between the systems: the build
// takes WholeFilePosix.cpp or WholeFileWindows.cpp.
#include <QFile>
#include <QSaveFile>
#include <QString>

// Why QSaveFile could not create or rename its temporary file, in the
// system's own words.
QString SystemReason(const QSaveFile& file);

// Opens `path` for reading into `file`. On failure gives the system's reason
// and whether the file is missing.
bool OpenForReading(QFile& file, const QString& path, QString& reason, bool& missing);
