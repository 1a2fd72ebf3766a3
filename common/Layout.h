// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's client area and the colours drawn in it, shared by the
// drawing, the picture files and the main window.
#include <cstdint>

// Colours as 0xAARRGGBB, the layout of QRgb.
constexpr uint32_t kWhite = 0xFFFFFFFFu;       // background and brush
constexpr uint32_t kTraceRed = 0xFFFF0000u;    // trace pen
constexpr uint32_t kAxisGray = 0xFF808080u;    // axis pen
constexpr uint32_t kWindowText = 0xFF000000u;  // text

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 566;
constexpr int kToolBarHeight = 33;  // the tool bar covers y = 0 to 32 on the window
constexpr int kStatusBarTop = 547;  // the status bar covers y = 547 to 565
