// SPDX-License-Identifier: GPL-3.0-or-later
// The store of Qt's file dialogs outside Windows: one file in the user's
// configuration folder ($XDG_CONFIG_HOME/QtProject.conf).
#include <QFile>
#include <QSettings>

#include "QtDialogState.h"

namespace {
QString StoreFile() { return QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName(); }
}  // namespace

bool QtDialogStoreExists() { return QFile::exists(StoreFile()); }

void RemoveQtDialogStore() { QFile::remove(StoreFile()); }
