#include "xwm.h"

namespace krntest {

namespace {

// True once a window manager has put a frame round a probe window of ours:
// it then manages windows, which taking the screen comes some time before.
bool ManagesWindows(Display* d) {
  Window probe = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
  XMapWindow(d, probe);
  bool framed = WaitFor(
      [&] {
        Window root = 0, parent = 0, *kids = nullptr;
        unsigned int n = 0;
        XSync(d, False);
        if (!XQueryTree(d, probe, &root, &parent, &kids, &n)) return false;
        if (kids) XFree(kids);
        return parent != root;
      },
      500);
  XDestroyWindow(d, probe);
  XSync(d, False);
  return framed;
}

}  // namespace

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
  process_.reset(new Process(dir_.path(), "/usr/bin/" + name, args));
  running_ = WaitFor([&] { return process_->ExitStatus(0) == -2 && ManagesWindows(d); }, 30000);
  XCloseDisplay(d);
}

WindowManager::~WindowManager() {
  process_.reset();
}

}  // namespace krntest
