// SPDX-License-Identifier: GPL-3.0-or-later
// The measurements against a real sound server, through the build's real
// audio back end and the real clock: with-sound-server.sh starts a private
// PulseAudio or PipeWire whose default source is the monitor of a null sink,
// and these tests play known signals into that sink with our generator. The
// Windows build measures through the wave-input API under Wine, whose audio
// driver records from the same private PulseAudio.
//
// Every capture is recorded on its way to the measurement, and the results
// are recomputed here, independently of the program's own arithmetic, from
// exactly those samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Calibration.h"
#include "CaptureFormat.h"
#include "Clock.h"
#include "FileKeyStore.h"
#include "Monitor.h"
#include "Scan.h"
#include "Settings.h"
#include "WaveIn.h"
#include "tests/e2e/RecordingSource.h"
#include "tests/e2e/SignalPlayer.h"
#include "tests/measure/RecordingHost.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestEnvironment.h"

// libasound and libpulse are not built with the sanitizers: their plugin
// start-up allocations live as long as the process, and libpulse's own atomics
// hide its thread hand-offs from ThreadSanitizer (see PortAudioSourceTest).
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so\nleak:libpulse\n"; }
extern "C" const char* __tsan_default_suppressions() { return "race:libpulse.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kToneHz = 441;          // exactly 100 samples a period
constexpr int kTonePeriod = 44100 / kToneHz;
constexpr int kToneAmplitude = 6000;
// An offset large enough that a scan which ignored it would be far off.
constexpr int kOffset = -2900;

// Independent of measure/Rounding.h: the floating-point unit's own rounding,
// which is to nearest with ties to even by default.
int32_t nearestEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

// One period of the generator's tone plus `offset`, computed here.
std::vector<int16_t> tonePeriod(int amplitude, int offset) {
  std::vector<int16_t> period(kTonePeriod);
  for (int j = 0; j < kTonePeriod; ++j) {
    const double cycles = static_cast<double>(kToneHz * j % 44100) / 44100;
    period[j] = static_cast<int16_t>(offset + std::lround(amplitude * std::sin(2.0 * kPi * cycles)));
  }
  return period;
}

// The phase at which `samples` are an unbroken run of the periodic `period`,
// or -1 when they are not (a gap, a repeat, a changed sample).
int phaseInTone(const std::vector<int16_t>& samples, const std::vector<int16_t>& period) {
  const int n = static_cast<int>(period.size());
  for (int p = 0; p < n; ++p) {
    bool all = true;
    for (size_t i = 0; i < samples.size() && all; ++i) all = samples[i] == period[(p + i) % n];
    if (all) return p;
  }
  return -1;
}

// The server and the device these tests run against (with-sound-server.sh
// names them).
std::string environment(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value ? value : otherwise;
}

// PipeWire puts gaps of silence into a recording where PulseAudio does not:
// its graph keeps to its clock, and a cycle that a stream misses (on a busy
// machine, and at once after a stall, when it runs the cycles it missed) is
// played as silence; through pipewire-pulse, a new recording may also begin
// with the rest of a cycle of silence. Through its ALSA plug-in, samples may
// also be lost outright after a stall (the signal jumps ahead). The
// measurements are still recomputed exactly from what arrived; only the
// comparison with the played signal leaves out what the server changed.
bool serverAddsSilence() { return environment("LMX_E2E_SERVER", "pulseaudio") == "pipewire"; }

// Samples that are the played signal (`isSignal` says whether a run of
// samples continues it), or where `breaksAllowed` (by default on PipeWire),
// pieces of it with gaps of silence (two or more zeros) or lost samples
// between them. Counts in `gaps` the calls that found such breaks.
template <typename IsSignal>
bool expectSignalOrSilence(const std::vector<int16_t>& samples, IsSignal isSignal, int& gaps,
                           bool breaksAllowed = serverAddsSilence()) {
  if (samples.empty() || isSignal(samples)) return true;
  ++gaps;
  if (!breaksAllowed) return false;
  const auto begin = samples.begin();
  const size_t size = samples.size();
  auto silenceAt = [&](size_t i) { return i + 1 < size && samples[i] == 0 && samples[i + 1] == 0; };
  size_t i = 0;
  while (i < size) {
    if (silenceAt(i)) {
      while (i < size && samples[i] == 0) ++i;
      continue;
    }
    size_t runEnd = i + 1;
    while (runEnd < size && !silenceAt(runEnd)) ++runEnd;
    // The longest piece of the signal from i on (every prefix of a piece is one).
    size_t low = 0, high = runEnd - i;
    while (low < high) {
      const size_t length = (low + high + 1) / 2;
      if (isSignal(std::vector<int16_t>(begin + i, begin + i + length)))
        low = length;
      else
        high = length - 1;
    }
    if (low == 0) return false;
    i += low;
  }
  return true;
}

RealBackEnd& realBackEnd() {
  static RealBackEnd source;
  return source;
}

class RealSoundServer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr) << "run these tests with tests/e2e/with-sound-server.sh";
    directory_ = MakeTemporaryDirectory();
    store_ = std::make_unique<FileKeyStore>(directory_ + "/lmx/settings.reg");
    SetSettingsKeyStore(store_.get());
    SetActiveClock(nullptr);  // real time
    SetAudioSource(&recorder);
    SetBoxResponder([this](const BoxRequest& request) {
      boxes.push_back(request);
      return BoxAnswer::Ok;
    });
    FillCaptureFormat();
    lmx::weak = kDefaultWeak;
    lmx::start = kDefaultStart;
    lmx::finish = kDefaultFinish;
    lmx::zero = 0;
    // Device 0 must be the sound server's: a capture card of the machine's
    // own would come first and receive nothing we play. Counted as the
    // program counts at start-up, on a thread of its own, before this thread
    // opens the device.
    WaveInCountDevicesAhead();
    ASSERT_GE(WaveInDeviceCount(), 1);
  }

  void TearDown() override {
    player.stop();
    SetBoxResponder({});
    SetAudioSource(nullptr);
    SetSettingsKeyStore(nullptr);
    RemoveDirectory(directory_);
  }

  // Plays `lmx-signal args...` (a signal that is not all zeros) and waits
  // until it reaches the capture device.
  void play(const std::vector<std::string>& args) {
    player.stop();
    ASSERT_EQ(SignalPlayer::streamsPlaying(), 0) << "another signal still plays into the sink";
    ASSERT_TRUE(player.start(args));
    std::string reason;
    RealBackEnd& source = realBackEnd();
    const int devices = source.deviceCount();
    ASSERT_TRUE(source.open(CaptureFormat, reason)) << reason;
    EXPECT_EQ(source.deviceCount(), devices);  // the open device is not probed again
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool heard = false;
    int16_t block[512];
    while (!heard && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      for (size_t n; (n = source.take(block, 512)) > 0;)
        heard = heard || std::any_of(block, block + n, [](int16_t s) { return s != 0; });
    }
    source.close();
    source.close();  // twice is harmless
    EXPECT_FALSE(source.isOpen());
    ASSERT_TRUE(heard) << "the played signal never reached the capture device";
  }

  // The sound server's process, which with-sound-server.sh names; -1 when unnamed.
  static pid_t serverPid() {
    const char* pid = std::getenv("LMX_E2E_SERVER_PID");
    return pid ? static_cast<pid_t>(std::atoi(pid)) : -1;
  }

  void expectDeviceWasTheSoundServer() {
    EXPECT_EQ(recorder.openedDevice, environment("LMX_E2E_DEVICE", "pulse"))
        << "device 0 is not the sound server's; these tests need a machine without a capture card";
  }

  RecordingSource recorder{realBackEnd()};
  SignalPlayer player;
  std::vector<BoxRequest> boxes;
  std::unique_ptr<FileKeyStore> store_;
  RecordingHost host;

 private:
  std::string directory_;
};

