// The whole memo pad measured as a user feels it: the helper of
// bench/quelmo-keys.sh.  `bench_quelmo --text FILE` writes the 1.9 MB
// benchmark text; `bench_quelmo --pid PID --where top|middle|end` finds the
// running quelmo's windows on $DISPLAY, puts the caret at the top, in the
// middle (thumb dragged half-way, then a click in the text) or at the end
// (End), types keys through XTEST and prints one line: the process's CPU
// time per key (from /proc, nanoseconds from schedstat), the median and
// 90th percentile of the time from each key press to the first change of
// the editor's pixels (XDamage), and the process's peak resident memory.
// Each key waits for the pixels of the one before and for a random part of
// the event loop's turn, so keys arrive at any moment of it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_text.h"

namespace {

using benchtext::Now;
using benchtext::WaitDamage;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// CPU time the process has used, in seconds: schedstat's nanoseconds when
// the kernel keeps them, else utime + stime in clock ticks.
double CpuSeconds(int pid) {
  std::string sched = ReadFile("/proc/" + std::to_string(pid) + "/schedstat");
  double ns = 0;
  if (sscanf(sched.c_str(), "%lf", &ns) == 1 && ns > 0) return ns * 1e-9;
  std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(stat.substr(close + 2));
  std::string f;
  unsigned long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> f; i++) {
    if (i == 14) utime = strtoul(f.c_str(), nullptr, 10);
    if (i == 15) stime = strtoul(f.c_str(), nullptr, 10);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Peak resident memory in MB (VmHWM).
double PeakMegabytes(int pid) {
  std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("VmHWM:");
  return at == std::string::npos ? 0 : atof(status.c_str() + at + 6) / 1024.0;
}

// The first window below parent whose title is name, at any depth.
Window FindNamed(Display* dpy, Window parent, const char* name) {
  Window root, up, *kids = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(dpy, parent, &root, &up, &kids, &n)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < n && !found; i++) {
    char* title = nullptr;
    if (XFetchName(dpy, kids[i], &title) && title) {
      if (strcmp(title, name) == 0) found = kids[i];
      XFree(title);
    }
    if (!found) found = FindNamed(dpy, kids[i], name);
  }
  if (kids) XFree(kids);
  return found;
}

Window WaitNamed(Display* dpy, const char* name, double seconds) {
  double end = Now() + seconds;
  for (;;) {
    Window w = FindNamed(dpy, DefaultRootWindow(dpy), name);
    XWindowAttributes a{};
    if (w && XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable) return w;
    if (Now() > end) return 0;
    usleep(20000);
  }
}

struct Pixels {
  Display* dpy;
  Damage damage;
  int event;
  // Waits until the window has been still for `quiet` seconds.
  void Settle(double quiet) {
    while (WaitDamage(dpy, event, quiet)) XDamageSubtract(dpy, damage, None, None);
  }
};

void Key(Display* dpy, KeySym sym) {
  KeyCode code = XKeysymToKeycode(dpy, sym);
  XTestFakeKeyEvent(dpy, code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, False, CurrentTime);
  XFlush(dpy);
}

// The pointer to (x, y) of w; one press or release of the first button.
void Pointer(Display* dpy, Window w, int x, int y) {
  Window child;
  int rx = 0, ry = 0;
  XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(dpy, -1, rx, ry, CurrentTime);
  XFlush(dpy);
  usleep(60000);
}
void Button(Display* dpy, bool down) {
  XTestFakeButtonEvent(dpy, 1, down, CurrentTime);
  XFlush(dpy);
  usleep(60000);
}

// Drags the scroll bar's thumb from the top to half-way down, then clicks
// the middle of the text: the caret lands in the middle of the file.
void CaretToMiddle(Display* dpy, Window editor, Window scroll) {
  XWindowAttributes s{}, e{};
  XGetWindowAttributes(dpy, scroll, &s);
  XGetWindowAttributes(dpy, editor, &e);
  Pointer(dpy, scroll, s.width / 2, 17 + 4);  // on the thumb at position 0
  Button(dpy, true);
  for (int k = 1; k <= 4; k++)
    Pointer(dpy, scroll, s.width / 2, 17 + 4 + (s.height / 2 - 21) * k / 4);
  Button(dpy, false);
  Pointer(dpy, editor, 40, e.height / 2);
  Button(dpy, true);
  Button(dpy, false);
}

int Measure(int pid, const std::string& where, int keys, const char* before, const char* after,
            double timeout) {
  Display* dpy = XOpenDisplay(nullptr);
  int damageEvent = 0, damageError = 0, a, b, c, d;
  if (!dpy || !XDamageQueryExtension(dpy, &damageEvent, &damageError) ||
      !XTestQueryExtension(dpy, &a, &b, &c, &d)) {
    fprintf(stderr, "bench_quelmo: no display, XDamage or XTEST\n");
    return 1;
  }
  Window editor = WaitNamed(dpy, "krnInputMltWnd_InputBox", 60);
  Window scroll = WaitNamed(dpy, "krnScroll_InputBox", 60);
  if (!editor || !scroll) {
    fprintf(stderr, "bench_quelmo: quelmo's editor did not appear\n");
    return 1;
  }
  Pixels px{dpy, XDamageCreate(dpy, editor, XDamageReportNonEmpty), damageEvent};
  px.Settle(timeout / 4);
  double peak = PeakMegabytes(pid);
  XSetInputFocus(dpy, editor, RevertToParent, CurrentTime);
  if (where == "end") Key(dpy, XK_End);
  if (where == "middle") CaretToMiddle(dpy, editor, scroll);
  px.Settle(timeout / 4);
  if (before && *before && system(before) != 0)
    fprintf(stderr, "bench_quelmo: %s failed\n", before);
  benchtext::Lcg r;
  KeyCode key = XKeysymToKeycode(dpy, XK_x);
  std::vector<double> ms;
  double cpu0 = CpuSeconds(pid), wall0 = Now();
  for (int i = 0; i < keys; i++) {
    usleep(static_cast<useconds_t>(r.Next(35000)));  // any moment of the loop's turn
    XDamageSubtract(dpy, px.damage, None, None);
    XSync(dpy, False);
    double t0 = Now();
    XTestFakeKeyEvent(dpy, key, True, CurrentTime);
    XFlush(dpy);
    if (WaitDamage(dpy, damageEvent, timeout)) ms.push_back((Now() - t0) * 1e3);
    XTestFakeKeyEvent(dpy, key, False, CurrentTime);
    XFlush(dpy);
    px.Settle(0.005);
  }
  px.Settle(0.1);
  double cpu = CpuSeconds(pid) - cpu0, wall = Now() - wall0;
  if (after && *after && system(after) != 0) fprintf(stderr, "bench_quelmo: %s failed\n", after);
  std::sort(ms.begin(), ms.end());
  double median = ms.empty() ? 0 : ms[ms.size() / 2], p90 = ms.empty() ? 0 : ms[ms.size() * 9 / 10];
  printf(
      "%s cpu_ms_per_key %.4f key_to_pixels_median_ms %.3f p90_ms %.3f seen %zu/%d "
      "cpu_share %.3f peak_MB %.1f\n",
      where.c_str(), cpu * 1e3 / keys, median, p90, ms.size(), keys, cpu / wall, peak);
  XDamageDestroy(dpy, px.damage);
  XCloseDisplay(dpy);
  return ms.size() == static_cast<size_t>(keys) ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string text, where = "top";
  int pid = 0, keys = 300;
  double timeout = 2.0;
  const char *before = nullptr, *after = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string opt = argv[i];
    if (opt == "--text") text = argv[i + 1];
    if (opt == "--pid") pid = atoi(argv[i + 1]);
    if (opt == "--where") where = argv[i + 1];
    if (opt == "--keys") keys = atoi(argv[i + 1]);
    if (opt == "--timeout") timeout = atof(argv[i + 1]);
    if (opt == "--before") before = argv[i + 1];
    if (opt == "--after") after = argv[i + 1];
  }
  if (!text.empty()) {
    int middle = 0;
    std::string bytes = benchtext::MakeText(&middle);
    std::ofstream out(text, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
  }
  if (pid <= 0 || keys <= 0) {
    fprintf(stderr,
            "usage: bench_quelmo --text FILE\n"
            "       bench_quelmo --pid PID [--where top|middle|end] [--keys N] [--timeout S]\n"
            "                    [--before CMD] [--after CMD]\n");
    return 1;
  }
  return Measure(pid, where, keys, before, after, timeout);
}
