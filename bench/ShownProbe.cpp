// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/ShownProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long ResidentKilobytes() {
  long kilobytes = -1;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::strncmp(line, "VmRSS:", 6) == 0) kilobytes = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
  }
  return kilobytes;
}

}  // namespace

ShownProbe::ShownProbe() { QCoreApplication::instance()->installEventFilter(this); }

bool ShownProbe::eventFilter(QObject* watched, QEvent* event) {
  if (!seen_ && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("ClientArea")) {
    seen_ = true;
    // Runs once the paint in progress has been flushed to the screen.
    QTimer::singleShot(0, this, [this] { report(); });
  }
  return false;
}

void ShownProbe::report() {
  const auto shown = std::chrono::steady_clock::now().time_since_epoch();
  const long long nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(shown).count();
  if (const char* path = std::getenv("LMX_STARTUP_REPORT")) {
    if (FILE* out = std::fopen(path, "w")) {
      std::fprintf(out, "%lld %ld\n", nanoseconds, ResidentKilobytes());
      std::fclose(out);
    }
  }
  QCoreApplication::quit();
}