// The scan's points recomputed from the recorded capture buffers (a short
// capture leaves the previous capture's samples in the rest of the buffer,
// and the point is made of them too): mean |s - zero| per capture, rounded; the 20 of a point summed, divided by 20 and rounded;
// divided by the attenuation and rounded.
std::vector<int32_t> recomputeScan(const RecordingSource& recorder, int points, int32_t zeroLevel, int32_t attenuation) {
  std::vector<int32_t> values;
  for (int k = 0; k < points; ++k) {
    int64_t sumOfMeans = 0;
    for (int c = 0; c < kCapturesPerPoint; ++c) {
      const std::vector<int16_t> s = recorder.cycleBuffer(k * kCapturesPerPoint + c + 1);
      int64_t deviation = 0;
      for (int16_t v : s) deviation += v > zeroLevel ? v - zeroLevel : zeroLevel - v;
      sumOfMeans += nearestEven(static_cast<double>(deviation) / static_cast<double>(s.size()));
    }
    values.push_back(nearestEven(nearestEven(sumOfMeans / 20.0) / static_cast<double>(attenuation)));
  }
  return values;
}

// The tone's runs: `samples` continue the played period at some phase.
auto toneRun(const std::vector<int16_t>& period) {
  return [&period](const std::vector<int16_t>& samples) { return phaseInTone(samples, period) >= 0; };
}

