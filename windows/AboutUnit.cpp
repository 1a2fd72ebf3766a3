#include "windows/AboutUnit.h"

#include "windows/WindowLook.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About..."));
  ApplyFormLook(*this);
  setFixedSize(257, 225);
  move(286, 144);
}
