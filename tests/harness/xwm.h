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
  // Starts /usr/bin/<name> on DisplayName() and waits until it manages
  // windows; ok() tells whether it does.  One per test program: a second
  // one would find the screen taken.
  explicit WindowManager(const std::string& name = "openbox");
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  bool ok() const { return running_; }

 private:
  TempDir dir_;
  std::unique_ptr<Process> process_;
  bool running_ = false;
};

}  // namespace krntest

#endif
