// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioLoss.h"

#include "WaveIn.h"

void EndWithAudioFailure(MeasureHost& host, AudioFailure failure) {
  host.EndRecording();
  const QString reason = QString::fromStdString(WaveInError());
  const QString text = failure == AudioFailure::CannotOpen
                           ? QStringLiteral("The audio input could not be opened (%1). The recording has not started.")
                           : QStringLiteral("The audio input was lost (%1). The recording has been stopped; "
                                            "the points measured before stay.");
  host.ShowError(text.arg(reason));
}
