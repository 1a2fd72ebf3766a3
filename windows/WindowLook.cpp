#include "WindowLook.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

QFont FormFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

void ApplyFormLook(QWidget& window) {
  window.setFont(FormFont());
  window.setBackgroundRole(QPalette::Button);
  window.setAutoFillBackground(true);
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}
