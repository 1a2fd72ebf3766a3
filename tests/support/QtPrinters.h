#pragma once
// Readable failure messages for Qt values in GoogleTest.
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
QT_END_NAMESPACE
