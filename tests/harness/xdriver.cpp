#include "xdriver.h"

#include <sys/wait.h>
#include <unistd.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <thread>

namespace krntest {

Window Driver::Find(Window parent, const std::function<bool(const std::string&)>& match) {
  Window root, up, *kids = nullptr, found = 0;
  unsigned int n = 0;
  if (!XQueryTree(d, parent, &root, &up, &kids, &n)) return 0;
  for (unsigned int i = 0; i < n && !found; i++) {
    char* title = nullptr;
    XWindowAttributes a;
    if (XFetchName(d, kids[i], &title) && title && match(title) &&
        XGetWindowAttributes(d, kids[i], &a) && a.map_state == IsViewable)
      found = kids[i];
    if (title) XFree(title);
    if (!found) found = Find(kids[i], match);
  }
  if (kids) XFree(kids);
  return found;
}

Window Driver::Wait(Window parent, const std::function<bool(const std::string&)>& match) {
  for (int i = 0; i < 1000; i++) {
    if (Window w = Find(parent, match)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

Window Driver::Titled(const std::string& title) {
  return Child(DefaultRootWindow(d), title);
}

Window Driver::Child(Window parent, const std::string& title) {
  return parent ? Wait(parent, [&](const std::string& t) { return t == title; }) : 0;
}

#ifdef KRN_HAVE_XTEST
void Driver::Click(Window w, int x, int y, int times) {
  int rx, ry;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(d, 0, rx, ry, 0);
  for (int i = 0; i < times; i++) {
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
  }
  XSync(d, False);
}

void Driver::Type(Window w, const std::vector<KeySym>& keys) {
  XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
  for (KeySym sym : keys) {
    KeyCode code = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, code, True, 60);
    XTestFakeKeyEvent(d, code, False, 0);
  }
  XSync(d, False);
}
#else
void Driver::Click(Window, int, int, int) {}
void Driver::Type(Window, const std::vector<KeySym>&) {}
#endif

bool Driver::ClickNamed(Window parent, const std::string& title) {
  Window w = Child(parent, title);
  if (w) Click(w, 5, 5);
  return w != 0;
}

void Driver::Type(Window w, const std::string& text) {
  std::vector<KeySym> keys;
  for (char c : text) keys.push_back(c == '.' ? XK_period : static_cast<KeySym>(c));
  Type(w, keys);
}

void Driver::Close(Window w) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  XSendEvent(d, w, False, NoEventMask, &ev);
  XSync(d, False);
}

int RunWithDriver(const std::function<int()>& dialog, const std::function<int(Driver&)>& script,
                  int* driverStatus) {
  if (Dpy()) XSync(Dpy(), False);
  pid_t pid = fork();
  if (pid == 0) {
    Driver drv{XOpenDisplay(DisplayName().c_str())};
    _exit(drv.d ? script(drv) : 99);
  }
  alarm(60);
  int answer = dialog();
  alarm(0);
  int status = 0;
  waitpid(pid, &status, 0);
  *driverStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return answer;
}

}  // namespace krntest
