#include "xdriver.h"

#include <sys/wait.h>
#include <unistd.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace krntest {

namespace {

XErrorHandler g_previous = nullptr;

// Windows come and go while the driver walks the tree (a dialog closing, a
// program ending): a BadWindow from that race only means the window is gone.
int IgnoreVanishedWindows(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  return g_previous ? g_previous(display, error) : 0;
}

void InstallErrorHandler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  g_previous = XSetErrorHandler(IgnoreVanishedWindows);
}

}  // namespace

Window Driver::Find(Window parent, const std::function<bool(const std::string&)>& match) {
  InstallErrorHandler();
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

Window Driver::Wait(Window parent, const std::function<bool(const std::string&)>& match,
                    int timeoutMs) {
  Window w = 0;
  Until([&] { return (w = Find(parent, match)) != 0; }, timeoutMs);
  return w;
}

Window Driver::Named(Window parent, const std::string& title) {
  return Find(parent, [&](const std::string& t) { return t == title; });
}

Window Driver::Titled(const std::string& title) {
  return Child(DefaultRootWindow(d), title);
}

Window Driver::Child(Window parent, const std::string& title) {
  return parent ? Wait(parent, [&](const std::string& t) { return t == title; }) : 0;
}

Window Driver::MainWindow() {
  const std::string suffix = " - Quelmo";
  return Wait(DefaultRootWindow(d), [&](const std::string& t) {
    return t == "Quelmo" || (t.size() > suffix.size() &&
                             t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0);
  });
}

bool Driver::FindTarget(const std::string& title) {
  return (target = Titled(title)) != 0;
}

bool Driver::WaitGone(const std::string& title, int timeoutMs) {
  return Until([&] { return Named(DefaultRootWindow(d), title) == 0; }, timeoutMs);
}

bool Driver::Until(const std::function<bool()>& pred, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

#ifdef KRN_HAVE_XTEST
void Driver::Move(Window w, int x, int y) {
  int rx, ry;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(d, 0, rx, ry, 0);
  XSync(d, False);
}

void Driver::Press(Window w, int x, int y, int button) {
  Move(w, x, y);
  XTestFakeButtonEvent(d, button, True, 0);
  XSync(d, False);
}

void Driver::Release(int button) {
  XTestFakeButtonEvent(d, button, False, 0);
  XSync(d, False);
}

void Driver::Click(Window w, int x, int y, int times, int button) {
  Move(w, x, y);
  for (int i = 0; i < times; i++) {
    XTestFakeButtonEvent(d, button, True, 0);
    XTestFakeButtonEvent(d, button, False, 0);
  }
  XSync(d, False);
}

void Driver::Key(Window w, KeySym sym, const std::vector<KeySym>& modifiers) {
  if (w) XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
  for (KeySym m : modifiers) XTestFakeKeyEvent(d, XKeysymToKeycode(d, m), True, 0);
  KeyCode code = XKeysymToKeycode(d, sym);
  XTestFakeKeyEvent(d, code, True, 60);
  XTestFakeKeyEvent(d, code, False, 0);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, *m), False, 0);
  XSync(d, False);
}
#else
void Driver::Move(Window, int, int) {}
void Driver::Press(Window, int, int, int) {}
void Driver::Release(int) {}
void Driver::Click(Window, int, int, int, int) {}
void Driver::Key(Window, KeySym, const std::vector<KeySym>&) {}
#endif

void Driver::Type(Window w, const std::vector<KeySym>& keys) {
  for (KeySym sym : keys) Key(w, sym);
}

void Driver::Type(Window w, const std::string& text) {
  for (char c : text) {
    KeySym sym = static_cast<KeySym>(c);
    if (c == '\n') sym = XK_Return;
    if (c == ' ') sym = XK_space;
    if (c == '.') sym = XK_period;
    if (c == '/') sym = XK_slash;
    if (c == '-') sym = XK_minus;
    if (c >= 'A' && c <= 'Z')
      Key(w, static_cast<KeySym>(c - 'A' + 'a'), {XK_Shift_L});
    else
      Key(w, sym);
  }
}

bool Driver::ClickNamed(Window parent, const std::string& title) {
  Window w = Child(parent, title);
  if (w) Click(w, 5, 5);
  return w != 0;
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

XRectangle Driver::Geometry(Window w) {
  Window root;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border, depth;
  XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth);
  return XRectangle{static_cast<short>(x), static_cast<short>(y),
                    static_cast<unsigned short>(width), static_cast<unsigned short>(height)};
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

std::vector<unsigned long> Driver::SettledPixels(Window w, int x, int y, int width, int height) {
  std::vector<unsigned long> now = Pixels(w, x, y, width, height), before;
  Until([&] {
    before = now;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    now = Pixels(w, x, y, width, height);
    return now == before &&
           std::adjacent_find(now.begin(), now.end(), std::not_equal_to<>()) != now.end();
  });
  return now;
}

int RunWithDriver(const std::function<int()>& dialog, const std::function<int(Driver&)>& script,
                  int* driverStatus) {
  if (g_korrin.display) XSync(g_korrin.display, False);
  pid_t pid = fork();
  if (pid == 0) {
    // The child never touches the parent's connection: it opens its own.
    Driver drv;
    drv.d = XOpenDisplay(DisplayName().c_str());
    _exit(drv.d ? script(drv) : 99);
  }
  alarm(60);
  int answer = dialog();
  alarm(0);
  int status = 0;
  waitpid(pid, &status, 0);
  if (driverStatus) *driverStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return answer;
}

int DriveModal(const char* title, const std::function<int(Driver&)>& script,
               const std::function<int()>& run, int* scriptStatus) {
  return RunWithDriver(
      run, [&](Driver& d) { return d.FindTarget(title) ? script(d) : 99; }, scriptStatus);
}

}  // namespace krntest
