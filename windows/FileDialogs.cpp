#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QLineEdit>
#include <utility>

namespace {
FileDialogResponder responder;
}

QString RunFileDialog(QFileDialog& dialog) {
  if (responder) return responder(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
}

void SetDialogFileName(QFileDialog& dialog, const QString& fileName) {
  if (!fileName.isEmpty()) {
    dialog.selectFile(fileName);
    return;
  }
  // The file list's selection would otherwise still name the last file.
  for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
    if (view->selectionModel()) view->selectionModel()->clearSelection();
  if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->clear();
}

FileDialogResponder SetFileDialogResponder(FileDialogResponder newResponder) {
  return std::exchange(responder, std::move(newResponder));
}
