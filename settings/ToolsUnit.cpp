// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolsUnit.h"

#include <QApplication>
#include <QMenu>
#include <algorithm>

#include "IntegerText.h"
#include "MessageBoxes.h"
#include "NamedIcon.h"
#include "Settings.h"
#include "WindowLook.h"

TToolsBox* ToolsBox = nullptr;

namespace {

constexpr int kWeakTyped = 6;  // characters the attenuation takes when typed

// The angstrom sign of this program is the Cyrillic capital A.
const QString kAngstrom = QStringLiteral("\u0410");

QLineEdit* MakeEdit(QWidget* parent, const char* name, QRect geometry) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setGeometry(geometry);
  edit->setToolTip(QStringLiteral("Input positive integer"));
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
  edit->setPalette(palette);
  return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* name, QPoint position, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->move(position);
  label->adjustSize();
  return label;
}

bool Parse(const QLineEdit* edit, int32_t& value) { return ParseInt32(edit->text().toStdString(), value); }

}  // namespace

QString RangeText(const QString& startText, const QString& finishText) {
  return QStringLiteral(" Initial wavelength: ") + startText + QLatin1Char(' ') + kAngstrom +
         QStringLiteral(";   Final wavelength: ") + finishText + QLatin1Char(' ') + kAngstrom + QLatin1Char(';');
}

TToolsBox::TToolsBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("ToolsBox"));
  setWindowTitle(QStringLiteral("Settings"));
  ApplyFormLook(*this);
  setFixedSize(281, 211);
  move(297, 136);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 265, 153);
  Label1 = MakeLabel(this, "Label1", {32, 32}, QStringLiteral("Attenuation:"));
  Label2 = MakeLabel(this, "Label2", {32, 72}, QStringLiteral("Initial wavelength, ") + kAngstrom + ':');
  Label3 = MakeLabel(this, "Label3", {32, 104}, QStringLiteral("Final wavelength, ") + kAngstrom + ':');
  WeakEdit = MakeEdit(this, "WeakEdit", QRect(112, 32, 57, 21));
  WeakEdit->setMaxLength(kWeakTyped);
  StartEdit = MakeEdit(this, "StartEdit", QRect(160, 72, 65, 21));
  EndEdit = MakeEdit(this, "EndEdit", QRect(160, 104, 65, 21));

  OkButton = new QPushButton(NamedIcon("ok"), QStringLiteral("OK"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setGeometry(32, 176, 75, 25);
  OkButton->setDefault(true);  // Enter
  CancelButton = new QPushButton(NamedIcon("cancel"), QStringLiteral("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setGeometry(176, 176, 75, 25);
  // Escape and the close box reject the dialog, as Cancel does.
  connect(OkButton, &QPushButton::clicked, this, &TToolsBox::OkButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(WeakEdit, StartEdit);
  setTabOrder(StartEdit, EndEdit);
  setTabOrder(EndEdit, OkButton);
  setTabOrder(OkButton, CancelButton);
}

void TToolsBox::showEvent(QShowEvent* event) {
  // Typing is limited to six characters; a longer stored value is shown whole.
  const QString weakText = QString::number(lmx::weak);
  WeakEdit->setMaxLength(std::max(kWeakTyped, static_cast<int>(weakText.size())));
  WeakEdit->setText(weakText);
  StartEdit->setText(QString::number(lmx::start));
  EndEdit->setText(QString::number(lmx::finish));
  WeakEdit->setFocus();
  QDialog::showEvent(event);
}

void TToolsBox::OkButtonClick() {
  // Each value is taken in turn; the first that fails to parse keeps its old
  // value, and so do those after it.
  int32_t value = 0;
  bool parsed = Parse(WeakEdit, value);
  if (parsed) {
    lmx::weak = SaneAttenuation(value);
    parsed = Parse(StartEdit, value);
    if (parsed) {
      lmx::start = value;
      parsed = Parse(EndEdit, value);
      if (parsed) lmx::finish = value;
    }
  }
  if (lmx::weak == 0) lmx::weak = 1;
  if (!parsed) ShowMessage(BoxKind::Error, QStringLiteral("Some parameters are wrong! Please input again!"));
  emit RangeTextChanged(RangeText(StartEdit->text(), EndEdit->text()));
  accept();
}
