// A real window manager (openbox or twm from the system) on the test's
// private server, started by the test and ended with it: focus, placement,
// transient dialogs and frames as users meet them.
#ifndef KRN_TEST_XWM_H
#define KRN_TEST_XWM_H

#include <memory>
#include <string>

#include "xharness.h"
#include "xprocess.h"

namespace krntest {

class WindowManager {
 public:
  // Starts /usr/bin/<name> on DisplayName() and waits until it manages the
  // screen; ok() tells whether it did.
  explicit WindowManager(const std::string& name = "openbox");
  // Ends it and waits until the server has let it go, so that the next
  // test's window manager can take the screen.
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  bool ok() const { return running_; }

 private:
  TempDir dir_;
  std::unique_ptr<Process> process_;
  bool running_ = false;
};

// True while some client has selected SubstructureRedirect on the root
// window of the display, that is, while a window manager runs.
bool WindowManagerRuns(Display* d);

}  // namespace krntest

#endif
