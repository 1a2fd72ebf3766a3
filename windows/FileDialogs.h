// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's open and save dialogs, and showing them modally; tests answer
// in place of a person.
#include <QFileDialog>
#include <QLineEdit>
#include <QRegion>
#include <QString>
#include <functional>

// Qt's own file dialog (the same on every desktop) with what a user expects
// of typing into it:
// - a typed name, a full path too, is taken as it stands, whatever the list
//   has selected; "~" at its start stands for the home folder;
// - in an open dialog a typed name of a file that does not exist is taken
//   too, so that opening it reports the system's reason;
// - the name field is selected when the dialog opens with a name in it, so
//   that typing replaces it;
// - no completion list stays on the screen after the dialog has closed.
class FileDialog : public QFileDialog {
  Q_OBJECT
 public:
  FileDialog(QWidget* parent, AcceptMode mode, const QStringList& nameFilters);

  // The full path of the file chosen when the dialog was accepted.
  QString chosen() const { return chosen_; }
  // Puts `fileName` into the name field; an empty name clears it and the
  // list's selection (QFileDialog::selectFile ignores an empty name).
  void setFileName(const QString& fileName);

  // Where the dialog and its completion list stood on the screen while the
  // dialog was last shown: the places the window system repaints beneath
  // them once they have gone.
  QRegion coveredArea() const { return listArea_ + frameGeometry(); }

  void accept() override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // The full path of the file the dialog would take now: the one selected in
  // the list or named in the name field.
  void fileNamed(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString typedPath() const;
  QLineEdit* nameField_;
  QWidget* completionList_ = nullptr;
  QRegion listArea_;
  QString chosen_;
};

// Returns the chosen file's full path, or an empty string when cancelled.
QString RunFileDialog(FileDialog& dialog);

using FileDialogResponder = std::function<QString(FileDialog& dialog)>;
// Installs a responder and returns the one it replaces; empty restores real dialogs.
FileDialogResponder SetFileDialogResponder(FileDialogResponder responder);