// Every scan capture took what arrived, an unbroken run of the played tone
// (on PipeWire, possibly with gaps of silence or lost samples). Returns, for each of `points`
// points, whether silence came into its captures.
std::vector<bool> expectCapturesAreRunsOf(const RecordingSource& recorder, const std::vector<int16_t>& period,
                                          int points) {
  std::vector<bool> silenced(points, false);
  int gaps = 0;
  for (const RecordingSource::Take& take : recorder.takes) {
    EXPECT_EQ(take.wanted, static_cast<size_t>(kPointSamples));
    EXPECT_EQ(take.buffer.size(), static_cast<size_t>(kPointSamples));
    const int before = gaps;
    EXPECT_TRUE(expectSignalOrSilence(take.samples, toneRun(period), gaps))
        << "capture " << take.cycle << " is not an unbroken run of the tone";
    const int point = (take.cycle - 1) / kCapturesPerPoint;
    if (gaps > before && point < points) silenced[point] = true;
  }
  std::cout << "[ e2e ] " << recorder.cycles << " captures, " << recorder.shortCycles() << " of them short, "
            << gaps << " takes with gaps of silence or lost samples\n";
  return silenced;
}

// Lets a frozen sound server go on when it leaves scope, however the test ends.
struct ThawAtTheEnd {
  pid_t server;
  ~ThawAtTheEnd() { SignalServer(server, ServerSignal::Thaw); }
};

}  // namespace

TEST_F(RealSoundServer, SilentInputCalibratesToZero) {
  // Nothing plays: the monitor of the idle null sink delivers zeros.
  Calibrate(*store_, host);
  expectDeviceWasTheSoundServer();
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].text.toStdString());
  EXPECT_EQ(lmx::zero, 0);
  {
    OpenedKey key(*store_);
    ASSERT_TRUE(key->valueExists("zero"));
    EXPECT_EQ(key->readInteger("zero"), 0);
  }
  // One capture cycle (with top-ups if the first take was short) filled the
  // whole Signal buffer with silence.
  EXPECT_EQ(recorder.cycles, 1);
  const std::vector<int16_t> samples = recorder.cycleSamples(1);
  ASSERT_EQ(samples.size(), static_cast<size_t>(kSignalSamples));
  EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](int16_t s) { return s == 0; }));
  EXPECT_EQ(recorder.opens, 1);
  EXPECT_EQ(recorder.closes, 1);
  std::cout << "[ e2e ] calibration on silence: zero " << lmx::zero << "\n";
}

