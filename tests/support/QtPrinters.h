// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readable failure messages for Qt values in GoogleTest.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) {
  *os << '{';
  for (const QString& text : list) *os << '"' << text.toStdString() << "\" ";
  *os << '}';
}
inline void PrintTo(QPoint p, std::ostream* os) { *os << '(' << p.x() << ", " << p.y() << ')'; }
inline void PrintTo(QSize s, std::ostream* os) { *os << s.width() << " x " << s.height(); }
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.width() << " x " << r.height() << " at (" << r.x() << ", " << r.y() << ')';
}
QT_END_NAMESPACE
