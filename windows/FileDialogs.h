#pragma once
// Showing a file dialog modally; tests answer in place of a person.
#include <QFileDialog>
#include <QString>
#include <functional>

// Returns the chosen file's full path, or an empty string when cancelled.
QString RunFileDialog(QFileDialog& dialog);

// Puts `fileName` into the dialog's name field; an empty name clears it
// (QFileDialog::selectFile ignores an empty name).
void SetDialogFileName(QFileDialog& dialog, const QString& fileName);

using FileDialogResponder = std::function<QString(QFileDialog& dialog)>;
// Installs a responder and returns the one it replaces; empty restores real dialogs.
FileDialogResponder SetFileDialogResponder(FileDialogResponder responder);
