// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Program start and end: the five windows in their fixed order.

// Creates the main window (running its creation handler), then, hidden, the
// calibration progress window, the settings dialog, the data list window and
// the about window.
void CreateForms();

// Destroys all five windows.
void DestroyForms();
