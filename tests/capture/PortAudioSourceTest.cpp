// Runs against whatever audio the machine has, which may be nothing at all:
// the checks hold for every case, and the device-specific ones only apply when
// a device actually opens.
#include "PortAudioSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// On a machine with a sound server the stream runs through libasound plugins
// and libpulse. Those libraries are not built with sanitizers: their own
// atomics hide their thread hand-offs from ThreadSanitizer, and the plugins
// keep start-up allocations for the life of the process. Neither is ours.
// Full unwinding lets those allocations be traced back through libasound even
// after the plugin has been unloaded.
extern "C" const char* __tsan_default_suppressions() { return "race:libpulse.so\n"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

WaveFormat captureFormat() {
  WaveFormat f;
  f.wFormatTag = kWaveFormatPcm;
  f.nChannels = 1;
  f.nSamplesPerSec = kSampleRate;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 2;
  f.nAvgBytesPerSec = kSampleRate * 2;
  return f;
}

TEST(PortAudioSource, IsInertUntilOpened) {
  PortAudioSource source;
  int16_t buffer[16];
  std::string reason;
  source.discard();
  EXPECT_EQ(source.take(buffer, 16), 0u);
  EXPECT_EQ(source.delivered(), 0u);
  EXPECT_FALSE(source.failed(reason));
  source.close();
  source.close();
}

TEST(PortAudioSource, OpensDeviceZeroOrSaysWhyNot) {
  PortAudioSource source;
  const int count = source.deviceCount();
  EXPECT_GE(count, 0);

  std::string reason;
  const bool opened = source.open(captureFormat(), reason);
  if (count == 0) {
    EXPECT_FALSE(opened);
  }
  if (!opened) {
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(source.isOpen());
  } else {
    EXPECT_TRUE(source.isOpen());
    EXPECT_FALSE(source.deviceName().empty());
    EXPECT_EQ(source.deviceCount(), count);  // the open card is not probed again
    // One short capture cycle; a real device may still be starting, so only
    // the bounds are checked.
    int16_t buffer[kPointSamples];
    source.discard();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_LE(source.take(buffer, kPointSamples), static_cast<size_t>(kPointSamples));
  }
  source.close();
  source.close();
  EXPECT_FALSE(source.isOpen());
  EXPECT_FALSE(source.failed(reason));

  // Opening again after a close behaves the same way.
  std::string again;
  EXPECT_EQ(source.open(captureFormat(), again), opened);
  source.close();
}

TEST(PortAudioSource, RefusesAnyOtherFormat) {
  PortAudioSource source;
  WaveFormat stereo = captureFormat();
  stereo.nChannels = 2;
  std::string reason;
  EXPECT_FALSE(source.open(stereo, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(source.open(WaveFormat{}, reason));
  EXPECT_FALSE(source.isOpen());
}

}  // namespace
