// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The status bar: two sunken text panels, the recording state on the left
// (x = 0 to 250) and a file name or the wavelength range on the right.
#include <QLabel>
#include <QWidget>

class StatusPanels : public QWidget {
  Q_OBJECT
 public:
  explicit StatusPanels(QWidget* parent = nullptr);

  void SetPanelText(int panel, const QString& text);
  QString PanelText(int panel) const;
  QLabel* Panel(int panel) const { return panels_[panel]; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel* panels_[2];
};
