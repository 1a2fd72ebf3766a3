// SPDX-License-Identifier: GPL-3.0-or-later
#include "Startunit.h"

#include <QGuiApplication>
#include <QScreen>

#include "WindowFrame.h"
#include "WindowLook.h"

TStartBox* StartBox = nullptr;

TStartBox::TStartBox(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("StartBox"));
  setWindowTitle(QStringLiteral("System scanning..."));
  ApplyFormLook(*this);
  setFixedSize(304, 47);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setGeometry(8, 16, 289, 13);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  CentreOnScreen(*this);
}