TEST_F(RealSoundServer, MonitorFramesTraceTheCapturedSamples) {
  ASSERT_NO_FATAL_FAILURE(play({"tone", "--frequency", "441", "--amplitude", "6000"}));
  lmx::weak = 40;  // the tone's +-150 px fit the drawing area
  const std::vector<int16_t> period = tonePeriod(kToneAmplitude, 0);
  constexpr int kFrames = 75;  // about three seconds
  // Frames 26 to 30 are captured while the server is frozen, as a busy machine
  // can hold it up: they come short, and show what the buffer still holds.
  constexpr int kFreezeAfter = 25, kThawAfter = 30;
  int framesWithGaps = 0;
  const pid_t server = serverPid();
  ASSERT_GT(server, 0) << "with-sound-server.sh names the server's process";
  const ThawAtTheEnd thaw{server};
  int checked = 0;
  std::chrono::steady_clock::time_point firstFrame, lastFrame;
  // The buffer as the program left it before the first frame.
  std::vector<int16_t> previous(SignalBuffer, SignalBuffer + kSignalSamples);
  host.onPass = [&](int pass) {
    // First, so that a failed check below cannot keep the monitor running or the server frozen.
    host.stopped = pass >= kFrames;
    if (pass == kFreezeAfter) SignalServer(server, ServerSignal::Freeze);
    if (pass == kThawAfter) SignalServer(server, ServerSignal::Thaw);
    lastFrame = std::chrono::steady_clock::now();
    if (pass == 1) firstFrame = lastFrame;
    // The frame just drawn comes from the last capture cycle. A cycle may come
    // short when the server delivers late; the rest of the buffer then still
    // holds the previous frame's (already scaled) samples, and is drawn too.
    const std::vector<int16_t> captured = recorder.cycleSamples(recorder.cycles);
    const std::vector<int16_t> s = recorder.cycleBuffer(recorder.cycles);
    ASSERT_EQ(s.size(), static_cast<size_t>(kSignalSamples)) << "frame " << pass;
    ASSERT_LE(captured.size(), s.size()) << "frame " << pass;
    // The frames captured as the server wakes up may hold a break on
    // PulseAudio too: after being stopped it may drop part of what it could
    // not deliver meanwhile (seen once under ThreadSanitizer).
    const bool waking = pass > kThawAfter && pass <= kThawAfter + 2;
    EXPECT_TRUE(expectSignalOrSilence(captured, toneRun(period), framesWithGaps, serverAddsSilence() || waking))
        << "frame " << pass << " is not an unbroken run of the tone";
    for (size_t n = captured.size(); n < s.size(); ++n)
      ASSERT_EQ(s[n], previous[n]) << "frame " << pass << ", sample " << n << " after a short capture";
    const int base = kMonitorBaseline - nearestEven(lmx::zero / static_cast<double>(lmx::weak));
    std::vector<int> y(kSignalSamples);
    for (int n = 0; n < kSignalSamples; ++n) {
      const int scaled = nearestEven(s[n] / static_cast<double>(lmx::weak));
      ASSERT_EQ(SignalBuffer[n], scaled) << "sample " << n << " of frame " << pass;
      y[n] = base + scaled;
    }
    previous.assign(SignalBuffer, SignalBuffer + kSignalSamples);
    const QImage& plot = host.plot.PlotImage();
    const QImage& window = host.plot.WindowSurface();
    ASSERT_EQ(plot.depth(), 32);
    ASSERT_EQ(window.depth(), 32);
    // Column x = n + 20 holds the line from sample n towards sample n + 1 and
    // the lower half of a steep line from sample n - 1: its trace pixels lie
    // between the three samples.
    std::vector<int> low(kClientWidth, INT32_MAX), high(kClientWidth, INT32_MIN);
    for (int x = 0; x < kClientWidth; ++x) {
      for (int m = x - kMonitorLeft - 1; m <= x - kMonitorLeft + 1; ++m) {
        if (m < kMonitorFirstSample || m >= kSignalSamples) continue;
        low[x] = std::min(low[x], y[m]);
        high[x] = std::max(high[x], y[m]);
      }
    }
    for (int row = kToolBarHeight; row < kStatusBarTop; ++row) {
      const auto* p = reinterpret_cast<const QRgb*>(plot.constScanLine(row));
      const auto* w = reinterpret_cast<const QRgb*>(window.constScanLine(row));
      for (int x = 0; x < kClientWidth; ++x) {
        const bool red = p[x] == kTraceRed;
        if (red && (row < low[x] || row > high[x]))
          FAIL() << "frame " << pass << ": stray trace pixel at " << x << "," << row;
        if (red != (w[x] == kTraceRed))
          FAIL() << "frame " << pass << ": window and Plot image differ at " << x << "," << row;
      }
    }
    // Every sample but the last stands exactly where it belongs.
    for (int n = kMonitorFirstSample; n < kSignalSamples - 1; ++n)
      ASSERT_EQ(plot.pixel(n + kMonitorLeft, y[n]), kTraceRed) << "frame " << pass << ", sample " << n;
    ++checked;
  };
  const auto began = std::chrono::steady_clock::now();
  RunMonitor(host);
  const double opening = std::chrono::duration<double>(firstFrame - began).count();
  const double perFrame = std::chrono::duration<double>(lastFrame - firstFrame).count() / (kFrames - 1) * 1000;
  expectDeviceWasTheSoundServer();
  EXPECT_EQ(checked, kFrames);
  EXPECT_EQ(recorder.cycles, kFrames);
  EXPECT_GE(recorder.shortCycles(), 1) << "the frozen server did not make a capture come short";
  EXPECT_EQ(recorder.closes, 1);
  EXPECT_FALSE(host.ended);  // stopped, not lost
  EXPECT_TRUE(boxes.empty());
  std::cout << "[ e2e ] monitor: first frame " << opening << " s after Start, then " << perFrame
            << " ms a frame (" << kFrames << " frames, " << recorder.shortCycles() << " from a short capture, "
            << framesWithGaps << " with gaps of silence or lost samples)\n";
}

