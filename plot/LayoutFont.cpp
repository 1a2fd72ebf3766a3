// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutFont.h"

#include <QFontDatabase>
#include <QStringList>

void LoadLayoutFonts() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  for (const char* file : {"ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf"})
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file));
#endif
}

QFont LayoutFont(bool scalableOnly) {
  QStringList families = {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                          QStringLiteral("Nimbus Sans"), QStringLiteral("Arial")};
  if (!scalableOnly) families.prepend(QStringLiteral("MS Sans Serif"));
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

QFont PlotFont() {
  LoadLayoutFonts();
  QFont font = LayoutFont();
  // Plain black and white pixels: a stored picture holds no blended colours.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}
