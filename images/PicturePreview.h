// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preview beside the open and save dialogs: the selected picture scaled
// to fit, with its size, or "(None)" when the file shows no picture.
#include "FileDialogs.h"
#include <QLabel>
#include <QWidget>

class PicturePreview : public QWidget {
  Q_OBJECT
 public:
  explicit PicturePreview(QWidget* parent = nullptr);

  QLabel* Caption;  // "Picture:"
  QLabel* Picture;
  QLabel* SizeText;  // " (%dx%d)" or "(None)"

  void ShowFile(const QString& path);
};

// Adds a preview to a file dialog, following the file it would take.
PicturePreview* AttachPicturePreview(FileDialog& dialog);
