#include "measure/Calibration.h"

#include <QCoreApplication>

#include "capture/CaptureFormat.h"
#include "capture/Clock.h"
#include "capture/WaveIn.h"
#include "measure/Rounding.h"
#include "measure/Startunit.h"
#include "windows/MessageBoxes.h"

int32_t zero = 0;

namespace {

const char* const kZeroValue = "zero";

// Hides the progress window however the measurement ends.
struct ProgressShown {
  ProgressShown() {
    StartBox->ProgressBar->setValue(0);
    StartBox->show();
    showOnScreen();
  }
  ~ProgressShown() { StartBox->hide(); }
  void step(int position) {
    StartBox->ProgressBar->setValue(position);
    showOnScreen();
  }
  // Lets the window system map and paint the progress window; user input
  // stays queued, so no command can be given during the calibration.
  static void showOnScreen() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    StartBox->ProgressBar->repaint();
  }
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

void Calibrate(KeyStore& store) {
  if (WaveInDeviceCount() == 0) return;
  try {
    OpenedKey key(store);
    if (key->valueExists(kZeroValue)) {
      zero = key->readInteger(kZeroValue);
      return;
    }
    ProgressShown progress;
    for (int i = 1; i <= kCalibrationWaitSteps; ++i) {
      Pause(kCalibrationStepMs);
      progress.step(5 * i);
    }
    std::string reason;
    if (!CaptureSignalBuffer(reason)) {
      StartBox->hide();
      ShowMessage(BoxKind::Error,
                  QStringLiteral("The audio input could not be read (%1). The zero level is taken as 0 "
                                 "and will be measured again at the next start.")
                      .arg(QString::fromStdString(reason)));
      return;
    }
    zero = ZeroLevelOf(SignalBuffer, kSignalSamples);
    key->writeInteger(kZeroValue, zero);
  } catch (const StoreError& error) {
    StartBox->hide();
    ShowDefaultError(QString::fromStdString(error.what()));
  }
}
