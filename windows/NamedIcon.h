// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's icons, by the name of their picture in resources/icons/.
#include <QIcon>

// The icon NAME from the resources, in the form the build embeds: the SVG
// picture itself, or (where Qt has no SVG support, as on Windows) PNG pictures
// rendered from it at the size the program shows and at twice that, which
// QIcon picks by the screen's scale (NAME.png, NAME@2x.png).
QIcon NamedIcon(const char* name);
