#include "xdriver.h"

#ifdef KRN_HAVE_XTEST
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace krntest {

Window Driver::Named(Window parent, const char* title) {
  Window root, up, *kids = nullptr, found = 0;
  unsigned int n = 0;
  if (!XQueryTree(d, parent, &root, &up, &kids, &n)) return 0;
  for (unsigned int i = 0; i < n && !found; i++) {
    char* name = nullptr;
    XWindowAttributes a;
    if (XFetchName(d, kids[i], &name) && name && strcmp(name, title) == 0 &&
        XGetWindowAttributes(d, kids[i], &a) && a.map_state == IsViewable)
      found = kids[i];
    if (name) XFree(name);
  }
  if (kids) XFree(kids);
  return found;
}

bool Driver::Until(const std::function<bool()>& pred) {
  for (int i = 0; i < 1000; i++) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void Driver::Click(Window w, int x, int y) {
  int rx, ry;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(d, 0, rx, ry, 0);
  XTestFakeButtonEvent(d, 1, True, 0);
  XTestFakeButtonEvent(d, 1, False, 0);
  XSync(d, False);
}

void Driver::Key(Window w, KeySym sym) {
  XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
  KeyCode code = XKeysymToKeycode(d, sym);
  XTestFakeKeyEvent(d, code, True, 0);
  XTestFakeKeyEvent(d, code, False, 0);
  XSync(d, False);
}

void Driver::Close() {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = target;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  XSendEvent(d, target, False, NoEventMask, &ev);
  XSync(d, False);
}

std::vector<unsigned long> Driver::Pixels(Window w, int x, int y, int width, int height) {
  std::vector<unsigned long> out;
  XImage* img = XGetImage(d, w, x, y, width, height, AllPlanes, ZPixmap);
  if (!img) return out;
  for (int j = 0; j < height; j++)
    for (int i = 0; i < width; i++) out.push_back(XGetPixel(img, i, j));
  XDestroyImage(img);
  return out;
}

int DriveModal(const char* title, const std::function<int(Driver&)>& script,
               const std::function<int()>& run, int* scriptStatus) {
  XSync(Dpy(), False);
  pid_t pid = fork();
  if (pid == 0) {
    // The child never touches the parent's connection: it opens its own.
    Driver drv;
    drv.d = XOpenDisplay(DisplayName().c_str());
    bool found = drv.d && drv.Until([&] {
      return (drv.target = drv.Named(DefaultRootWindow(drv.d), title)) != 0;
    });
    _exit(found ? script(drv) : 99);
  }
  alarm(60);
  int result = run();
  alarm(0);
  int status = 0;
  waitpid(pid, &status, 0);
  if (scriptStatus) *scriptStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace krntest
#endif
