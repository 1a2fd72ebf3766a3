// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's message boxes: modal, centred on the screen, in three kinds.
// Tests install a responder instead of a person.
#include <QString>
#include <functional>

enum class BoxKind { Warning, Error, Information };
enum class BoxButtons { Ok, YesNo };
// Closed: the box was closed by its own close box, answering neither.
enum class BoxAnswer { Ok, Yes, No, Closed };

// The caption of the default error box and the application's title.
inline const QString kApplicationTitle = QStringLiteral("Spectrometer LMX");

// "Warning", "Error" or "Information".
QString BoxTitle(BoxKind kind);

BoxAnswer ShowMessage(BoxKind kind, const QString& text, BoxButtons buttons = BoxButtons::Ok);

// The default error box for errors of files, pictures and the settings store:
// the message with a full stop added when its last character sorts after ".",
// the application title as caption, an error icon and an OK button.
void ShowDefaultError(const QString& message);
QString WithFullStop(const QString& message);

// What a responder sees of one box.
struct BoxRequest {
  QString title;
  QString text;
  BoxKind kind;
  BoxButtons buttons;
};
using BoxResponder = std::function<BoxAnswer(const BoxRequest&)>;
// Installs a responder and returns the one it replaces; empty restores real boxes.
BoxResponder SetBoxResponder(BoxResponder responder);
