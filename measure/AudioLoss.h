// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ending a recording whose audio input failed: the Idle state first, then an
// error box with the back end's reason, so that no stale samples are ever
// presented as a measurement.
#include "MeasureHost.h"

enum class AudioFailure { CannotOpen, Lost };

// The device must already be closed.
void EndWithAudioFailure(MeasureHost& host, AudioFailure failure);
