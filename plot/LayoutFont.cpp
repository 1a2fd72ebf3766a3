// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutFont.h"

#include <QStringList>

#include "LayoutFontPlatform.h"

namespace {

// Sans serif faces near the layout's widths, for systems without Tahoma: the
// windows never fall back to a serif face.
QStringList SansSerifFaces() {
  return {QStringLiteral("Tahoma"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
          QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"), QStringLiteral("Arial")};
}

}  // namespace

QFont LayoutFont(bool scalableOnly) {
  QStringList families = SansSerifFaces();
  if (!scalableOnly && BitmapFaceUsable()) families.prepend(QStringLiteral("MS Sans Serif"));
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setHintingPreference(LayoutHinting());
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
