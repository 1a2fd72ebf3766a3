// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusPanels.h"

namespace {
constexpr int kFirstPanelWidth = 251;  // x = 0 to 250
}

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  for (int i = 0; i < 2; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panels_[i]->setLineWidth(1);
    panels_[i]->setTextFormat(Qt::PlainText);
    panels_[i]->setContentsMargins(1, 0, 1, 0);
  }
}

void StatusPanels::SetPanelText(int panel, const QString& text) { panels_[panel]->setText(text); }

QString StatusPanels::PanelText(int panel) const { return panels_[panel]->text(); }

void StatusPanels::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  panels_[0]->setGeometry(0, 0, kFirstPanelWidth, height());
  panels_[1]->setGeometry(kFirstPanelWidth, 0, width() - kFirstPanelWidth, height());
}
