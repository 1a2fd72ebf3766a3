// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's file dialogs keep their state (history, last folder, view) in one
// store that every Qt program of the user shares: on Windows the registry key
// HKEY_CURRENT_USER\Software\QtProject, elsewhere QtProject.conf in the
// user's configuration folder. A dialog reads it when it is made (on Windows
// reading alone creates the key) and writes it when it is destroyed. The
// program writes nothing but its own settings: the store is put back as it
// was before the program's first dialog (or removed, where there was none)
// as soon as a dialog has read it and again once it has gone, so that not
// even a program that is killed leaves it changed. While the program runs its
// dialogs share the last folder all the same (Qt keeps it in memory too).
class QFileDialog;

// Notes the store as it stands; only the first call, which must come before
// the first dialog is made, counts.
void NoteQtDialogState();
// Puts the store back as noted now, after `dialog` has read it, and again
// once `dialog` has been destroyed.
void KeepQtDialogStateAsNoted(QFileDialog& dialog);

// The platform's part (QtDialogStoreWindows.cpp, QtDialogStorePosix.cpp):
// whether the store exists, and removing it.
bool QtDialogStoreExists();
void RemoveQtDialogStore();
