// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress window shown while the zero level of the input is measured.
#include <QProgressBar>
#include <QWidget>

class TStartBox : public QWidget {
  Q_OBJECT
 public:
  explicit TStartBox(QWidget* parent = nullptr);

  QProgressBar* ProgressBar;
};

extern TStartBox* StartBox;
