// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The look every window of the program shares.
#include <QFont>
#include <QWidget>

// The windows' font: the layout's face (8-point "MS Sans Serif", see
// LayoutFont), made smaller only where no face of its widths is found and
// the layout's texts would not fit their room.
QFont FormFont();

// The form font and the button-face background.
void ApplyFormLook(QWidget& window);

