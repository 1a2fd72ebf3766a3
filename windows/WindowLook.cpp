// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowLook.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "LayoutFont.h"

namespace {

// The layout's tightest texts and the room their positions leave them before
// the next control (a shadowed label also needs its shadow's pixel and a
// blank one).
struct Room {
  const char* text;
  int width;
};
const Room kRooms[] = {
    {"Translated into English by", 157 - 29 - 2},    // about window, before the translator link
    {"E-mail:", 104 - 64 - 2},                       // about window, before the e-mail link
    {"Initial wavelength, \u0410:", 160 - 32 - 1},  // settings dialog, before its edit
    {"Attenuation:", 112 - 32 - 1},
};

bool Fits(const QFont& font) {
  const QFontMetrics metrics(font);
  return std::all_of(std::begin(kRooms), std::end(kRooms), [&](const Room& room) {
    return metrics.horizontalAdvance(QString::fromUtf8(room.text)) <= room.width;
  });
}

QFont FittedFormFont() {
  LoadLayoutFonts();
  // The bitmap face has no sizes for a higher device pixel ratio.
  QFont font = LayoutFont(qApp && qApp->devicePixelRatio() > 1.0);
  // Without a face of the layout's widths, a smaller size of the one there is.
  for (int pixels = QFontInfo(font).pixelSize() - 1; !Fits(font) && pixels >= 8; --pixels) font.setPixelSize(pixels);
  return font;
}

}  // namespace

QFont FormFont() {
  static const QFont font = FittedFormFont();
  return font;
}

void ApplyFormLook(QWidget& window) {
  window.setFont(FormFont());
  window.setBackgroundRole(QPalette::Button);
  window.setAutoFillBackground(true);
}
