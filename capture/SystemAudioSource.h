// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio back end this build captures from: PortAudio on Linux, the wave-input
// API on Windows. Each back end's source file defines it, and the build takes one.
#include "AudioSource.h"

AudioSource& SystemAudioSource();
