#pragma once
// The data list window: the numbers of the last spectrum scan, one per line,
// in a plain editable text box the user can read and copy from.
#include <QPlainTextEdit>
#include <QWidget>

class TDataForm : public QWidget {
  Q_OBJECT
 public:
  explicit TDataForm(QWidget* parent = nullptr);

  QPlainTextEdit* DataMemo;

  void Clear();
  void AppendLine(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void followApplicationState(Qt::ApplicationState state);
  bool placed_ = false;
};

extern TDataForm* DataForm;
