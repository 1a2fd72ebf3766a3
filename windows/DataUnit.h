// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data list window: the numbers of the last spectrum scan, one per line,
// in a plain editable text box the user can read and copy from. The text
// box's context menu offers "Save data..." below its standard entries.
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWidget>

class TDataForm : public QWidget {
  Q_OBJECT
 public:
  explicit TDataForm(QWidget* parent = nullptr);

  QPlainTextEdit* DataMemo;
  // "Save data...": the main window enables it and answers it; disabled at first.
  QAction* SaveData;

  void Clear();
  void AppendLine(const QString& text);
  // The text box's standard context menu with "Save data..." added; the
  // caller deletes it.
  QMenu* CreateContextMenu();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void followApplicationState(Qt::ApplicationState state);
  void showContextMenu(const QPoint& position);
  bool placed_ = false;
};

extern TDataForm* DataForm;
