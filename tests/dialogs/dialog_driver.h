// dialog_driver.h - drives a modal dialog from inside its own loop, the way a
// user would.  A hidden window asks for timer ticks, which every dialog
// loop sends once per turn (krnFlush); each tick runs the current step of a
// script until the step reports that it is done.  Steps act through XTEST
// (real pointer and keys through the server) and check records and pixels.
// A script that stalls closes the dialog through the window-manager protocol
// after a time-out, so a broken dialog fails the test instead of hanging it.
#ifndef KRN_TESTS_DIALOG_DRIVER_H
#define KRN_TESTS_DIALOG_DRIVER_H

#include <X11/extensions/XTest.h>
#include <xharness.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace krntest {

// One step: acts and answers true when it is done, false to be run again.
using Step = std::function<bool()>;

class Script {
 public:
  Script(const std::string& dialogName, std::vector<Step> steps)
      : name_(dialogName), steps_(std::move(steps)) {
    driver_ = krnCreateWindowEx(Dpy(), nullptr, krnSetRect(0, 0, 1, 1), 0, "_dialog_driver",
                                &Script::Proc, 0);
    driver_->linkWindow = reinterpret_cast<long>(this);
    krnSetTimerEvent(driver_, 1);
  }
  ~Script() { krnDestroyWindow(Dpy(), driver_); }
  bool finished() const { return next_ == steps_.size(); }

 private:
  static int Proc(Display*, KrnWindow* w, XEvent* e) {
    if (e->type == KRN_EV_TIMER) reinterpret_cast<Script*>(w->linkWindow)->Tick();
    return w->result;
  }
  void Tick() {
    if (next_ < steps_.size() && steps_[next_]()) {
      next_++;
      ticks_ = 0;
    } else if (++ticks_ == kTimeoutTicks) {
      ADD_FAILURE() << "dialog script stalled at step " << next_;
      next_ = steps_.size();
      Close(krnGetWindow(name_.c_str()));
    }
  }

 public:
  // The window manager's close request.
  static void Close(KrnWindow* w) {
    if (!w) return;
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w->win;
    ev.xclient.message_type = XInternAtom(Dpy(), "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(w->wmDeleteWindow);
    XSendEvent(Dpy(), w->win, False, NoEventMask, &ev);
    XFlush(Dpy());
  }

 private:
  static constexpr int kTimeoutTicks = 300;
  std::string name_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  KrnWindow* driver_ = nullptr;
};

// A window's origin on the screen.
inline XPoint ScreenOf(KrnWindow* w) {
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(Dpy(), w->win, DefaultRootWindow(Dpy()), 0, 0, &x, &y, &child);
  return {static_cast<short>(x), static_cast<short>(y)};
}

// Moves the pointer to (x, y) of a window and clicks button 1.
inline void ClickAt(KrnWindow* w, int x, int y) {
  XPoint o = ScreenOf(w);
  XTestFakeMotionEvent(Dpy(), 0, o.x + x, o.y + y, 0);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  XFlush(Dpy());
}

inline void ClickMiddle(KrnWindow* w) {
  ClickAt(w, w->rect.width / 2, w->rect.height / 2);
}

// Presses and releases a key; the focus must be in the dialog.
inline void TypeKey(KeySym sym) {
  KeyCode code = XKeysymToKeycode(Dpy(), sym);
  XTestFakeKeyEvent(Dpy(), code, True, 0);
  XTestFakeKeyEvent(Dpy(), code, False, 0);
  XFlush(Dpy());
}

// A step that waits until the named dialog is mapped, then gives it the
// keyboard focus and keeps it in *out.
inline Step WaitShown(const std::string& name, KrnWindow** out) {
  return [name, out] {
    KrnWindow* w = krnGetWindow(name.c_str());
    if (!w || !w->shown) return false;
    XSetInputFocus(Dpy(), w->win, RevertToPointerRoot, CurrentTime);
    *out = w;
    return true;
  };
}

// A step that waits n ticks (for the loop to settle), then is done.
inline Step Ticks(int n) {
  auto left = std::make_shared<int>(n);
  return [left] { return --*left <= 0; };
}

// With KRN_SHOT_DIR set, a step that writes the whole screen to
// $KRN_SHOT_DIR/<file> (for looking at the dialogs); otherwise nothing.
inline Step Screenshot(const std::string& file) {
  return [file] {
    if (const char* dir = getenv("KRN_SHOT_DIR")) {
      XSync(Dpy(), False);
      Run("import -display " + DisplayName() + " -window root '" + dir + "/" + file + "'");
    }
    return true;
  };
}

}  // namespace krntest

#endif
