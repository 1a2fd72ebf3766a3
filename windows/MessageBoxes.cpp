// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxes.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "WindowFrame.h"
#include "WindowLook.h"

namespace {

BoxResponder responder;

// A message box that tells a close by its close box apart from the No button.
class QuestionBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;
  bool closedByFrame = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    closedByFrame = true;
    event->accept();
    done(QMessageBox::NoButton);
  }
};

QMessageBox::Icon IconOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::Warning: return QMessageBox::Warning;
    case BoxKind::Error: return QMessageBox::Critical;
    case BoxKind::Information: return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

BoxAnswer Run(const BoxRequest& request, QMessageBox::Icon icon) {
  if (responder) return responder(request);
  QuestionBox box(icon, request.title, request.text);
  QPushButton* yes = nullptr;
  if (request.buttons == BoxButtons::YesNo) {
    yes = box.addButton(QObject::tr("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QObject::tr("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);  // Enter
    box.setEscapeButton(no);    // Escape
  } else {
    QPushButton* ok = box.addButton(QObject::tr("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);  // Enter
    box.setEscapeButton(ok);   // and Escape
  }
  box.adjustSize();
  CentreOnScreen(box);
  box.exec();
  if (request.buttons == BoxButtons::Ok) return BoxAnswer::Ok;
  if (box.closedByFrame) return BoxAnswer::Closed;
  return box.clickedButton() == yes ? BoxAnswer::Yes : BoxAnswer::No;
}

}  // namespace

QString BoxTitle(BoxKind kind) {
  switch (kind) {
    case BoxKind::Warning: return QStringLiteral("Warning");
    case BoxKind::Error: return QStringLiteral("Error");
    case BoxKind::Information: return QStringLiteral("Information");
  }
  return QString();
}

BoxAnswer ShowMessage(BoxKind kind, const QString& text, BoxButtons buttons) {
  return Run(BoxRequest{BoxTitle(kind), text, kind, buttons}, IconOf(kind));
}

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

void ShowDefaultError(const QString& message) {
  Run(BoxRequest{kApplicationTitle, WithFullStop(message), BoxKind::Error, BoxButtons::Ok},
      QMessageBox::Critical);
}

BoxResponder SetBoxResponder(BoxResponder newResponder) { return std::exchange(responder, std::move(newResponder)); }
