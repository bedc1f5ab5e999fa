// Driving a modal dialog from outside: a forked process with its own
// display connection finds windows by their titles and works them with real
// pointer and key input (XTEST), while the test's process sits in the
// dialog's loop.  Every wait is for a condition, with a time limit.
#ifndef KRN_TEST_XDRIVER_H
#define KRN_TEST_XDRIVER_H

#include "xharness.h"  // before any X header: gtest and Xlib both use None

#include <functional>
#include <string>
#include <vector>

namespace krntest {

struct Driver {
  Display* d;

  // The first viewable window below parent (at any depth) whose title
  // matches; Wait polls for it up to 10 seconds.  0 when there is none.
  Window Find(Window parent, const std::function<bool(const std::string&)>& match);
  Window Wait(Window parent, const std::function<bool(const std::string&)>& match);
  Window Titled(const std::string& title);                // a window anywhere, by exact title
  Window Child(Window parent, const std::string& title);  // waits below parent
  // Button 1 pressed and released `times` times at (x, y) of w.
  void Click(Window w, int x, int y, int times = 1);
  bool ClickNamed(Window parent, const std::string& title);  // 5, 5 into the child
  // Focus on w, then the keys pressed and released, spaced 60 ms apart by
  // the server as a typist would (faster presses count as key repeats).
  void Type(Window w, const std::vector<KeySym>& keys);
  void Type(Window w, const std::string& text);  // letters, digits and "."
  void Close(Window w);                          // the window manager's close request
};

// Runs dialog() in this process while a forked driver runs script; returns
// dialog()'s answer and stores the script's exit status (0 = all it checked
// held; -1 when it did not exit).  An alarm ends a dialog nobody answers.
int RunWithDriver(const std::function<int()>& dialog, const std::function<int(Driver&)>& script,
                  int* driverStatus);

}  // namespace krntest

#endif
