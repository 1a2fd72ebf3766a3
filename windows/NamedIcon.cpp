// SPDX-License-Identifier: GPL-3.0-or-later
#include "NamedIcon.h"

QIcon NamedIcon(const char* name) {
  return QIcon(QStringLiteral(":/icons/%1" LMX_ICON_SUFFIX).arg(QLatin1String(name)));
}
