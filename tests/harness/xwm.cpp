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
  if (name == "twm") {
    // twm asks the user to place every new window unless told otherwise.
    WriteFile(dir_.file("twmrc"), "RandomPlacement\nUsePPosition \"on\"\nNoGrabServer\n");
    args = {"-f", dir_.file("twmrc")};
  }
  Display* d = XOpenDisplay(DisplayName().c_str());
  if (!d) return;
  WaitFor([&] { return !WindowManagerRuns(d); }, 10000);  // the last test's is gone
  process_.reset(new Process(dir_.path(), "/usr/bin/" + name, args));
  running_ = WaitFor([&] { return process_->ExitStatus(0) == -2 && WindowManagerRuns(d); }, 20000);
  XCloseDisplay(d);
}

WindowManager::~WindowManager() {
  process_.reset();
  Display* d = XOpenDisplay(DisplayName().c_str());
  if (!d) return;
  WaitFor([&] { return !WindowManagerRuns(d); }, 10000);
  XCloseDisplay(d);
}

}  // namespace krntest
