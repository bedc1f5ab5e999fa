// A second client that drives a modal loop from outside: a forked process
// with its own display connection finds a window by its title and sends it
// real pointer and key input (XTEST) or reads its pixels, while the test
// process sits in the toolkit call that runs the loop (krnMessageDialog and
// the other dialogs).  Needs XTEST (KRN_HAVE_XTEST).
#ifndef KRN_TEST_XDRIVER_H
#define KRN_TEST_XDRIVER_H

#include "xharness.h"

#ifdef KRN_HAVE_XTEST

namespace krntest {

// The driver's side, used only inside the forked process.
struct Driver {
  Display* d = nullptr;
  Window target = 0;  // the window found by title

  // The viewable child of parent with that title, or 0.
  Window Named(Window parent, const char* title);
  // Polls pred every 10 ms for up to 10 s.
  bool Until(const std::function<bool()>& pred);
  // Moves the pointer to (x, y) of w and clicks button 1.
  void Click(Window w, int x, int y);
  // Gives w the focus and presses and releases the key.
  void Key(Window w, KeySym sym);
  // Sends the window manager's close request to the target.
  void Close();
  std::vector<unsigned long> Pixels(Window w, int x, int y, int width, int height);
};

// Forks a driver that waits for a top-level window titled title and runs
// script on it, then calls run in this process (the modal call) and returns
// its result.  *scriptStatus receives the script's answer (0 = what it
// checked held; 99 = the window never appeared).  An alarm ends a loop that
// nobody answers instead of hanging the test.
int DriveModal(const char* title, const std::function<int(Driver&)>& script,
               const std::function<int()>& run, int* scriptStatus);

}  // namespace krntest

#endif
#endif
