// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the JSON output of the benchmark programs into the table of figures
// against their goals (Markdown), as scripts/bench.sh prints it. A file given
// as PREFIX:FILE has its benchmark names prefixed with "PREFIX/".
//
//   lmx_bench_report quick.json scale2:quick-scale2.json startup.json startup-x.json cpu.json realtime.json
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace {

QHash<QString, QJsonObject> results;

void Load(const QString& argument) {
  const qsizetype colon = argument.indexOf(QLatin1Char(':'));
  const QString prefix = colon > 0 ? argument.left(colon) + QLatin1Char('/') : QString();
  QFile file(colon > 0 ? argument.mid(colon + 1) : argument);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QJsonArray list = QJsonDocument::fromJson(file.readAll()).object().value("benchmarks").toArray();
  for (const QJsonValue& entry : list) {
    const QJsonObject object = entry.toObject();
    QString name = object.value("name").toString();
    name = name.left(name.indexOf(QLatin1String("/min_time")));
    name = name.left(name.indexOf(QLatin1String("/iterations")));
    name = name.left(name.indexOf(QLatin1String("/manual_time")));
    results.insert(prefix + name, object);
  }
}

bool Has(const QString& name) {
  return results.contains(name) && !results.value(name).value("error_occurred").toBool();
}

// A counter or time of a result; NaN when the benchmark did not run.
double Value(const QString& name, const QString& field) {
  if (!Has(name)) return std::nan("");
  const QJsonValue value = results.value(name).value(field);
  return value.isDouble() ? value.toDouble() : std::nan("");
}

// Wall time per iteration in microseconds.
double Micros(const QString& name) {
  const double time = Value(name, "real_time");
  const QString unit = results.value(name).value("time_unit").toString();
  if (unit == "ns") return time / 1000;
  if (unit == "ms") return time * 1000;
  if (unit == "s") return time * 1e6;
  return time;
}

QString Number(double value, int decimals) {
  return std::isnan(value) ? QStringLiteral("n/a") : QString::number(value, 'f', decimals);
}

QString Mark(bool known, bool met) { return !known ? QStringLiteral("not run") : met ? QStringLiteral("yes") : QStringLiteral("**no**"); }

QTextStream out(stdout);

void Row(const QString& figure, const QString& measured, const QString& goal, const QString& met) {
  out << "| " << figure << " | " << measured << " | " << goal << " | " << met << " |\n";
}

void Info(const QString& figure, const QString& measured) { Row(figure, measured, QString(), QString()); }

void Error(const QString& name) {
  if (results.contains(name) && results.value(name).value("error_occurred").toBool())
    Info(QStringLiteral("&nbsp;&nbsp;(%1 not run: %2)").arg(name, results.value(name).value("error_message").toString()),
         QString());
}

void Goal(const QString& figure, double value, double limit, const QString& unit, int decimals) {
  const QString suffix = unit.isEmpty() ? QString() : " " + unit;
  Row(figure, Number(value, decimals) + suffix, "≤ " + Number(limit, decimals) + suffix,
      Mark(!std::isnan(value), value <= limit));
}

void CodecRow(const QString& figure, const QString& ours, const QString& qt) {
  const double a = Micros(ours), b = Micros(qt);
  const double ratio = b / a;
  Row(figure, QStringLiteral("%1 µs vs %2 µs: Qt / ours = %3").arg(Number(a, 0), Number(b, 0), Number(ratio, 2)),
      QStringLiteral("> 1"), Mark(!std::isnan(ratio), ratio > 1));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  for (int i = 1; i < argc; ++i) Load(QString::fromLocal8Bit(argv[i]));

  out << "| Figure | Measured | Goal | Met |\n|---|---|---|---|\n";

  out << "| **Monitor frame** (800 × 566, offscreen; at scale 1 / at `QT_SCALE_FACTOR=2`) | | | |\n";
  Goal("One frame's own work: capture call, `Clean`, scaling 760 samples, 750-segment trace on both surfaces, "
       "message pass that paints the changed part of the drawing area (RunMonitor via Start), at scale 1",
       Value("BM_MonitorFrame", "frame") * 1e6, 400, "µs", 1);
  Goal("&nbsp;&nbsp;the same at scale 2", Value("scale2/BM_MonitorFrame", "frame") * 1e6, 400, "µs", 1);
  auto parts = [](const QString& figure, const char* counter) {
    Info(figure, Number(Value("BM_MonitorFrameParts", counter), 1) + " / " +
                     Number(Value("scale2/BM_MonitorFrameParts", counter), 1) + " µs");
  };
  parts("&nbsp;&nbsp;capture call (`WaveInCycle`, pause excluded)", "capture_us");
  parts("&nbsp;&nbsp;`Clean` of both surfaces", "clean_us");
  parts("&nbsp;&nbsp;scaling 760 samples", "scale_us");
  parts("&nbsp;&nbsp;trace, 750 segments on both surfaces", "trace_us");
  parts("&nbsp;&nbsp;message pass: `ClientArea::paintEvent` of the changed part, flush", "messages_us");
  Info("&nbsp;&nbsp;paints of the client area per frame",
       Number(Value("BM_MonitorFrame", "paints_per_frame"), 2) + " / " +
           Number(Value("scale2/BM_MonitorFrame", "paints_per_frame"), 2));
  Goal("Heap allocations of the program's own drawing (capture, `Clean`, scaling, trace), most in one frame",
       Value("BM_MonitorFrameParts", "draw_allocs_max"), 0, "", 0);

  out << "| **Scan point** | | | |\n";
  Goal("One point's own work with the data list window open: 20 capture calls with the arithmetic over 20 × 150 "
       "samples, data-list line, curve segment on both surfaces, message pass (RunScan via Start)",
       Value("BM_ScanPoint/1", "point") * 1e6, 100, "µs", 1);
  Info("&nbsp;&nbsp;the same with the data list window hidden", Number(Value("BM_ScanPoint/0", "point") * 1e6, 1) + " µs");
  Info("&nbsp;&nbsp;20 capture calls with the arithmetic", Number(Value("BM_ScanPointParts", "capture_arith_us"), 1) + " µs");
  Info("&nbsp;&nbsp;data-list line (`QPlainTextEdit::appendPlainText`, list hidden)",
       Number(Value("BM_ScanPointParts", "dataline_us"), 1) + " µs");
  Info("&nbsp;&nbsp;curve segment on both surfaces", Number(Value("BM_ScanPointParts", "curve_us"), 2) + " µs");
  Info("&nbsp;&nbsp;message pass (paints the segment)", Number(Value("BM_ScanPointParts", "messages_us"), 1) + " µs");
  Goal("Heap allocations of the program's own work (captures, arithmetic, curve segment), most in one point",
       Value("BM_ScanPointParts", "own_allocs_max"), 0, "", 0);

  out << "| **Bitmap, 800 × 566 Plot image, ours vs Qt's BMP codec** | | | |\n";
  CodecRow("Write in memory: `EncodeBitmap` vs `QImage::save(QBuffer, \"BMP\")`", "BM_Encode_Ours", "BM_Encode_Qt");
  CodecRow("Read in memory: `DecodeBitmap` vs `QImage::loadFromData(…, \"BMP\")`", "BM_Decode_Ours", "BM_Decode_Qt");
  CodecRow("Read a file: `ReadBitmapFile` vs `QImage::load(path, \"BMP\")`", "BM_ReadFile_Ours", "BM_ReadFile_Qt");
  // Against a save as safe as ours; Qt's plain save skips the flush the disk takes most of the time for.
  CodecRow("Write a file: `WriteBitmapFile` vs Qt's codec through `QSaveFile` (both: temporary file, fsync, "
           "rename)",
           "BM_WriteFile_Ours", "BM_WriteFile_QtSaveFile");
  Info("&nbsp;&nbsp;Qt's plain `QImage::save(path, \"BMP\")`, without fsync",
       Number(Micros("BM_WriteFile_Qt"), 0) + " µs");
  Info("&nbsp;&nbsp;the disk's share: the same bytes written, fsynced and renamed, no encoding",
       Number(Micros("BM_WriteFile_FlushFloor"), 0) + " µs");
  Info("&nbsp;&nbsp;CPU time of the file write, ours / Qt plain / Qt with QSaveFile",
       QStringLiteral("%1 / %2 / %3 µs")
           .arg(Number(Value("BM_WriteFile_Ours", "cpu_time"), 0), Number(Value("BM_WriteFile_Qt", "cpu_time"), 0),
                Number(Value("BM_WriteFile_QtSaveFile", "cpu_time"), 0)));

  out << "| **Pause and pace** | | | |\n";
  for (const char* ms : {"40", "70", "100"}) {
    const QString name = QStringLiteral("BM_Pause/%1").arg(QLatin1String(ms));
    Info(QStringLiteral("`SystemClock::pause(%1)` overshoot, mean / max (50 pauses)").arg(QLatin1String(ms)),
         Number(Value(name, "overshoot_mean_us"), 0) + " / " + Number(Value(name, "overshoot_max_us"), 0) + " µs");
  }
  for (const char* ms : {"40", "70"}) {
    const QString name = QStringLiteral("BM_PacedPause/%1").arg(QLatin1String(ms));
    Info(QStringLiteral("Paced pause of %1 ms after 0.5 ms of work: end behind the rhythm, mean / max (50 pauses)")
             .arg(QLatin1String(ms)),
         Number(Value(name, "late_mean_us"), 0) + " / " + Number(Value(name, "late_max_us"), 0) + " µs");
  }
  Goal("50 scan points in real time (test double input, real pause, real window): wall time / (50 × 1.4 s)",
       Value("BM_RealTimeScan", "ratio"), 1.0001, "", 5);
  Info("&nbsp;&nbsp;wall time of the 50 points (points done)",
       Number(Value("BM_RealTimeScan", "wall_s"), 3) + " s (" + Number(Value("BM_RealTimeScan", "points"), 0) + ")");
  Error("BM_RealTimeScan");

  out << "| **Start-up** (offscreen, \"zero\" stored, 10 fresh processes each) | | | |\n";
  Goal("In-process harness (`CreateForms()`, `show()` as in app/main.cpp, wave input double): spawn to the first "
       "flushed paint, slowest of 10",
       Value("BM_StartUp_InProcess", "max_ms"), 300, "ms", 1);
  Info("&nbsp;&nbsp;mean", Number(Value("BM_StartUp_InProcess", "mean_ms"), 1) + " ms");
  Goal("&nbsp;&nbsp;resident memory (VmRSS) when shown, max", Value("BM_StartUp_InProcess", "rss_max_MB"), 60, "MB", 1);
  Goal("Real program (build's app/lmx, PortAudio on a private PulseAudio server): spawn to the first flushed "
       "paint, slowest of 10",
       Value("BM_StartUp_Program", "max_ms"), 300, "ms", 1);
  Info("&nbsp;&nbsp;mean", Number(Value("BM_StartUp_Program", "mean_ms"), 1) + " ms");
  Goal("&nbsp;&nbsp;resident memory (VmRSS) when shown, max", Value("BM_StartUp_Program", "rss_max_MB"), 60, "MB", 1);
  Error("BM_StartUp_Program");

  out << "| **Start-up as a user sees it** (virtual X display with openbox, \"zero\" stored, private PulseAudio; "
         "spawn to the main window viewable, 10 starts each after a warm-up) | | | |\n";
  auto startUp = [](const QString& name) {
    return Number(Value(name, "median_ms"), 0) + " / " + Number(Value(name, "max_ms"), 0) + " ms";
  };
  Info("Bare Qt main window of the main window's size with a menu bar, a tool bar and a status bar "
       "(bench/BareWindow.cpp): median / slowest",
       startUp("StartUpX_bare"));
  Info("lmx (build's app/lmx): median / slowest", startUp("StartUpX_lmx"));
  Goal("&nbsp;&nbsp;lmx's median / the bare window's median",
       Value("StartUpX_lmx", "median_ms") / Value("StartUpX_bare", "median_ms"), 1.3, "", 2);
  Error("StartUpX_lmx");

  out << "| **CPU while the monitor runs** (virtual X display, private PulseAudio, 270 Hz sine of amplitude 6000, lmx "
         "at attenuation 40; shares of one core over 10 s) | | | |\n";
  const double lmxProgram = Value("CPU_lmx", "program"), lmxServer = Value("CPU_lmx", "server");
  const double oscProgram = Value("CPU_xoscope", "program"), oscServer = Value("CPU_xoscope", "server");
  const double lmxTotal = lmxProgram + lmxServer, oscTotal = oscProgram + oscServer;
  auto shares = [](double program, double server) {
    return QStringLiteral("%1 % + %2 % = %3 %")
        .arg(Number(program, 1), Number(server, 1), Number(program + server, 1));
  };
  Row("lmx (build's app/lmx, started by a click on Start): program with all its threads + sound server",
      shares(lmxProgram, lmxServer), "< xoscope's " + Number(oscTotal, 1) + " %",
      Mark(!std::isnan(lmxTotal) && !std::isnan(oscTotal), lmxTotal < oscTotal));
  Info("xoscope (Debian's oscilloscope, its defaults, ALSA device \"pulse\"): program + sound server",
       shares(oscProgram, oscServer));
  Info("&nbsp;&nbsp;the X server meanwhile, not counted above (lmx / xoscope)",
       Number(Value("CPU_lmx", "xserver"), 1) + " % / " + Number(Value("CPU_xoscope", "xserver"), 1) + " %");
  Error("CPU_lmx");
  Error("CPU_xoscope");

  out << "\nNotes\n\n";
  out << "- Allocations are counted for the program's own steps only; Qt's paint path and the data list's text "
         "edit allocate on every frame and point.\n";
  out << "- At `QT_SCALE_FACTOR=2` the client area doubles the changed part itself before handing it to Qt: Qt "
         "copies a picture of the screen's resolution as it stands but scales any other pixel by pixel, several "
         "times slower.\n";
  out << QStringLiteral(
             "- File writes are bound by the disk and vary from run to run: our save waits for the file's flush "
             "that Qt's plain `QImage::save` does not make, and the disk's share alone is %1 µs of our %2 µs "
             "here. Its CPU time (%3 µs) is below Qt's (%4 µs). The flush makes a saved spectrum survive a power "
             "loss and is kept.\n")
             .arg(Number(Micros("BM_WriteFile_FlushFloor"), 0), Number(Micros("BM_WriteFile_Ours"), 0),
                  Number(Value("BM_WriteFile_Ours", "cpu_time"), 0), Number(Value("BM_WriteFile_Qt", "cpu_time"), 0));
  out << "- The monitor's trace input is a detector-like signal (50 Hz hum of 60 units and noise of ±16 units at "
         "attenuation 1), about 11 pixels per segment; the trace's cost grows with the pixels drawn.\n";
  return 0;
}
