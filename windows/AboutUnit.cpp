// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutUnit.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "LayoutFont.h"
#include "NamedIcon.h"
#include "Version.h"
#include "WindowLook.h"

TAboutBox* AboutBox = nullptr;

const QString kAuthorMail = QStringLiteral("lmx-author@example.org");
const QString kWebAddress = QStringLiteral("https://lmx.example.org/");
const QString kTranslatorName = QStringLiteral("the LMX team");
const QString kTranslatorMail = QStringLiteral("lmx-translation@example.org");

namespace {

AddressOpener addressOpener;

const QPoint kLowerRight(1, 1);
const QPoint kLowerLeft(-1, 1);

}  // namespace

void OpenAddress(const QUrl& url) {
  if (addressOpener)
    addressOpener(url);
  else
    QDesktopServices::openUrl(url);
}

AddressOpener SetAddressOpener(AddressOpener opener) { return std::exchange(addressOpener, std::move(opener)); }

ShadowLabel::ShadowLabel(const QString& text, QPoint position, QPoint shadow, QWidget* parent)
    : QWidget(parent), text_(text), shadow_(shadow) {
  // Room for the shadow on the side it falls to.
  textOffset_ = QPoint(shadow.x() < 0 ? 1 : 0, 0);
  move(position - textOffset_);
}

void ShadowLabel::fitText() {
  const QFontMetrics metrics(font());
  resize(metrics.horizontalAdvance(text_) + 2, metrics.height() + 1);
}

void ShadowLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  const int baseline = fontMetrics().ascent();
  painter.setPen(palette().color(QPalette::Light));  // the button highlight
  painter.drawText(textOffset_ + shadow_ + QPoint(0, baseline), text_);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(textOffset_ + QPoint(0, baseline), text_);
}

LinkLabel::LinkLabel(const QString& text, QPoint position, QWidget* parent) : QLabel(text, parent) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  setPalette(blue);
  // On the dialog's button face a label would draw in the button text colour.
  setForegroundRole(QPalette::WindowText);
  setCursor(Qt::PointingHandCursor);
  move(position);
  adjustSize();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About..."));
  ApplyFormLook(*this);
  setFixedSize(257, 225);
  move(286, 144);

  auto frame = [this](const char* name, QRect geometry) {
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QLatin1String(name));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bevel->setGeometry(geometry);
    return bevel;
  };
  auto shadowed = [this](const char* name, const QString& text, QPoint position, QPoint shadow) {
    auto* label = new ShadowLabel(text, position, shadow, this);
    label->setObjectName(QLatin1String(name));
    label->fitText();
    return label;
  };
  auto link = [this](const char* name, const QString& text, QPoint position, const char* tip) {
    auto* label = new LinkLabel(text, position, this);
    label->setObjectName(QLatin1String(name));
    if (tip) label->setToolTip(QLatin1String(tip));
    return label;
  };

  Bevel1 = frame("Bevel1", QRect(56, 16, 193, 129));
  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(8, 56, 41, 41);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(NamedIcon("lmx").pixmap(QSize(41, 41)));

  ProductName = new ShadowLabel(QStringLiteral("Lumetra"), QPoint(64, 24), kLowerLeft, this);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  // Arial, else one of the layout's sans serif faces (not every system has Arial).
  QFont title;
  title.setFamilies(QStringList{QStringLiteral("Arial")} + LayoutFont(true).families());
  title.setStyleHint(QFont::SansSerif);
  title.setPixelSize(16);
  title.setBold(true);
  ProductName->setFont(title);
  QPalette bluePalette = ProductName->palette();
  bluePalette.setColor(QPalette::WindowText, Qt::blue);
  ProductName->setPalette(bluePalette);
  ProductName->fitText();

  Version = shadowed("Version", QStringLiteral("Version " LMX_VERSION), {64, 48}, kLowerRight);
  Copyright = shadowed("Copyright", QStringLiteral("\u00A9 2026 The LMX developers"), {64, 72}, kLowerRight);
  MailLabel = shadowed("MailLabel", QStringLiteral("E-mail:"), {64, 96}, kLowerRight);
  MailLink = link("MailLink", kAuthorMail, {104, 96}, "Send remarks and propositions...");
  WebLabel = shadowed("WebLabel", QStringLiteral("Web:"), {64, 120}, kLowerRight);
  WebLink = link("WebLink", kWebAddress, {104, 120}, "Here new versions of programs...");
  Bevel2 = frame("Bevel2", QRect(8, 152, 241, 33));
  TranslatorLabel = shadowed("TranslatorLabel", QStringLiteral("Translated into English by"), {29, 160}, kLowerRight);
  TranslatorLink = link("TranslatorLink", kTranslatorName, {157, 160}, nullptr);

  OkButton = new QPushButton(QStringLiteral("OK"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setGeometry(88, 194, 81, 25);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(MailLink, &LinkLabel::clicked, this, &TAboutBox::MailLinkClick);
  connect(WebLink, &LinkLabel::clicked, this, &TAboutBox::WebLinkClick);
  connect(TranslatorLink, &LinkLabel::clicked, this, &TAboutBox::TranslatorLinkClick);
}

void TAboutBox::MailLinkClick() { OpenAddress(QUrl(QStringLiteral("mailto:") + MailLink->text())); }

void TAboutBox::WebLinkClick() { OpenAddress(QUrl(kWebAddress)); }

void TAboutBox::TranslatorLinkClick() { OpenAddress(QUrl(QStringLiteral("mailto:") + kTranslatorMail)); }