TEST_F(RealSoundServer, ScanPointsAreMeanDeviationsOfTheCapturedSamples) {
  ASSERT_NO_FATAL_FAILURE(play({"tone", "--frequency", "441", "--amplitude", "6000"}));
  lmx::weak = 10;  // about 382: the curve stays in the drawing area
  constexpr int kPoints = 4;
  host.onPass = [this](int pass) { host.stopped = pass == kPoints - 1; };
  const auto began = std::chrono::steady_clock::now();
  RunScan(host);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  expectDeviceWasTheSoundServer();
  EXPECT_TRUE(host.ended);
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].text.toStdString());
  ASSERT_EQ(host.lines.size(), kPoints);
  ASSERT_EQ(recorder.cycles, kPoints * kCapturesPerPoint);

  const std::vector<int16_t> period = tonePeriod(kToneAmplitude, 0);
  const std::vector<bool> silenced = expectCapturesAreRunsOf(recorder, period, kPoints);
  const std::vector<int32_t> offline = recomputeScan(recorder, kPoints, lmx::zero, lmx::weak);
  const double expected = 2.0 * kToneAmplitude / kPi / lmx::weak;
  for (int k = 0; k < kPoints; ++k) {
    EXPECT_EQ(lmx::Spectrum[k], offline[k]) << "point " << k;
    EXPECT_EQ(host.lines[k], QString::number(lmx::Spectrum[k])) << "point " << k;
    if (!silenced[k]) {
      EXPECT_NEAR(lmx::Spectrum[k], expected, expected / 100) << "point " << k;
    }
    std::cout << "[ e2e ] scan point " << k << ": " << lmx::Spectrum[k] << " (offline " << offline[k]
              << ", 2A/(pi*weak) = " << expected << (silenced[k] ? ", with silence" : "") << ")\n";
  }
  for (int k = kPoints; k < kScanPoints; ++k) ASSERT_EQ(lmx::Spectrum[k], 0) << "point " << k;
  // The curve runs through the points (the last one ends a line and is not drawn).
  for (int k = 0; k < kPoints - 1; ++k)
    EXPECT_EQ(host.plot.PlotImage().pixel(kScanLeft + k, kScanBottom - lmx::Spectrum[k]), kTraceRed) << "point " << k;
  std::cout << "[ e2e ] scan: " << kPoints << " points in " << seconds << " s\n";
}

