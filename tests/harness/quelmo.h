// The real quelmo binary as a child process of a test: started in a scratch
// directory with the test's environment (DISPLAY, HOME, locale, XMODIFIERS),
// killed when the test ends before it does.
#ifndef KRN_TEST_QUELMO_H
#define KRN_TEST_QUELMO_H

#include "xharness.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace krntest {

// One running quelmo in a scratch directory.
class Quelmo {
 public:
  // Starts quelmo in dir with args once the files are in place.
  Quelmo(const TempDir& dir, const std::vector<std::string>& args) {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that died
      if (chdir(dir.path().c_str()) != 0) _exit(98);
      std::vector<char*> argv;
      static std::string prog = getenv("KRN_QUELMO") ? getenv("KRN_QUELMO") : "quelmo";
      argv.push_back(const_cast<char*>(prog.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      if (!freopen(getenv("KRN_QUELMO_LOG") ? getenv("KRN_QUELMO_LOG") : "/dev/null", "w", stderr))
        _exit(96);
      execv(prog.c_str(), argv.data());
      _exit(97);
    }
  }
  ~Quelmo() {
    if (pid_ > 0 && ExitStatus(0) == -2) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Quelmo(const Quelmo&) = delete;
  Quelmo& operator=(const Quelmo&) = delete;
  // The exit status once the program has ended within timeoutMs; -2 while it
  // still runs.
  int ExitStatus(int timeoutMs) {
    if (ended_) return status_;
    for (int waited = 0;; waited += 10) {
      int st = 0;
      if (waitpid(pid_, &st, WNOHANG) == pid_) {
        ended_ = true;
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        return status_;
      }
      if (waited >= timeoutMs) return -2;
      usleep(10000);
    }
  }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = -1;
};

}  // namespace krntest

#endif
