// SPDX-License-Identifier: GPL-3.0-or-later
#include "Calibration.h"

#include "CaptureFormat.h"
#include "Clock.h"
#include "Rounding.h"
#include "WaveIn.h"

namespace lmx {
int32_t zero = 0;
}

namespace {

const char* const kZeroValue = "zero";

// Hides the progress window however the measurement ends.
class ProgressShown {
 public:
  explicit ProgressShown(MeasureHost& host) : host_(host) { host_.ShowProgress(0); }
  ~ProgressShown() { host_.HideProgress(); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;
  void step(int position) { host_.ShowProgress(position); }

 private:
  MeasureHost& host_;
};

// Captures one full Signal buffer; false with the reason when it cannot.
bool CaptureSignalBuffer(std::string& reason) {
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  if (!WaveInOpen()) {
    reason = WaveInError();
    return false;
  }
  size_t got = WaveInCycle(kCalibrationCaptureMs);
  // The zero level is kept for every later measurement, so it is taken only
  // from a buffer filled completely with fresh samples.
  if (got < static_cast<size_t>(kSignalSamples) && !WaveInLost())
    got = WaveInFillRest(got, kCalibrationFillWaitMs);
  const bool full = got == static_cast<size_t>(kSignalSamples);
  if (!full)
    reason = WaveInLost() ? WaveInError()
                          : "only " + std::to_string(got) + " of " + std::to_string(kSignalSamples) +
                                " samples arrived";
  WaveInClose();
  return full;
}

}  // namespace

int32_t ZeroLevelOf(const int16_t* samples, int count) {
  int64_t sum = 0;
  for (int i = 0; i < count; ++i) sum += samples[i];
  return RoundHalfEven(static_cast<double>(sum) / count);
}

void Calibrate(KeyStore& store, MeasureHost& host) {
  if (WaveInDeviceCount() == 0) return;
  try {
    OpenedKey key(store);
    if (key->valueExists(kZeroValue)) {
      lmx::zero = key->readInteger(kZeroValue);
      return;
    }
    ProgressShown progress(host);
    for (int i = 1; i <= kCalibrationWaitSteps; ++i) {
      Pause(kCalibrationStepMs);
      progress.step(5 * i);
    }
    std::string reason;
    if (!CaptureSignalBuffer(reason)) {
      host.HideProgress();
      host.ShowError(QStringLiteral("The audio input could not be read (%1). The zero level is taken as 0 "
                                 "and will be measured again at the next start.")
                         .arg(QString::fromStdString(reason)));
      return;
    }
    lmx::zero = ZeroLevelOf(SignalBuffer, kSignalSamples);
    key->writeInteger(kZeroValue, lmx::zero);
  } catch (const StoreError& error) {
    host.HideProgress();
    host.ShowStoreError(QString::fromStdString(error.what()));
  }
}
