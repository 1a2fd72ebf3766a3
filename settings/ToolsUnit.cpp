#include "settings/ToolsUnit.h"

#include "windows/WindowLook.h"

TToolsBox* ToolsBox = nullptr;

TToolsBox::TToolsBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("ToolsBox"));
  setWindowTitle(QStringLiteral("Settings"));
  ApplyFormLook(*this);
  setFixedSize(281, 211);
  move(297, 136);
}
