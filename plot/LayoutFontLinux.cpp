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
  // The folder the build names, which fontconfig does not list.
  for (const char* file : {"ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf"})
    QFontDatabase::addApplicationFont(QStringLiteral(LMX_LAYOUT_FONT_DIR "/") + QLatin1String(file));
}
