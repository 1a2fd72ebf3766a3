// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataUnit.h"

#include <QGuiApplication>
#include <QVBoxLayout>
#include <QWindow>

#include "WindowFrame.h"
#include "WindowLook.h"

TDataForm* DataForm = nullptr;

namespace {
const QRect kOuterGeometry(377, 146, 182, 170);  // frame included
}

TDataForm::TDataForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("DataForm"));
  setWindowTitle(QStringLiteral("Data array"));
  ApplyFormLook(*this);
  DataMemo = new QPlainTextEdit(this);
  DataMemo->setObjectName(QStringLiteral("DataMemo"));
  DataMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  DataMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  DataMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SaveData = new QAction(QStringLiteral("Save data..."), this);
  SaveData->setObjectName(QStringLiteral("SaveData"));
  SaveData->setEnabled(false);
  DataMemo->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DataMemo, &QWidget::customContextMenuRequested, this, &TDataForm::showContextMenu);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(DataMemo);
  // On top of every window while this program is the active one only.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, &TDataForm::followApplicationState);
}

void TDataForm::Clear() { DataMemo->clear(); }

void TDataForm::AppendLine(const QString& text) { DataMemo->appendPlainText(text); }

QMenu* TDataForm::CreateContextMenu() {
  QMenu* menu = DataMemo->createStandardContextMenu();
  menu->addSeparator();
  menu->addAction(SaveData);
  return menu;
}

void TDataForm::showContextMenu(const QPoint& position) {
  QMenu* menu = CreateContextMenu();
  menu->exec(DataMemo->viewport()->mapToGlobal(position));  // the position is the viewport's
  delete menu;
}

void TDataForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_) return;
  placed_ = true;
  // Before the window reaches the screen: its outer size includes the frame.
  PlaceFrame(*this, kOuterGeometry);
}

void TDataForm::followApplicationState(Qt::ApplicationState state) {
  const bool onTop = state == Qt::ApplicationActive;
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
  const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
  // Changed on the native window as it stands. QWidget::setWindowFlags would
  // hide the window and show it anew: a flicker on every switch between
  // programs, and a new window for the window manager to place and frame.
  overrideWindowFlags(flags);
  if (QWindow* native = windowHandle()) native->setFlags(flags);
}
