// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Top-level windows placed by their outer frame, title bar included, as the
// window manager draws it.
#include <QMargins>
#include <QRect>
#include <QWidget>

// The frame around the window: Qt's figure once the window is on the screen;
// before that, on X11, the window manager's answer to _NET_REQUEST_FRAME_EXTENTS for
// the window as it is set up (empty where the manager does not answer).
QMargins FrameMargins(QWidget& window);

// Centres the window's frame on the primary screen's available area.
void CentreOnScreen(QWidget& window);

// Gives the window the inside that makes its frame `outer`, at `outer`'s place.
void PlaceFrame(QWidget& window, const QRect& outer);
