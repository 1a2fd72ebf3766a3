// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about window: product name, version, copyright and three links that
// start the user's mail program or browser.
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <functional>

// A label that draws its text a second time, one pixel off in the button
// highlight colour, beneath the text.
class ShadowLabel : public QWidget {
  Q_OBJECT
 public:
  // `shadow` is the shadow's offset: (1, 1) lower right, (-1, 1) lower left.
  ShadowLabel(const QString& text, QPoint position, QPoint shadow, QWidget* parent);
  QString text() const { return text_; }
  // Where the text itself stands in the parent.
  QPoint textOrigin() const { return pos() + textOffset_; }
  QPoint shadowOffset() const { return shadow_; }
  // Sizes the label to its text in its current font, shadow included.
  void fitText();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QPoint shadow_;
  QPoint textOffset_;
};

// A clickable address: blue, underlined, with a hand cursor.
class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  LinkLabel(const QString& text, QPoint position, QWidget* parent);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Bevel1;
  QLabel* ProgramIcon;
  ShadowLabel* ProductName;
  ShadowLabel* Version;
  ShadowLabel* Copyright;
  ShadowLabel* MailLabel;
  LinkLabel* MailLink;
  ShadowLabel* WebLabel;
  LinkLabel* WebLink;
  QFrame* Bevel2;
  ShadowLabel* TranslatorLabel;
  LinkLabel* TranslatorLink;
  QPushButton* OkButton;

  void MailLinkClick();
  void WebLinkClick();
  void TranslatorLinkClick();
};

extern TAboutBox* AboutBox;

// The program's contacts.
extern const QString kAuthorMail;
extern const QString kWebAddress;
extern const QString kTranslatorName;
extern const QString kTranslatorMail;

// Asks the desktop to open an address; tests put their own in place.
void OpenAddress(const QUrl& url);
// Installs an opener and returns the one it replaces; empty restores the desktop's.
using AddressOpener = std::function<void(const QUrl&)>;
AddressOpener SetAddressOpener(AddressOpener opener);