TEST_F(RealSoundServer, OffsetInputCalibratesToItsLevelAndIsScannedAgainstIt) {
  // A constant level, as a detector amplifier with an offset delivers.
  ASSERT_NO_FATAL_FAILURE(play({"tone", "--amplitude", "0", "--offset", std::to_string(kOffset)}));
  Calibrate(*store_, host);
  expectDeviceWasTheSoundServer();
  EXPECT_TRUE(boxes.empty());
  const std::vector<int16_t> calibration = recorder.cycleSamples(1);
  ASSERT_EQ(calibration.size(), static_cast<size_t>(kSignalSamples));
  int64_t sum = 0;
  for (int16_t s : calibration) sum += s;
  EXPECT_EQ(lmx::zero, nearestEven(static_cast<double>(sum) / kSignalSamples));
  int gaps = 0;
  const auto offsetRun = [](const std::vector<int16_t>& run) {
    return std::all_of(run.begin(), run.end(), [](int16_t s) { return s == kOffset; });
  };
  ASSERT_TRUE(expectSignalOrSilence(calibration, offsetRun, gaps)) << "the calibration did not capture the offset";
  if (gaps == 0) {
    ASSERT_EQ(lmx::zero, kOffset);
  }
  std::cout << "[ e2e ] calibration on the offset " << kOffset << ": zero " << lmx::zero
            << (gaps ? " (silence in the capture)" : "") << "\n";

  // The tone on the same offset: the scan measures it from the zero level.
  ASSERT_NO_FATAL_FAILURE(
      play({"tone", "--frequency", "441", "--amplitude", "6000", "--offset", std::to_string(kOffset)}));
  recorder.clear();
  host.onPass = [this](int pass) { host.stopped = pass == 1; };
  RunScan(host);  // attenuation 1
  ASSERT_EQ(host.lines.size(), 2);
  const std::vector<int16_t> period = tonePeriod(kToneAmplitude, kOffset);
  const std::vector<bool> silenced = expectCapturesAreRunsOf(recorder, period, 2);
  const std::vector<int32_t> offline = recomputeScan(recorder, 2, lmx::zero, lmx::weak);
  const double expected = 2.0 * kToneAmplitude / kPi;
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(lmx::Spectrum[k], offline[k]) << "point " << k;
    if (!silenced[k] && lmx::zero == kOffset) {
      EXPECT_NEAR(lmx::Spectrum[k], expected, expected / 100) << "point " << k;
    }
    std::cout << "[ e2e ] offset scan point " << k << ": " << lmx::Spectrum[k] << " (offline " << offline[k]
              << ", 2A/pi = " << expected << (silenced[k] ? ", with silence" : "") << ")\n";
  }
}

#ifdef _WIN32
// The wave-input API says nothing when a device stops delivering (a device
// pulled out, a sound server that is gone or held up): the back end notices it
// itself once its device has been silent for kSilenceLimitMs. (PortAudio
// cannot tell a held-up server from a quiet one; on Linux the wave-input
// operations' silence rule alone notices it.)
TEST_F(RealSoundServer, TheBackEndReportsADeviceThatStopsDelivering) {
  using Steady = std::chrono::steady_clock;
  const pid_t server = serverPid();
  ASSERT_GT(server, 0) << "with-sound-server.sh names the server's process";
  RealBackEnd& source = realBackEnd();
  std::string reason;
  ASSERT_TRUE(source.open(CaptureFormat, reason)) << reason;
  const auto started = Steady::now();
  while (source.delivered() < kSettleSamples && Steady::now() - started < std::chrono::milliseconds(kStartupWaitMs))
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  ASSERT_GE(source.delivered(), static_cast<uint64_t>(kSettleSamples));
  bool failed = false;
  double silentFor = 0;
  {
    const ThawAtTheEnd thaw{server};
    const auto frozen = Steady::now();
    ASSERT_TRUE(SignalServer(server, ServerSignal::Freeze));
    while (!(failed = source.failed(reason)) && Steady::now() - frozen < std::chrono::milliseconds(2 * kSilenceLimitMs))
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    silentFor = std::chrono::duration<double>(Steady::now() - frozen).count();
  }
  source.close();
  ASSERT_TRUE(failed) << "the back end did not report its silent device";
  EXPECT_EQ(reason, SilenceReason());
  // Not before the limit: the device's last buffer came at most a little before the freeze.
  EXPECT_GE(silentFor, kSilenceLimitMs / 1000.0 - 0.1);
  std::cout << "[ e2e ] frozen server: the back end reported \"" << reason << "\" after " << silentFor << " s\n";
}
#endif

// Ends the sound server in the middle of a scan; run alone and last, because
// the server does not come back.
using LostSoundServer = RealSoundServer;

