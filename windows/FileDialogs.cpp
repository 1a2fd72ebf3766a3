// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <utility>

#include "QtDialogState.h"

namespace {
FileDialogResponder responder;

// Notes the state that Qt's dialogs share before this one reads it.
QWidget* NotingQtDialogState(QWidget* parent) {
  NoteQtDialogState();
  return parent;
}
}  // namespace

FileDialog::FileDialog(QWidget* parent, AcceptMode mode, const QStringList& nameFilters)
    : QFileDialog(NotingQtDialogState(parent)) {
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(mode);
  setFileMode(mode == AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  setNameFilters(nameFilters);
  setSizeGripEnabled(true);
  nameField_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  connect(this, &QFileDialog::currentChanged, this, &FileDialog::fileNamed);
  if (nameField_ && nameField_->completer()) {
    completionList_ = nameField_->completer()->popup();
    completionList_->installEventFilter(this);
  }
  if (nameField_) {
    connect(nameField_, &QLineEdit::textChanged, this, [this] {
      const QString path = typedPath();
      if (!path.isEmpty() && QFileInfo(path).isFile()) emit fileNamed(path);
    });
  }
  // Last: making the dialog's widgets reads Qt's shared state too.
  KeepQtDialogStateAsNoted(*this);
}

namespace {
// "~" and "~/..." stand for the home folder, as in a shell.
bool NamesHome(const QString& typed) { return typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")); }
}  // namespace

QString FileDialog::typedPath() const {
  QString typed = nameField_ ? nameField_->text() : QString();
  if (typed.isEmpty()) return QString();
  if (NamesHome(typed)) typed.replace(0, 1, QDir::homePath());
  // A full path stands for itself; a bare name is in the folder shown.
  return QFileInfo(directory(), typed).absoluteFilePath();
}

void FileDialog::setFileName(const QString& fileName) {
  if (!fileName.isEmpty()) {
    selectFile(fileName);
    return;
  }
  // The file list's selection would otherwise still name the last file.
  for (QAbstractItemView* view : findChildren<QAbstractItemView*>())
    if (view->selectionModel()) view->selectionModel()->clearSelection();
  if (nameField_) nameField_->clear();
}

void FileDialog::accept() {
  const QString typed = typedPath();
  // Qt's own dialog expands "~" on some systems only: it gets the full path.
  if (nameField_ && NamesHome(nameField_->text())) nameField_->setText(typed);
  // QFileDialog would take the list's selection rather than the typed name,
  // and answer a missing file with its own message box.
  if (acceptMode() == AcceptOpen && !typed.isEmpty() && !QFileInfo(typed).isDir()) {
    chosen_ = typed;
    QDialog::accept();
    return;
  }
  QFileDialog::accept();  // folders are entered, a save asks before overwriting
}

void FileDialog::done(int result) {
  if (result == Accepted && chosen_.isEmpty() && !selectedFiles().isEmpty())
    chosen_ = QFileInfo(selectedFiles().first()).absoluteFilePath();
  // The completion list comes back on its own when the folder it waits for
  // has been read, even after the dialog has gone; without its line edit it
  // cannot. The line edit takes it back when it next gets the focus.
  if (QCompleter* completer = nameField_ ? nameField_->completer() : nullptr) {
    if (completer->popup()) completer->popup()->hide();
    completer->setWidget(nullptr);
  }
  QFileDialog::done(result);
}

bool FileDialog::eventFilter(QObject* watched, QEvent* event) {
  // The list comes and goes as the user types, and goes below the dialog's
  // bottom edge.
  if (watched == completionList_ && event->type() == QEvent::Hide) listArea_ += completionList_->frameGeometry();
  return QFileDialog::eventFilter(watched, event);
}

void FileDialog::showEvent(QShowEvent* event) {
  chosen_.clear();
  listArea_ = QRegion();
  QFileDialog::showEvent(event);
  if (nameField_) {
    nameField_->selectAll();
    const QString path = typedPath();
    if (!path.isEmpty() && QFileInfo(path).isFile()) emit fileNamed(path);
  }
}

QString RunFileDialog(FileDialog& dialog) {
  if (responder) return responder(dialog);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.chosen();
}

FileDialogResponder SetFileDialogResponder(FileDialogResponder newResponder) {
  return std::exchange(responder, std::move(newResponder));
}
