// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtDialogState.h"

#include <QFileDialog>
#include <QSettings>
#include <QVariantMap>

namespace {

struct NotedState {
  bool noted = false;
  bool existed = false;
  QVariantMap values;
};

NotedState& Noted() {
  static NotedState state;
  return state;
}

// The store as Qt's dialogs use it.
QSettings DialogStore() { return QSettings(QSettings::UserScope, QStringLiteral("QtProject")); }

QVariantMap StoredValues() {
  const QSettings store = DialogStore();
  QVariantMap values;
  for (const QString& key : store.allKeys()) values.insert(key, store.value(key));
  return values;
}

void PutBack() {
  const NotedState& noted = Noted();
  if (!noted.existed) {
    RemoveQtDialogStore();
    return;
  }
  if (StoredValues() == noted.values) return;
  QSettings store = DialogStore();
  store.clear();
  for (auto value = noted.values.cbegin(); value != noted.values.cend(); ++value) store.setValue(value.key(), value.value());
}

}  // namespace

void NoteQtDialogState() {
  NotedState& noted = Noted();
  if (noted.noted) return;
  noted.noted = true;
  noted.existed = QtDialogStoreExists();
  if (noted.existed) noted.values = StoredValues();
}

void KeepQtDialogStateAsNoted(QFileDialog& dialog) {
  PutBack();
  // Sent by QObject's destructor, after QFileDialog's has written the store.
  QObject::connect(&dialog, &QObject::destroyed, &PutBack);
}
