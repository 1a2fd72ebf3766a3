#pragma once
// The about window: product name, version, copyright and contact links.
#include <QDialog>

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

extern TAboutBox* AboutBox;
