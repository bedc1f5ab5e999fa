#include "xwm.h"

namespace krntest {

namespace {

bool g_refused = false;
int NoteRefusal(Display*, XErrorEvent* e) {
  if (e->error_code == BadAccess) g_refused = true;
  return 0;
}

}  // namespace

bool WindowManagerRuns(Display* d) {
  g_refused = false;
  XSync(d, False);
  XErrorHandler old = XSetErrorHandler(NoteRefusal);
  Window root = DefaultRootWindow(d);
  XSelectInput(d, root, SubstructureRedirectMask);
  XSync(d, False);
  if (!g_refused) XSelectInput(d, root, NoEventMask);  // it was ours: give it back
  XSync(d, False);
  XSetErrorHandler(old);
  return g_refused;
}

WindowManager::WindowManager(const std::string& name) {
  std::vector<std::string> args;
  if (name == "openbox") args = {"--sm-disable"};
  process_.reset(new Process(dir_.path(), "/usr/bin/" + name, args));
  Display* d = XOpenDisplay(DisplayName().c_str());
  if (!d) return;
  running_ = WaitFor([&] { return process_->ExitStatus(0) == -2 && WindowManagerRuns(d); }, 20000);
  XCloseDisplay(d);
}

}  // namespace krntest