TEST_F(LostSoundServer, ScanEndsWithTheLostInputErrorAndKeepsMeasuredPoints) {
  const pid_t server = serverPid();
  ASSERT_GT(server, 0) << "with-sound-server.sh names the server's process";
  ASSERT_NO_FATAL_FAILURE(play({"tone", "--frequency", "441", "--amplitude", "6000"}));
  lmx::weak = 10;
  std::chrono::steady_clock::time_point killed;
  host.onPass = [&](int pass) {
    if (pass == 2) {  // three points measured
      killed = std::chrono::steady_clock::now();
      if (!SignalServer(server, ServerSignal::Kill)) {
        host.stopped = true;  // rather than a whole scan against a server that lives on
        ADD_FAILURE() << "the sound server could not be killed";
      }
    }
  };
  RunScan(host);
  const double afterKill = std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count();
  expectDeviceWasTheSoundServer();
  EXPECT_TRUE(host.ended);
  EXPECT_EQ(host.status, " Stop");
  EXPECT_EQ(recorder.closes, 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, BoxKind::Error);
  EXPECT_TRUE(boxes[0].text.startsWith("The audio input was lost (")) << boxes[0].text.toStdString();
  EXPECT_TRUE(boxes[0].text.endsWith("The recording has been stopped; the points measured before stay."));
  // PortAudio reports the lost stream at once, and the scan ends in the point
  // it interrupts. The wave-input API reports nothing (under Wine as on
  // Windows, a lost device just stops delivering): the loss is noticed once no
  // sample has arrived for kSilenceLimitMs, by the back end or by the
  // wave-input operations, whichever looks first. A point that still got some
  // of the samples that were on their way is finished with them, as after any
  // short capture; one that got none is measured again and runs into the loss.
  const bool noticedBySilence = recorder.failureReason.empty() || recorder.failureReason == SilenceReason();
  const int afterTheKill = static_cast<int>(host.lines.size()) - 3;
  ASSERT_GE(afterTheKill, 0);
  ASSERT_LE(afterTheKill, noticedBySilence ? kSilenceLimitMs / (kCapturesPerPoint * kScanCaptureMs) : 0);
  if (noticedBySilence) {
    EXPECT_TRUE(boxes[0].text.contains(
        QString::fromStdString("(no samples arrived for " + std::to_string(kSilenceLimitMs / 1000) + " seconds)")))
        << boxes[0].text.toStdString();
  }
  const int points = 3 + afterTheKill;
  const std::vector<bool> silenced = expectCapturesAreRunsOf(recorder, tonePeriod(kToneAmplitude, 0), points);
  const std::vector<int32_t> offline = recomputeScan(recorder, points, lmx::zero, lmx::weak);
  const double expected = 2.0 * kToneAmplitude / kPi / lmx::weak;
  for (int k = 0; k < points; ++k) {
    EXPECT_EQ(host.lines[k], QString::number(lmx::Spectrum[k]));
    EXPECT_EQ(lmx::Spectrum[k], offline[k]) << "point " << k;
    if (k < 3 && !silenced[k]) {
      EXPECT_NEAR(lmx::Spectrum[k], expected, expected / 100) << "point " << k;
    }
  }
  EXPECT_EQ(lmx::Spectrum[points], 0);  // the interrupted point is not a measurement
  EXPECT_LT(afterKill, 10.0);
  std::cout << "[ e2e ] lost server: " << boxes[0].text.toStdString() << "\n[ e2e ] ended " << afterKill
            << " s after the kill, " << afterTheKill << " points finished after it ("
            << (afterTheKill ? std::to_string(lmx::Spectrum[3]) : std::string("none")) << "); back end reported: "
            << (recorder.failureReason.empty() ? "nothing (silence)" : recorder.failureReason) << "\n";

  // With the server gone, the next scan cannot open the input, and its box
  // gives the back end's reason. Under Wine that is the system's own text
  // (Wine 8 refuses the device with MMSYSERR_ERROR) in the language of the
  // run, French (with-sound-server.sh), whose texts are not ASCII: it must
  // reach the box as correct UTF-8, with no character lost on the way.
  boxes.clear();
  RunScan(host);
  ASSERT_EQ(boxes.size(), 1u);
  const QString opened = boxes[0].text;
  EXPECT_TRUE(opened.startsWith("The audio input could not be opened (") &&
              opened.endsWith("). The recording has not started."))
      << opened.toStdString();
  EXPECT_FALSE(opened.contains(QChar::ReplacementCharacter)) << opened.toStdString();
#ifdef _WIN32
  EXPECT_TRUE(opened.contains(" (" + QString::fromStdString(environment("LMX_E2E_DEVICE", "")) + "))."))
      << opened.toStdString();
  EXPECT_TRUE(std::any_of(opened.begin(), opened.end(), [](QChar c) { return c.unicode() > 127; }))
      << "the system's text is ASCII in this run: " << opened.toStdString();
#endif
  std::cout << "[ e2e ] a scan after the loss: " << boxes[0].text.toStdString() << "\n";
}
