// SPDX-License-Identifier: GPL-3.0-or-later
// The store of Qt's file dialogs on Windows: the registry key
// HKEY_CURRENT_USER\Software\QtProject and what lies below it.
#include <QSettings>

#include "QtDialogState.h"

namespace {
QSettings UserSoftware() { return QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat); }
const QString kStoreKey = QStringLiteral("QtProject");
}  // namespace

bool QtDialogStoreExists() { return UserSoftware().childGroups().contains(kStoreKey); }

void RemoveQtDialogStore() { UserSoftware().remove(kStoreKey); }
