// SPDX-License-Identifier: GPL-3.0-or-later
#include "PicturePreview.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QVBoxLayout>

#include "BitmapFile.h"

namespace {
constexpr int kPreviewSide = 150;
}

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PicturePreview"));
  Caption = new QLabel(QStringLiteral("Picture:"), this);
  Picture = new QLabel(this);
  Picture->setObjectName(QStringLiteral("PreviewPicture"));
  Picture->setFixedSize(kPreviewSide, kPreviewSide);
  Picture->setAlignment(Qt::AlignCenter);
  Picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SizeText = new QLabel(QStringLiteral("(None)"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Caption);
  layout->addWidget(Picture);
  layout->addWidget(SizeText);
  layout->addStretch();
}

void PicturePreview::ShowFile(const QString& path) {
  QImage image;
  if (QFileInfo(path).isFile()) {
    try {
      image = ReadBitmapFile(path);
    } catch (const PictureError&) {
      image = QImage();
    }
  }
  if (image.isNull()) {
    Picture->clear();
    SizeText->setText(QStringLiteral("(None)"));
    return;
  }
  const QSize inside(kPreviewSide - 4, kPreviewSide - 4);
  const QImage shown = image.width() > inside.width() || image.height() > inside.height()
                           ? image.scaled(inside, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : image;
  Picture->setPixmap(QPixmap::fromImage(shown));
  SizeText->setText(QString::asprintf(" (%dx%d)", image.width(), image.height()));
}

PicturePreview* AttachPicturePreview(FileDialog& dialog) {
  auto* preview = new PicturePreview(&dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
  QObject::connect(&dialog, &FileDialog::fileNamed, preview, &PicturePreview::ShowFile);
  return preview;
}
