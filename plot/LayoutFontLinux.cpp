// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutFontPlatform.h"

#include <QFontDatabase>
#include <QString>

#include "LayoutFont.h"

bool BitmapFaceUsable() { return true; }

// fontconfig's choice.
QFont::HintingPreference LayoutHinting() { return QFont::PreferDefaultHinting; }

void ChooseFontEngine() {}

void LoadLayoutFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  // Debian's fonts-wine keeps the faces outside fontconfig's folders.
  for (const char* file : {"ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf"})
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file));
}
