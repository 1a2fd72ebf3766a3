// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as a user sees it on an X display: the time from the spawn of a
// command to its top-level window being viewable (mapped, and its window
// manager's frame with it).
//
//   lmx_viewable_timer TITLE RUNS COMMAND [ARGUMENT...]
//
// Starts COMMAND RUNS + 1 times, one after another, and prints the
// milliseconds of each run but the first (which warms the caches) on a line
// of its own. A run ends what it started (SIGTERM to the process group it
// starts COMMAND in: under Wine the program is a child of the process that
// `wine` becomes) once a window titled TITLE is viewable, and waits for
// COMMAND to end and for the window to go. The window is
// looked for among the clients the window manager lists (_NET_CLIENT_LIST),
// so the display needs an EWMH window manager (openbox). Exits non-zero when
// a window does not come within 60 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Steady = std::chrono::steady_clock;

std::string Title(Display* display, Window window) {
  static const Atom utf8Name = XInternAtom(display, "_NET_WM_NAME", False);
  static const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, utf8Name, 0, 256, False, utf8String, &type, &format, &count, &after,
                         &data) == Success && data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  } else if (char* name = nullptr; XFetchName(display, window, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

// Whether a window titled `title` is among the managed clients, and viewable.
enum class Seen { Absent, Listed, Viewable };
Seen Look(Display* display, const std::string& title) {
  static const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  Seen seen = Seen::Absent;
  if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 1024, False, XA_WINDOW, &type, &format,
                         &count, &after, &data) != Success || !data)
    return seen;
  const auto* windows = reinterpret_cast<const Window*>(data);
  for (unsigned long i = 0; i < count && seen != Seen::Viewable; ++i) {
    if (Title(display, windows[i]) != title) continue;
    XWindowAttributes attributes;
    seen = XGetWindowAttributes(display, windows[i], &attributes) && attributes.map_state == IsViewable
               ? Seen::Viewable
               : Seen::Listed;
  }
  XFree(data);
  return seen;
}

// Waits until `done` holds, looking every millisecond; false after `limit`.
template <typename Condition>
bool WaitFor(Condition done, std::chrono::seconds limit) {
  const Steady::time_point end = Steady::now() + limit;
  while (!done()) {
    if (Steady::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A window of the list may be gone before it is asked about: not an error here.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s TITLE RUNS COMMAND [ARGUMENT...]\n", argv[0]);
    return 2;
  }
  const std::string title = argv[1];
  const int runs = std::atoi(argv[2]);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "%s: no X display\n", argv[0]);
    return 1;
  }
  XSetErrorHandler(IgnoreError);
  for (int run = 0; run <= runs; ++run) {
    const Steady::time_point start = Steady::now();
    pid_t child = -1;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);  // a group of its own, led by the child
    const int spawned = posix_spawnp(&child, argv[3], nullptr, &attributes, argv + 3, environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
      std::fprintf(stderr, "%s: cannot start %s\n", argv[0], argv[3]);
      return 1;
    }
    const bool shown = WaitFor([&] { return Look(display, title) == Seen::Viewable; }, std::chrono::seconds(60));
    const double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
    kill(-child, SIGTERM);
    waitpid(child, nullptr, 0);
    if (!shown) {
      std::fprintf(stderr, "%s: no window \"%s\" from %s within 60 s\n", argv[0], title.c_str(), argv[3]);
      return 1;
    }
    WaitFor([&] { return Look(display, title) == Seen::Absent; }, std::chrono::seconds(10));
    if (run > 0) std::printf("%.0f\n", ms);
    std::fflush(stdout);
  }
  XCloseDisplay(display);
  return 0;
}
