// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings dialog: attenuation and the wavelength range of a scan. It
// edits the process-wide settings in memory; they are stored at exit.
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class TToolsBox : public QDialog {
  Q_OBJECT
 public:
  explicit TToolsBox(QWidget* parent = nullptr);

  QFrame* Bevel1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLineEdit* WeakEdit;
  QLineEdit* StartEdit;
  QLineEdit* EndEdit;
  QPushButton* OkButton;
  QPushButton* CancelButton;

  void OkButtonClick();

 signals:
  // The wavelength range as typed, for the main window's status bar.
  void RangeTextChanged(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
};

extern TToolsBox* ToolsBox;

// " Initial wavelength: <start> А;   Final wavelength: <finish> А;"
QString RangeText(const QString& startText, const QString& finishText);
