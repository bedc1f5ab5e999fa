// Driving the program from outside: a second client with its own display
// connection that finds windows by their titles and works them with real
// pointer and key input (XTEST), reads their pixels and geometry, and sends
// the window manager's close request.  A forked driver answers modal dialogs
// while the test's process sits in the dialog's loop; the end-to-end tests
// drive the real quelmo binary with it.  Every wait is for a condition, with
// a time limit.
#ifndef KRN_TEST_XDRIVER_H
#define KRN_TEST_XDRIVER_H

#include "xharness.h"  // before any X header: gtest and Xlib both use None

#include <functional>
#include <string>
#include <vector>

namespace krntest {

struct Driver {
  Display* d = nullptr;
  Window target = 0;  // the window DriveModal or FindTarget found

  // The first viewable window below parent (at any depth) whose title
  // matches, or 0; Wait polls for it up to timeoutMs.
  Window Find(Window parent, const std::function<bool(const std::string&)>& match);
  Window Wait(Window parent, const std::function<bool(const std::string&)>& match,
              int timeoutMs = 10000);
  Window Named(Window parent, const std::string& title);  // no waiting, 0 when absent
  Window Titled(const std::string& title);                // waits, anywhere on the screen
  Window Child(Window parent, const std::string& title);  // waits below parent
  bool FindTarget(const std::string& title);              // Titled into target
  // The memo pad's main window: titled "Quelmo", or "<file> - Quelmo".
  Window MainWindow();
  bool WaitGone(const std::string& title, int timeoutMs = 10000);
  // Polls pred every 10 ms for up to timeoutMs.
  bool Until(const std::function<bool()>& pred, int timeoutMs = 10000);

  void Move(Window w, int x, int y);
  void Press(Window w, int x, int y, int button = 1);
  void Release(int button = 1);
  // The button pressed and released `times` times at (x, y) of w.
  void Click(Window w, int x, int y, int times = 1, int button = 1);
  bool ClickNamed(Window parent, const std::string& title);  // 5, 5 into the child
  // Focus on w (0: where the focus is), then each key pressed and released with the modifier keys
  // held, spaced 60 ms apart by the server as a typist would (faster
  // presses count as key repeats).
  void Key(Window w, KeySym sym, const std::vector<KeySym>& modifiers = {});
  void Type(Window w, const std::vector<KeySym>& keys);
  // Letters (capitals with Shift), digits, space, Return for "\n", and . / -
  void Type(Window w, const std::string& text);
  void Close(Window w);  // the window manager's close request
  void Close() { Close(target); }

  XRectangle Geometry(Window w);  // position in the parent, size
  std::vector<unsigned long> Pixels(Window w, int x, int y, int width, int height);
  // The pixels once drawing has settled: two reads 50 ms apart agree and show
  // more than one colour (on a loaded machine a window may show before its
  // text, and a read may fall between the steps of a repaint).
  std::vector<unsigned long> SettledPixels(Window w, int x, int y, int width, int height);
};

// Runs dialog() in this process while a forked driver runs script; returns
// dialog()'s answer and stores the script's exit status (0 = all it checked
// held; -1 when it did not exit).  An alarm ends a dialog nobody answers.
int RunWithDriver(const std::function<int()>& dialog, const std::function<int(Driver&)>& script,
                  int* driverStatus);
// The same, with the driver's target set to the window titled title first
// (status 99 when it never appears).
int DriveModal(const char* title, const std::function<int(Driver&)>& script,
               const std::function<int()>& run, int* scriptStatus);

}  // namespace krntest

#endif
