// SPDX-License-Identifier: GPL-3.0-or-later
// lmx-signal: writes a synthetic detector signal to standard output as raw
// 16-bit little-endian mono samples at 44100 Hz, for example into a sound
// server with
//
//   lmx-signal lamp | pacat --raw --format=s16le --rate=44100 --channels=1
//
// See DemoSignal.h for the two signals.
#include <cerrno>
#include <cmath>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include "DemoSignal.h"

namespace {

const char kUsage[] =
    "usage: lmx-signal tone|lamp [options]\n"
    "Writes raw s16le mono 44100 Hz samples to standard output until killed.\n"
    "\n"
    "  --lead-in SECONDS      silence (tone) or dark noise (lamp) first;\n"
    "                         default 0 for tone, 3 for lamp\n"
    "  --seconds SECONDS      end after this long in all\n"
    "  --paced                write in real time (for readers that do not pace)\n"
    "tone: a pure sine\n"
    "  --frequency HZ         default 441\n"
    "  --amplitude A          peak, sample units; default 6000\n"
    "  --offset LEVEL         constant added, sample units; default 0\n"
    "lamp: a chopped mercury lamp seen through a sweeping spectrometer\n"
    "  --sweep-seconds S      duration of the sweep; default 1050 (a whole scan)\n"
    "  --start ANGSTROM       default 1000\n"
    "  --finish ANGSTROM      default 5000\n"
    "  --hold ANGSTROM        no sweep: stay at this wavelength\n"
    "  --line-width ANGSTROM  sigma of the lines (the slit); default 12\n"
    "  --chopper HZ           default 270\n"
    "  --noise RMS            default 3\n"
    "  --seed N               default 1\n";

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "lmx-signal: %s\n\n%s", message.c_str(), kUsage);
  std::exit(2);
}

// The value after option argv[i]; negative values only where `negative` allows.
double value(int& i, int argc, char** argv, bool negative = false) {
  if (i + 1 >= argc) usageError(std::string(argv[i]) + " needs a value");
  const char* text = argv[++i];
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !std::isfinite(v) || (!negative && v < 0.0))
    usageError(std::string("not a number") + (negative ? "" : " >= 0") + ": " + text);
  return v;
}

uint64_t seedValue(int& i, int argc, char** argv) {
  if (i + 1 >= argc) usageError(std::string(argv[i]) + " needs a value");
  const char* text = argv[++i];
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || *text == '-') usageError(std::string("not a seed: ") + text);
  return v;
}

// Writes all of `bytes`; false when the reader has gone.
bool writeAll(const unsigned char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) usageError("tone or lamp?");
  const std::string kind = argv[1];
  if (kind == "--help" || kind == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (kind != "tone" && kind != "lamp") usageError("unknown signal: " + kind);

  demo::ToneOptions tone;
  demo::LampOptions lamp;
  double leadIn = kind == "lamp" ? 3.0 : 0.0;
  double seconds = -1.0;
  bool paced = false;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--lead-in") leadIn = value(i, argc, argv);
    else if (option == "--seconds") seconds = value(i, argc, argv);
    else if (option == "--paced") paced = true;
    else if (kind == "tone" && option == "--frequency") tone.frequency = value(i, argc, argv);
    else if (kind == "tone" && option == "--amplitude") tone.amplitude = value(i, argc, argv);
    else if (kind == "tone" && option == "--offset") tone.offset = value(i, argc, argv, true);
    else if (kind == "lamp" && option == "--sweep-seconds") lamp.sweepSeconds = value(i, argc, argv);
    else if (kind == "lamp" && option == "--start") lamp.startAngstrom = value(i, argc, argv);
    else if (kind == "lamp" && option == "--finish") lamp.finishAngstrom = value(i, argc, argv);
    else if (kind == "lamp" && option == "--hold") lamp.holdAngstrom = value(i, argc, argv);
    else if (kind == "lamp" && option == "--line-width") lamp.lineWidthAngstrom = value(i, argc, argv);
    else if (kind == "lamp" && option == "--chopper") lamp.chopperHz = value(i, argc, argv);
    else if (kind == "lamp" && option == "--noise") lamp.noise = value(i, argc, argv);
    else if (kind == "lamp" && option == "--seed") lamp.seed = seedValue(i, argc, argv);
    else usageError("unknown option for " + kind + ": " + option);
  }

  std::unique_ptr<demo::Generator> generator;
  if (kind == "tone")
    generator = std::make_unique<demo::ToneGenerator>(tone, leadIn);
  else
    generator = std::make_unique<demo::LampGenerator>(lamp, leadIn);

  // A reader that goes away (pacat ended) ends us quietly through EPIPE.
  std::signal(SIGPIPE, SIG_IGN);

  constexpr size_t kBlock = 441;  // 10 ms
  const double limit = seconds * demo::kRate + 0.5;
  const uint64_t total = seconds >= 0 && limit < 1e18 ? static_cast<uint64_t>(limit) : UINT64_MAX;
  int16_t samples[kBlock];
  unsigned char bytes[2 * kBlock];
  const auto begin = std::chrono::steady_clock::now();
  for (uint64_t written = 0; written < total;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, total - written));
    generator->next(samples, n);
    for (size_t i = 0; i < n; ++i) {
      const auto u = static_cast<uint16_t>(samples[i]);
      bytes[2 * i] = static_cast<unsigned char>(u & 0xFF);  // little-endian on every host
      bytes[2 * i + 1] = static_cast<unsigned char>(u >> 8);
    }
    if (paced)
      std::this_thread::sleep_until(begin + std::chrono::microseconds(written * 1000000 / demo::kRate));
    if (!writeAll(bytes, 2 * n)) return 0;
    written += n;
  }
  return 0;
}
