#pragma once
// The settings dialog: attenuation and the wavelength range of a scan.
#include <QDialog>

class TToolsBox : public QDialog {
  Q_OBJECT
 public:
  explicit TToolsBox(QWidget* parent = nullptr);
};

extern TToolsBox* ToolsBox;
