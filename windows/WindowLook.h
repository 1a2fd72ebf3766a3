#pragma once
// The look every window of the program shares.
#include <QFont>
#include <QWidget>

// 8-point "MS Sans Serif", or the toolkit's nearest sans serif.
QFont FormFont();

// The form font and the button-face background.
void ApplyFormLook(QWidget& window);

// Places a top-level window so that its frame is centred on the primary screen.
void CentreOnScreen(QWidget& window);
